#include "print.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace {

// Formats into memory, then hands the whole text to the stream in one write.
int PrintTo(std::FILE* stream, const char* format, va_list args) {
    char local[1024];
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(local, sizeof local, format, args);
    int written = length;
    if (length < 0) {
        written = -1;
    } else if (static_cast<size_t>(length) < sizeof local) {
        if (std::fwrite(local, 1, static_cast<size_t>(length), stream) != static_cast<size_t>(length)) written = -1;
    } else {
        std::vector<char> text(static_cast<size_t>(length) + 1);
        std::vsnprintf(text.data(), text.size(), format, again);
        if (std::fwrite(text.data(), 1, static_cast<size_t>(length), stream) != static_cast<size_t>(length))
            written = -1;
    }
    va_end(again);
    return written;
}

}  // namespace

int Print(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int written = PrintTo(stdout, format, args);
    va_end(args);
    return written;
}

int PrintError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int written = PrintTo(stderr, format, args);
    va_end(args);
    return written;
}
