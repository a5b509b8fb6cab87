// Attachment files: created new (never overwriting) or under a generated
// "QDF" name; read and write access, no sharing.
#include "mime/win_attachment_store.h"

#include <cstring>

#include "mime/win_charset_converter.h"

namespace zenk {

bool WinAttachmentStore::Remember(HANDLE file, const char* path) {
    Close();
    if (file == INVALID_HANDLE_VALUE) return false;
    file_ = file;
    std::strncpy(path_, path, sizeof path_ - 1);
    path_[sizeof path_ - 1] = '\0';
    return true;
}

HANDLE WinAttachmentStore::CreatePath(const char* path, DWORD disposition) const {
    if (codePage_ == 0)
        return CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    wchar_t wide[kMaxWidePath];
    if (!WidePath(path, codePage_, wide, kMaxWidePath)) return INVALID_HANDLE_VALUE;
    return CreateFileW(wide, GENERIC_READ | GENERIC_WRITE, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

void WinAttachmentStore::DeletePath(const char* path) const {
    wchar_t wide[kMaxWidePath];
    if (codePage_ == 0)
        DeleteFileA(path);
    else if (WidePath(path, codePage_, wide, kMaxWidePath))
        DeleteFileW(wide);
}

bool WinAttachmentStore::CreateNew(const char* path) { return Remember(CreatePath(path, CREATE_NEW), path); }

AttachmentStore::Unique WinAttachmentStore::CreateUnique(const char* folder, char* path,
                                                         std::size_t capacity) {
    char name[MAX_PATH];
    if (codePage_ == 0) {
        char dir[MAX_PATH];
        if (folder && *folder) {
            std::strncpy(dir, folder, sizeof dir - 1);
            dir[sizeof dir - 1] = '\0';
        } else {
            DWORD n = GetTempPathA(sizeof dir, dir);
            if (n == 0 || n >= sizeof dir) return Unique::kNoName;
        }
        // Uniqueness 0: the system picks a free name and creates the file.
        if (!GetTempFileNameA(dir, "QDF", 0, name) || std::strlen(name) >= capacity) return Unique::kNoName;
    } else {
        wchar_t dir[MAX_PATH], wideName[MAX_PATH];
        if (folder && *folder) {
            if (!WidePath(folder, codePage_, dir, MAX_PATH)) return Unique::kNoName;
        } else {
            DWORD n = GetTempPathW(MAX_PATH, dir);
            if (n == 0 || n >= MAX_PATH) return Unique::kNoName;
        }
        if (!GetTempFileNameW(dir, L"QDF", 0, wideName)) return Unique::kNoName;
        if (!NarrowPath(wideName, codePage_, name, sizeof name) || std::strlen(name) >= capacity) {
            DeleteFileW(wideName);
            return Unique::kNoName;
        }
    }
    if (!Remember(CreatePath(name, OPEN_EXISTING), name)) {
        DeletePath(name);
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
    if (had) DeletePath(path_);
}

void WinAttachmentStore::Remove(const char* path) { DeletePath(path); }

}  // namespace zenk
