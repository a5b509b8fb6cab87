// Attachment files: created new (never overwriting) or under a generated
// "QDF" name; read and write access, no sharing.
#include "mime/win_attachment_store.h"

#include <cstring>

namespace zenk {

bool WinAttachmentStore::Remember(HANDLE file, const char* path) {
    Close();
    if (file == INVALID_HANDLE_VALUE) return false;
    file_ = file;
    std::strncpy(path_, path, sizeof path_ - 1);
    path_[sizeof path_ - 1] = '\0';
    return true;
}

bool WinAttachmentStore::CreateNew(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    return Remember(file, path);
}

AttachmentStore::Unique WinAttachmentStore::CreateUnique(const char* folder, char* path,
                                                         std::size_t capacity) {
    char dir[MAX_PATH];
    if (folder && *folder) {
        std::strncpy(dir, folder, sizeof dir - 1);
        dir[sizeof dir - 1] = '\0';
    } else {
        DWORD n = GetTempPathA(sizeof dir, dir);
        if (n == 0 || n >= sizeof dir) return Unique::kNoName;
    }
    char name[MAX_PATH];
    // Uniqueness 0: the system picks a free name and creates the file.
    if (!GetTempFileNameA(dir, "QDF", 0, name) || std::strlen(name) >= capacity) return Unique::kNoName;
    HANDLE file = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (!Remember(file, name)) {
        DeleteFileA(name);
        return Unique::kCannotOpen;
    }
    std::strcpy(path, name);
    return Unique::kOpened;
}

bool WinAttachmentStore::Write(const void* bytes, std::size_t count) {
    const char* p = static_cast<const char*>(bytes);
    while (count > 0 && file_ != INVALID_HANDLE_VALUE) {
        DWORD wrote = 0;
        DWORD chunk = count > 0x10000 ? 0x10000 : static_cast<DWORD>(count);
        if (!WriteFile(file_, p, chunk, &wrote, nullptr) || wrote == 0) return false;
        p += wrote;
        count -= wrote;
    }
    return count == 0;
}

void WinAttachmentStore::Close() {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
}

void WinAttachmentStore::Discard() {
    bool had = file_ != INVALID_HANDLE_VALUE;
    Close();
    if (had) DeleteFileA(path_);
}

void WinAttachmentStore::Remove(const char* path) { DeleteFileA(path); }

}  // namespace zenk
