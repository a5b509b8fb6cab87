// LocalFile: a local file a transfer reads from or writes to.
#pragma once
#include <windows.h>

#include <string>

namespace tovan {

class LocalFile {
public:
    LocalFile() = default;
    ~LocalFile() { Close(); }
    LocalFile(const LocalFile&) = delete;
    LocalFile& operator=(const LocalFile&) = delete;

    bool OpenRead(const std::string& path, std::string& error);
    // Creates (or truncates) path for writing.
    bool Create(const std::string& path, std::string& error);
    // Bytes read (0 at the end), or -1 with error set.
    int Read(char* buffer, int size, std::string& error);
    [[nodiscard]] bool Write(const char* data, std::size_t size, std::string& error);
    void Close();
    // Closes and deletes a file this object created.
    void Discard();
    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

    static bool Exists(const std::string& path);
    static std::string ErrorText(DWORD code);

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    std::string createdPath_;  // set by Create, for Discard
};

}  // namespace tovan
