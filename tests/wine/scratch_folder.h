// A fresh folder per test, made the current directory while the test runs
// (the composer's scratch file lives there), emptied and removed after.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace testutil {

class ScratchFolder {
public:
    explicit ScratchFolder(const char* prefix) {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        path = std::string(temp) + prefix + std::to_string(GetCurrentProcessId()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        CreateDirectoryA(path.c_str(), nullptr);
        GetCurrentDirectoryA(sizeof previous_, previous_);
        entered = SetCurrentDirectoryA(path.c_str()) != 0;
    }
    ~ScratchFolder() {
        SetCurrentDirectoryA(previous_);
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA((path + "\\*").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                std::string p = path + "\\" + fd.cFileName;
                SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(p.c_str());
            } while (FindNextFileA(h, &fd));
            FindClose(h);
        }
        RemoveDirectoryA(path.c_str());
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string path;     // the folder, without a trailing backslash
    bool entered = false;  // it is the current directory

private:
    char previous_[MAX_PATH] = {};
};

}  // namespace testutil
