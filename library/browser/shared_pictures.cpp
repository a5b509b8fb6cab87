#include "browser/shared_pictures.h"

#include "core/win_library_state.h"
#include "resources/resource_ids.h"

namespace zenk::browser {
namespace {

volatile LONG g_openDialogs = 0;  // dialogs counted open in this process
volatile LONG g_lock = 0;         // 1 while a thread works on the set

struct PictureSet {
    HBITMAP bitmaps[kPictureCount] = {};
    HDC memory = nullptr;  // compatible with the first dialog's device context
    bool made = false;
};
PictureSet g_set;

class SetLock {
public:
    SetLock() {
        while (InterlockedCompareExchange(&g_lock, 1, 0) != 0) Sleep(0);
    }
    ~SetLock() { InterlockedExchange(&g_lock, 0); }
    SetLock(const SetLock&) = delete;
    SetLock& operator=(const SetLock&) = delete;
};

// Under the lock.
void MakeSet(HWND dialog) {
    if (g_set.made) return;
    HINSTANCE module = static_cast<HINSTANCE>(InstanceHandle());
    for (int i = 0; i < kPictureCount; ++i)
        g_set.bitmaps[i] = LoadBitmapA(module, MAKEINTRESOURCEA(ZENK_IDB_NETWORK_COLLAPSED + i));
    HDC screen = GetDC(dialog);
    g_set.memory = CreateCompatibleDC(screen);
    if (screen) ReleaseDC(dialog, screen);
    g_set.made = true;
}

// Under the lock.
void DeleteSet() {
    if (!g_set.made) return;
    if (g_set.memory) DeleteDC(g_set.memory);
    for (HBITMAP& bitmap : g_set.bitmaps)
        if (bitmap) DeleteObject(bitmap);
    g_set = PictureSet{};
}

}  // namespace

void SharedPictures::Ensure(HWND dialog) {
    SetLock lock;
    MakeSet(dialog);
}

void SharedPictures::Acquire(HWND dialog) {
    InterlockedIncrement(&g_openDialogs);
    SetLock lock;
    MakeSet(dialog);
}

void SharedPictures::Release() {
    if (InterlockedDecrement(&g_openDialogs) != 0) return;
    SetLock lock;
    if (g_openDialogs == 0) DeleteSet();  // unless a dialog opened meanwhile
}

void SharedPictures::DropIfUnused() {
    SetLock lock;
    if (g_openDialogs == 0) DeleteSet();
}

bool SharedPictures::Draw(HDC target, int x, int y, Picture picture) {
    SetLock lock;
    HBITMAP bitmap = g_set.bitmaps[static_cast<int>(picture)];
    if (!g_set.memory || !bitmap) return false;
    HGDIOBJ old = SelectObject(g_set.memory, bitmap);
    BitBlt(target, x, y, kPictureSize, kPictureSize, g_set.memory, 0, 0, SRCCOPY);
    SelectObject(g_set.memory, old);
    return true;
}

}  // namespace zenk::browser
