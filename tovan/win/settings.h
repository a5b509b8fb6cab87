// Library-wide settings, read once when the library is loaded.
#pragma once
#include <windows.h>

namespace tovan {

// Default for every network wait, in seconds.
constexpr int kDefaultTimeoutSeconds = 30;
// The environment variable that overrides it (whole seconds, 1..3600).
constexpr const char* kTimeoutVariable = "TOVAN_TIMEOUT";

// Reads the environment; called at process attach.
void LoadSettings(HINSTANCE module);

// How long any one network wait may last, in milliseconds.
int NetworkTimeoutMs();
// The library's module handle (for its window class).
HINSTANCE Module();

}  // namespace tovan
