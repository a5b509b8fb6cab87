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

private:
    bool Remember(HANDLE file, const char* path);

    HANDLE file_ = INVALID_HANDLE_VALUE;   // the open attachment file
    char path_[kMaxAttachmentPath + 1] = {};  // its path, for Discard
};

}  // namespace zenk
