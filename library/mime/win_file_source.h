// A ByteSource over a Windows file, read in blocks.
//
// The line reader scans the current block in place (Span/Skip), so a
// message file is read with one ReadFile per 32 KB block and no call per
// byte. Tell and Seek work on the logical position (the next byte a Read
// delivers), so a peek restores exactly; a Seek inside the block costs no
// file access.
#pragma once
#include <windows.h>

#include "mime/message_files.h"

namespace zenk {

class FileSource : public ByteSource {
public:
    FileSource() = default;
    ~FileSource() override { Close(); }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    // Opens an existing file for reading and writing, no sharing, with the
    // sequential-scan hint (how the message files are opened). False when
    // it cannot be opened; GetLastError tells why. readOnly asks for read
    // access only (still no sharing), for readers that never write.
    bool OpenExisting(const char* path, bool readOnly = false);
    void Close();
    bool IsOpen() const { return file_ != INVALID_HANDLE_VALUE; }

    long Read(void* buffer, std::size_t size) override;
    std::uint64_t Tell() const override { return blockStart_ + blockUsed_; }
    bool Seek(std::uint64_t position) override;
    long Span(const unsigned char** data) override;
    void Skip(std::size_t count) override;

private:
    // Refills the block when all of it has been delivered; false when the
    // read fails.
    bool FillIfUsed();

    static constexpr DWORD kBlockSize = 32768;
    HANDLE file_ = INVALID_HANDLE_VALUE;
    unsigned char block_[kBlockSize];  // bytes read from the file at blockStart_
    std::uint64_t blockStart_ = 0;     // file offset of block_[0]
    DWORD blockFilled_ = 0;            // valid bytes in block_
    DWORD blockUsed_ = 0;              // bytes of block_ already delivered
};

}  // namespace zenk
