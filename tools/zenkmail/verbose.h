// --verbose: the protocol exchange as it happens, through the library's
// trace (states, commands with secrets masked, replies) on standard error.
#pragma once
#include <windows.h>

// Call before ZENKInit, which reads the trace settings.
inline void ShowProtocolExchange(const char* categories) {
    SetEnvironmentVariableA("ZENK_TRACE", categories);
    SetEnvironmentVariableA("ZENK_TRACE_FILE", "-");
}
