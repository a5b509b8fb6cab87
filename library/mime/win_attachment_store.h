// WinAttachmentStore: attachment files on a Windows file system.
#pragma once
#include <windows.h>

#include "mime/attachment_names.h"
#include "mime/attachment_store.h"

namespace zenk {

class WinAttachmentStore : public AttachmentStore {
public:
    WinAttachmentStore() = default;
    ~WinAttachmentStore() override { Close(); }
    WinAttachmentStore(const WinAttachmentStore&) = delete;
    WinAttachmentStore& operator=(const WinAttachmentStore&) = delete;

    bool CreateNew(const char* path) override;
    Unique CreateUnique(const char* folder, char* path, std::size_t capacity) override;
    bool Write(const void* bytes, std::size_t count) override;
    void Close() override;
    void Discard() override;
    void Remove(const char* path) override;

    // The code page paths are written in; 0 (the default) is the ANSI code
    // page, used through the A functions as always.
    void SetCodePage(unsigned codePage) { codePage_ = codePage; }

private:
    bool Remember(HANDLE file, const char* path);

    HANDLE file_ = INVALID_HANDLE_VALUE;   // the open attachment file
    char path_[kMaxAttachmentPath + 1] = {};  // its path, for Discard
    unsigned codePage_ = 0;                // of every path; 0: the ANSI code page

    HANDLE CreatePath(const char* path, DWORD disposition) const;
    void DeletePath(const char* path) const;
};

}  // namespace zenk
