// Test main for every program that runs under Wine.
//
// Wine 8 sometimes lets a crashing program exit with 0, and a crash inside a
// window procedure dispatched for another thread is swallowed. So: an
// unhandled-exception filter and a vectored handler for access violations in
// our own modules both print "fatal exception 0x..." and end the process
// with 99, which ctest's FAIL_REGULAR_EXPRESSION and exit code both catch.
#include <windows.h>
#include <cstdio>
#include <gtest/gtest.h>

namespace {

bool AddressInOurModule(void* address) {
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCSTR>(address), &module))
        return false;
    char path[MAX_PATH] = {};
    GetModuleFileNameA(module, path, sizeof path);
    // Our binaries live in the build's bin folder; system DLLs do not.
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    char* slash = strrchr(exe, '\\');
    if (slash) slash[1] = '\0';
    return _strnicmp(path, exe, strlen(exe)) == 0;
}

[[noreturn]] void Die(DWORD code, void* address) {
    fprintf(stderr, "fatal exception 0x%08lx at %p\n", static_cast<unsigned long>(code), address);
    fflush(stderr);
    fflush(stdout);
    TerminateProcess(GetCurrentProcess(), 99);
    for (;;) {}
}

LONG WINAPI UnhandledFilter(EXCEPTION_POINTERS* info) {
    Die(info->ExceptionRecord->ExceptionCode, info->ExceptionRecord->ExceptionAddress);
}

LONG WINAPI VectoredHandler(EXCEPTION_POINTERS* info) {
    DWORD code = info->ExceptionRecord->ExceptionCode;
    if ((code == EXCEPTION_ACCESS_VIOLATION || code == EXCEPTION_INT_DIVIDE_BY_ZERO ||
         code == EXCEPTION_STACK_OVERFLOW || code == EXCEPTION_ILLEGAL_INSTRUCTION) &&
        AddressInOurModule(info->ExceptionRecord->ExceptionAddress))
        Die(code, info->ExceptionRecord->ExceptionAddress);
    return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

int main(int argc, char** argv) {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(UnhandledFilter);
    AddVectoredExceptionHandler(1, VectoredHandler);
    setvbuf(stdout, nullptr, _IONBF, 0);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
