// DLLs of the system loaded on first use rather than at start: from the
// system folder by full path, never through the search order, so no file
// of the same name beside the program or in the current folder is taken.
#pragma once

#include <windows.h>

#include <cwchar>

namespace zenk {

// A procedure of a system DLL (dllName like L"secur32.dll"), loading the
// DLL on the way; null when either cannot be found. The DLL stays loaded
// for the life of the process.
inline FARPROC SystemProcedure(const wchar_t* dllName, const char* procedure) {
    wchar_t path[MAX_PATH];
    const UINT length = GetSystemDirectoryW(path, MAX_PATH);
    const std::size_t name = std::wcslen(dllName);
    if (length == 0 || length + 1 + name >= MAX_PATH) return nullptr;
    path[length] = L'\\';
    std::wmemcpy(path + length + 1, dllName, name + 1);
    HMODULE dll = LoadLibraryW(path);
    return dll ? GetProcAddress(dll, procedure) : nullptr;
}

}  // namespace zenk
