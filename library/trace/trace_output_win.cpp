// The trace's outputs: a file, standard error or the debugger.
#include "trace/trace_output_win.h"

#include <windows.h>

#include <cstring>

#include "trace/trace.h"

namespace zenk::trace {
namespace {

HANDLE gFile = INVALID_HANDLE_VALUE;  // the trace file or standard error
bool gOwnsFile = false;               // gFile was opened here (standard error is not closed)

// Copies the line (cut to kLineCapacity) and its end into buffer; returns
// the bytes to write.
std::size_t WithLineEnd(char (&buffer)[kLineCapacity + 3], const char* line, std::size_t length,
                        const char* end) {
    if (length > kLineCapacity) length = kLineCapacity;
    std::memcpy(buffer, line, length);
    const std::size_t endLength = std::strlen(end);
    std::memcpy(buffer + length, end, endLength + 1);
    return length + endLength;
}

bool WriteToFile(const char* line, std::size_t length) {
    char buffer[kLineCapacity + 3];
    const DWORD wanted = static_cast<DWORD>(WithLineEnd(buffer, line, length, "\r\n"));
    DWORD written = 0;
    return WriteFile(gFile, buffer, wanted, &written, nullptr) && written == wanted;
}

bool WriteToDebugger(const char* line, std::size_t length) {
    char buffer[kLineCapacity + 3];
    WithLineEnd(buffer, line, length, "\n");
    OutputDebugStringA(buffer);
    return true;
}

}  // namespace

void CloseOutput() {
    Configure(0, nullptr);
    if (gOwnsFile && gFile != INVALID_HANDLE_VALUE) CloseHandle(gFile);
    gFile = INVALID_HANDLE_VALUE;
    gOwnsFile = false;
}

void ConfigureFromEnvironment() {
    CloseOutput();
    char spec[256];
    DWORD n = GetEnvironmentVariableA("ZENK_TRACE", spec, sizeof spec);
    if (n == 0 || n >= sizeof spec) return;
    const unsigned categories = ParseCategories(spec);
    if (categories == 0) return;
    char path[MAX_PATH];
    n = GetEnvironmentVariableA("ZENK_TRACE_FILE", path, sizeof path);
    if (n == 0) {
        Configure(categories, WriteToDebugger);
        return;
    }
    if (n >= sizeof path) return;  // a path that does not fit names another file
    if (std::strcmp(path, "-") == 0) {
        gFile = GetStdHandle(STD_ERROR_HANDLE);
        if (gFile == nullptr || gFile == INVALID_HANDLE_VALUE) {
            gFile = INVALID_HANDLE_VALUE;
            return;
        }
    } else {
        gFile = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
        if (gFile == INVALID_HANDLE_VALUE) return;
        gOwnsFile = true;
    }
    Configure(categories, WriteToFile);
}

}  // namespace zenk::trace
