// Shared helpers of the tovan32.dll tests: the peers' addresses, the
// folders the runner made, files, and the library's message.
#pragma once
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "tovan32.h"

namespace ftptest {

// The peers of tests/peers/tovan_ftpd.py.
constexpr const char* kServer = "127.0.4.1";     // pyftpdlib, alice / secret
constexpr const char* kThrottled = "127.0.4.2";  // 256 KiB/s data
constexpr const char* kNoPasv = "127.0.4.3";     // PASV refused
constexpr const char* kStall = "127.0.4.4";      // stops answering after login
constexpr const char* kSilent = "127.0.4.5";     // never answers
constexpr const char* kNobody = "127.0.4.9";     // nothing listens here
constexpr int kTimeoutSeconds = 3;               // TOVAN_TIMEOUT set by the runner

// A Linux folder named in the environment, as a Wine path ("Z:\...").
inline std::string WinePath(const char* variable) {
    const char* unix = std::getenv(variable);
    std::string path = "Z:";
    for (const char* p = unix ? unix : "/nonexistent"; *p; ++p) path += *p == '/' ? '\\' : *p;
    return path;
}
inline std::string ServerHome() { return WinePath("TOVAN_TEST_HOME"); }
inline std::string LocalDir() { return WinePath("TOVAN_TEST_LOCAL"); }

inline std::string LastMessage() {
    char buffer[100];
    std::memset(buffer, 'x', sizeof buffer);
    int n = ftp_lasterror(buffer, sizeof buffer);
    EXPECT_EQ(n, static_cast<int>(std::strlen(buffer)));
    return buffer;
}

inline bool ReadFileBytes(const std::string& path, std::string& out) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    out.clear();
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(f, buffer, sizeof buffer, &got, nullptr) && got > 0) out.append(buffer, got);
    CloseHandle(f);
    return true;
}

inline std::string FileBytes(const std::string& path) {
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(path, bytes)) << path;
    return bytes;
}

inline bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

inline void WriteFileBytes(const std::string& path, const std::string& bytes) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(f);
}

// A fresh local folder for one test, made current.
inline std::string FreshLocalDir(const std::string& name) {
    std::string dir = LocalDir() + "\\" + name;
    CreateDirectoryA(dir.c_str(), nullptr);
    SetCurrentDirectoryA(dir.c_str());
    return dir;
}

// Logs in as alice to host; fails the test otherwise.
inline int Login(const char* host = kServer) {
    int h = ftp_login(host, "alice", "secret", "");
    EXPECT_GT(h, 0) << LastMessage();
    return h;
}

}  // namespace ftptest
