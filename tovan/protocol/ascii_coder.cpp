#include "protocol/ascii_coder.h"

namespace tovan {

void AsciiEncoder::Encode(const char* data, std::size_t size, std::string& out) {
    out.reserve(out.size() + size + size / 16);
    for (std::size_t i = 0; i < size; ++i) {
        char c = data[i];
        if (c == '\n' && !lastWasCr_) out.push_back('\r');
        out.push_back(c);
        lastWasCr_ = c == '\r';
    }
}

bool IsSafeCommandText(const std::string& text) {
    return text.find_first_of(std::string("\r\n\0", 3)) == std::string::npos;
}

}  // namespace tovan
