#include "protocol/data_address.h"

#include <cctype>

namespace tovan {

namespace {

// Reads six comma-separated numbers starting at text[pos]; false unless all
// six are there, each 0..255 and of at most three digits.
bool ReadSixNumbers(const std::string& text, std::size_t pos, int (&n)[6]) {
    for (int i = 0; i < 6; ++i) {
        if (i > 0) {
            if (pos >= text.size() || text[pos] != ',') return false;
            ++pos;
        }
        int value = 0, digits = 0;
        while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) {
            if (++digits > 3) return false;
            value = value * 10 + (text[pos++] - '0');
        }
        if (digits == 0 || value > 255) return false;
        n[i] = value;
    }
    return true;
}

}  // namespace

bool ParsePassiveReply(const std::string& text, DataAddress& out) {
    // Skip the reply code itself, then try each run of digits in turn.
    std::size_t pos = text.size() >= 3 ? 3 : 0;
    for (; pos < text.size(); ++pos) {
        if (!std::isdigit(static_cast<unsigned char>(text[pos]))) continue;
        if (pos > 0 && std::isdigit(static_cast<unsigned char>(text[pos - 1]))) continue;
        int n[6];
        if (!ReadSixNumbers(text, pos, n)) continue;
        int port = n[4] * 256 + n[5];
        if (port == 0) return false;
        for (int i = 0; i < 4; ++i) out.ip[i] = static_cast<std::uint8_t>(n[i]);
        out.port = static_cast<std::uint16_t>(port);
        return true;
    }
    return false;
}

std::string FormatPortArgument(const DataAddress& a) {
    std::string s;
    for (int i = 0; i < 4; ++i) {
        s += std::to_string(a.ip[i]);
        s += ',';
    }
    s += std::to_string(a.port / 256);
    s += ',';
    s += std::to_string(a.port % 256);
    return s;
}

}  // namespace tovan
