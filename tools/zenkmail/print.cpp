#include "print.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

int Print(const char* format, ...) {
    char local[1024];
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(local, sizeof local, format, args);
    va_end(args);
    int written = length;
    if (length < 0) {
        written = -1;
    } else if (static_cast<size_t>(length) < sizeof local) {
        if (std::fwrite(local, 1, static_cast<size_t>(length), stdout) != static_cast<size_t>(length)) written = -1;
    } else {
        std::vector<char> text(static_cast<size_t>(length) + 1);
        std::vsnprintf(text.data(), text.size(), format, again);
        if (std::fwrite(text.data(), 1, static_cast<size_t>(length), stdout) != static_cast<size_t>(length))
            written = -1;
    }
    va_end(again);
    return written;
}
