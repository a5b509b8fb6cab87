// File helpers shared by the POP3 client's and the scanner's Wine tests.
#pragma once
#include <windows.h>

#include <string>

namespace inboxtest {

// The whole content of a file, or "<missing>" when it cannot be opened.
inline std::string ReadWholeFile(const std::string& path) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return "<missing>";
    std::string out;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(f, buf, sizeof buf, &got, nullptr) && got) out.append(buf, got);
    CloseHandle(f);
    return out;
}

}  // namespace inboxtest
