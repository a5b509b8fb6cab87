#include "core/address_list.h"

#include <cstdio>
#include <cstring>

namespace zenk {

std::size_t FormatAddressList(const std::uint8_t (*addresses)[4], std::size_t count,
                              char* text, std::size_t capacity) {
    if (!text || capacity == 0) return 0;
    std::memset(text, 0, capacity);
    std::size_t used = 0;  // characters written so far, NUL not counted
    std::size_t written = 0;
    for (std::size_t i = 0; i < count && addresses; ++i) {
        char one[20];
        int n = std::snprintf(one, sizeof one, "%s%u.%u.%u.%u", written ? "+" : "",
                              addresses[i][0], addresses[i][1], addresses[i][2], addresses[i][3]);
        if (n <= 0 || used + static_cast<std::size_t>(n) + 1 > capacity) break;
        std::memcpy(text + used, one, static_cast<std::size_t>(n));
        used += static_cast<std::size_t>(n);
        ++written;
    }
    return written;
}

}  // namespace zenk
