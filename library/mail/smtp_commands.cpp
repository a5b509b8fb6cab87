// Command and data-line bytes of the SMTP client.
#include "mail/smtp_commands.h"

#include <cstring>

namespace zenk {

std::size_t FormatCommand(char* out, std::size_t capacity, const char* verb, const char* argument) {
    std::size_t v = std::strlen(verb), a = std::strlen(argument);
    if (v + a + 2 > capacity) return 0;
    if (std::strpbrk(argument, "\r\n")) return 0;  // one command, one line
    std::memcpy(out, verb, v);
    std::memcpy(out + v, argument, a);
    out[v + a] = '\r';
    out[v + a + 1] = '\n';
    return v + a + 2;
}

void HeloName(const char* senderLine, char* out, std::size_t capacity) {
    std::size_t n = 0;
    if (std::strlen(senderLine) > 6) {
        const char* from = senderLine + 6;
        while (n + 1 < capacity && from[n] && from[n] != '@' && from[n] != '>') {
            out[n] = from[n];
            ++n;
        }
    }
    out[n] = '\0';
    if (n == 0) {
        std::strncpy(out, "Ziravoz", capacity - 1);
        out[capacity - 1] = '\0';
    }
}

std::size_t FormatDataLine(const Line& line, char* out, std::size_t capacity) {
    const bool stuffed = line.length > 0 && (line.text[0] & 0x7F) == '.';  // tested after masking
    if (capacity < (stuffed ? 1 : 0) + line.length + 2) return 0;
    std::size_t n = 0;
    if (stuffed) out[n++] = '.';
    for (std::size_t i = 0; i < line.length; ++i) {
        char c = static_cast<char>(line.text[i] & 0x7F);
        // Only the CR LF appended below may break a line on the wire: a
        // bare CR, or 0x8D/0x8A once masked, could end the data early
        // ("\n.\n") or add a header of its own.
        out[n++] = (c == '\0' || c == '\r' || c == '\n') ? '?' : c;
    }
    out[n++] = '\r';
    out[n++] = '\n';
    return n;
}

}  // namespace zenk
