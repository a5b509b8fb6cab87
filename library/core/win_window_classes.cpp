#include "core/win_window_classes.h"

#include <cstring>

#include "core/win_library_state.h"

namespace zenk {
namespace {

// Names of the classes registered since the library was loaded. The names
// are the callers' constants, which live in this module's image.
constexpr int kMaxClasses = 8;
void* volatile g_classes[kMaxClasses] = {};  // const char*, each

void Remember(const char* name) {
    for (int i = 0; i < kMaxClasses; ++i) {
        const void* held = InterlockedCompareExchangePointer(&g_classes[i], const_cast<char*>(name), nullptr);
        if (!held || std::strcmp(static_cast<const char*>(held), name) == 0) return;  // stored now, or before
    }
}

bool IsLibraryClass(const char* name) {
    for (int i = 0; i < kMaxClasses; ++i)
        if (g_classes[i] && std::strcmp(static_cast<const char*>(g_classes[i]), name) == 0) return true;
    return false;
}

BOOL CALLBACK CutLoose(HWND window, LPARAM) {
    DWORD process = 0;
    DWORD thread = GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId()) return TRUE;
    char name[64] = {};
    if (!GetClassNameA(window, name, sizeof name) || !IsLibraryClass(name)) return TRUE;
    if (GetClassLongPtrA(window, GCLP_HMODULE) != reinterpret_cast<ULONG_PTR>(InstanceHandle())) return TRUE;
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DefWindowProcA));
    if (thread == GetCurrentThreadId()) DestroyWindow(window);
    else PostMessageA(window, WM_CLOSE, 0, 0);
    return TRUE;
}

}  // namespace

bool RegisterLibraryClass(const char* name, WNDPROC procedure, int windowExtra) {
    HINSTANCE instance = static_cast<HINSTANCE>(InstanceHandle());
    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = procedure;
    wc.cbWndExtra = windowExtra;
    wc.hInstance = instance;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = name;
    bool registered = RegisterClassA(&wc) != 0;
    if (!registered && GetLastError() == ERROR_CLASS_ALREADY_EXISTS) {
        WNDCLASSA existing = {};
        if (GetClassInfoA(instance, name, &existing) && existing.lpfnWndProc == procedure &&
            existing.cbWndExtra == windowExtra) {
            registered = true;  // ours, from this load of the library
        } else {
            // Left by an earlier load whose windows were still open then.
            registered = UnregisterClassA(name, instance) && RegisterClassA(&wc) != 0;
        }
    }
    if (registered) Remember(name);
    return registered;
}

void UnregisterLibraryClasses() {
    EnumWindows(&CutLoose, 0);
    HINSTANCE instance = static_cast<HINSTANCE>(InstanceHandle());
    for (int i = 0; i < kMaxClasses; ++i) {
        if (g_classes[i]) UnregisterClassA(static_cast<const char*>(g_classes[i]), instance);
        g_classes[i] = nullptr;
    }
}

}  // namespace zenk
