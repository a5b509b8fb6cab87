#include "win/last_error.h"

#include <windows.h>

#include <cstring>
#include <mutex>

namespace tovan {

namespace {
std::mutex g_lock;
char g_message[kLastMessageCapacity] = "";
}  // namespace

void SetLastMessage(const std::string& message) {
    std::lock_guard<std::mutex> hold(g_lock);
    std::size_t n = message.size() < kLastMessageCapacity - 1 ? message.size() : kLastMessageCapacity - 1;
    std::memcpy(g_message, message.data(), n);
    g_message[n] = '\0';
}

int CopyLastMessage(char* buffer, int size) {
    if (!buffer || size <= 0) return 0;
    std::lock_guard<std::mutex> hold(g_lock);
    std::size_t n = std::strlen(g_message);
    if (n > static_cast<std::size_t>(size) - 1) n = static_cast<std::size_t>(size) - 1;
    std::memcpy(buffer, g_message, n);
    buffer[n] = '\0';
    return static_cast<int>(n);
}

}  // namespace tovan
