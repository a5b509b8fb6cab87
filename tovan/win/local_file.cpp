#include "win/local_file.h"

namespace tovan {

std::string LocalFile::ErrorText(DWORD code) {
    char text[256] = {};
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                             sizeof text, nullptr);
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' ' || text[n - 1] == '.')) text[--n] = '\0';
    if (n == 0) return "error " + std::to_string(code);
    return std::string(text) + " (" + std::to_string(code) + ")";
}

bool LocalFile::Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool LocalFile::OpenRead(const std::string& path, std::string& error) {
    Close();
    handle_ = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle_ != INVALID_HANDLE_VALUE) return true;
    error = "Cannot open local file " + path + ": " + ErrorText(GetLastError());
    return false;
}

bool LocalFile::Create(const std::string& path, std::string& error) {
    Close();
    handle_ = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) {
        error = "Cannot create local file " + path + ": " + ErrorText(GetLastError());
        return false;
    }
    createdPath_ = path;
    return true;
}

int LocalFile::Read(char* buffer, int size, std::string& error) {
    DWORD got = 0;
    if (!ReadFile(handle_, buffer, static_cast<DWORD>(size), &got, nullptr)) {
        error = "Cannot read local file: " + ErrorText(GetLastError());
        return -1;
    }
    return static_cast<int>(got);
}

bool LocalFile::Write(const char* data, std::size_t size, std::string& error) {
    while (size > 0) {
        DWORD chunk = size > 0x100000 ? 0x100000 : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(handle_, data, chunk, &written, nullptr) || written == 0) {
            error = "Cannot write local file: " + ErrorText(GetLastError());
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

void LocalFile::Close() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
}

void LocalFile::Discard() {
    Close();
    if (!createdPath_.empty()) DeleteFileA(createdPath_.c_str());
    createdPath_.clear();
}

}  // namespace tovan
