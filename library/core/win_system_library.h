// DLLs of the system loaded on first use rather than at start: from the
// system folder by full path, never through the search order, so no file
// of the same name beside the program or in the current folder is taken.
#pragma once

#include <windows.h>

#include <cwchar>

namespace zenk {

// A system DLL (dllName like L"secur32.dll"), loaded from the system
// folder; null when it cannot be found. It stays loaded for the life of
// the process.
inline HMODULE SystemLibrary(const wchar_t* dllName) {
    wchar_t path[MAX_PATH];
    const UINT length = GetSystemDirectoryW(path, MAX_PATH);
    const std::size_t name = std::wcslen(dllName);
    if (length == 0 || length + 1 + name >= MAX_PATH) return nullptr;
    path[length] = L'\\';
    std::wmemcpy(path + length + 1, dllName, name + 1);
    return LoadLibraryW(path);
}

// A procedure of a system DLL, loading the DLL on the way (as above); null
// when either cannot be found.
inline FARPROC SystemProcedure(const wchar_t* dllName, const char* procedure) {
    HMODULE dll = SystemLibrary(dllName);
    return dll ? GetProcAddress(dll, procedure) : nullptr;
}

}  // namespace zenk
