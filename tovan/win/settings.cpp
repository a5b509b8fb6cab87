#include "win/settings.h"

#include <cstdlib>

namespace tovan {

namespace {
int g_timeoutMs = kDefaultTimeoutSeconds * 1000;
HINSTANCE g_module = nullptr;
}  // namespace

void LoadSettings(HINSTANCE module) {
    g_module = module;
    char text[16] = {};
    DWORD n = GetEnvironmentVariableA(kTimeoutVariable, text, sizeof text);
    if (n == 0 || n >= sizeof text) return;
    char* end = nullptr;
    long seconds = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || seconds < 1 || seconds > 3600) return;  // keep the default
    g_timeoutMs = static_cast<int>(seconds) * 1000;
}

int NetworkTimeoutMs() { return g_timeoutMs; }
HINSTANCE Module() { return g_module; }

}  // namespace tovan
