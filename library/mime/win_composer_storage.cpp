// Windows files and clock for MimeComposer.
#include "mime/win_composer_storage.h"

#include <windows.h>

#include <new>

#include "mime/message_files.h"
#include "mime/win_charset_converter.h"

namespace zenk {

namespace {

constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;

class Win32File : public ComposerFile {
public:
    explicit Win32File(HANDLE file) : file_(file) {}
    ~Win32File() override { CloseHandle(file_); }

    bool Write(const void* data, std::size_t size) override {
        DWORD written = 0;
        return WriteFile(file_, data, static_cast<DWORD>(size), &written, nullptr) && written == size;
    }
    long Read(void* buffer, std::size_t size) override {
        DWORD got = 0;
        if (!ReadFile(file_, buffer, static_cast<DWORD>(size), &got, nullptr)) return -1;
        return static_cast<long>(got);
    }
    bool Rewind() override { return SetFilePointer(file_, 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER; }
    bool Flush() override { return FlushFileBuffers(file_) != 0; }
    bool Position(std::uint64_t* position) override {
        LARGE_INTEGER zero{}, at{};
        if (!SetFilePointerEx(file_, zero, &at, FILE_CURRENT)) return false;
        *position = static_cast<std::uint64_t>(at.QuadPart);
        return true;
    }
    bool Seek(std::uint64_t position) override {
        LARGE_INTEGER to;
        to.QuadPart = static_cast<LONGLONG>(position);
        return SetFilePointerEx(file_, to, nullptr, FILE_BEGIN) != 0;
    }
    bool Truncate(std::uint64_t position) override { return Seek(position) && SetEndOfFile(file_) != 0; }

private:
    HANDLE file_;
};

ComposerFile* Wrap(HANDLE h) {
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    ComposerFile* file = new (std::nothrow) Win32File(h);
    if (!file) CloseHandle(h);
    return file;
}

ComposerFile* Open(const char* path, DWORD access, DWORD disposition, DWORD flags) {
    return Wrap(CreateFileA(path, access, 0, nullptr, disposition, flags, nullptr));
}

CivilTime FromSystemTime(const SYSTEMTIME& t) {
    return CivilTime{t.wYear, t.wMonth, t.wDayOfWeek, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

}  // namespace

ComposerFile* WindowsComposerStorage::CreateOutbox(const char* path) {
    return Open(path, kReadWrite, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN);
}

ComposerFile* WindowsComposerStorage::CreateScratch() {
    return Open(kScratchFileName, kReadWrite, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL);
}

ComposerFile* WindowsComposerStorage::OpenAttachment(const char* path) {
    // Read access is enough, so a read-only file can be attached; without
    // sharing, no other program changes it while it is encoded.
    return Open(path, GENERIC_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN);
}

ComposerFile* WindowsComposerStorage::OpenAttachmentIn(const char* path, unsigned codePage) {
    if (codePage == 0 || codePage == GetACP()) return OpenAttachment(path);
    wchar_t wide[kMaxWidePath];
    if (!WidePath(path, codePage, wide, kMaxWidePath)) return nullptr;
    return Wrap(CreateFileW(wide, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

void WindowsComposerStorage::DeleteScratch() { DeleteFileA(kScratchFileName); }

void WindowsComposerStorage::Now(CivilTime* local, CivilTime* utc) {
    SYSTEMTIME l, u;
    GetLocalTime(&l);
    GetSystemTime(&u);
    *local = FromSystemTime(l);
    *utc = FromSystemTime(u);
}

ComposerStorage& SystemComposerStorage() {
    static WindowsComposerStorage storage;
    return storage;
}

}  // namespace zenk
