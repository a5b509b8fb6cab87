// The block-reading file source of the message-file readers.
#include "mime/win_file_source.h"

#include <cstring>

namespace zenk {

bool FileSource::OpenExisting(const char* path, bool readOnly) {
    Close();
    file_ = CreateFileA(path, readOnly ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    blockStart_ = 0;
    blockFilled_ = blockUsed_ = 0;
    return file_ != INVALID_HANDLE_VALUE;
}

void FileSource::Close() {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
}

bool FileSource::FillIfUsed() {
    if (blockUsed_ < blockFilled_) return true;
    // The file position is always at the end of the current block.
    blockStart_ += blockFilled_;
    blockFilled_ = blockUsed_ = 0;
    DWORD got = 0;
    if (!ReadFile(file_, block_, kBlockSize, &got, nullptr)) return false;
    blockFilled_ = got;
    return true;
}

long FileSource::Read(void* buffer, std::size_t size) {
    if (file_ == INVALID_HANDLE_VALUE) return -1;
    if (size == 0) return 0;
    const unsigned char* span = nullptr;
    long got = Span(&span);
    if (got <= 0) return got;
    std::size_t n = size < static_cast<std::size_t>(got) ? size : static_cast<std::size_t>(got);
    std::memcpy(buffer, span, n);
    Skip(n);
    return static_cast<long>(n);
}

long FileSource::Span(const unsigned char** data) {
    if (file_ == INVALID_HANDLE_VALUE || !FillIfUsed()) return -1;
    *data = block_ + blockUsed_;
    return static_cast<long>(blockFilled_ - blockUsed_);
}

void FileSource::Skip(std::size_t count) {
    DWORD left = blockFilled_ - blockUsed_;
    blockUsed_ += count < left ? static_cast<DWORD>(count) : left;
}

bool FileSource::Seek(std::uint64_t position) {
    if (file_ == INVALID_HANDLE_VALUE) return false;
    if (position >= blockStart_ && position <= blockStart_ + blockFilled_) {
        blockUsed_ = static_cast<DWORD>(position - blockStart_);
        return true;
    }
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(position);
    if (!SetFilePointerEx(file_, to, nullptr, FILE_BEGIN)) return false;
    blockStart_ = position;
    blockFilled_ = blockUsed_ = 0;
    return true;
}

}  // namespace zenk
