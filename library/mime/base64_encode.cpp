// Base64 encoding, three bytes to four characters.
#include "mime/base64_encode.h"

namespace zenk {

namespace {
constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
}

std::size_t Base64Encode(const void* data, std::size_t n, char* out) {
    const unsigned char* in = static_cast<const unsigned char*>(data);
    std::size_t o = 0;
    for (std::size_t i = 0; i < n; i += 3) {
        std::size_t left = n - i;
        unsigned group = in[i] << 16;
        if (left > 1) group |= in[i + 1] << 8;
        if (left > 2) group |= in[i + 2];
        out[o++] = kAlphabet[(group >> 18) & 63];
        out[o++] = kAlphabet[(group >> 12) & 63];
        out[o++] = left > 1 ? kAlphabet[(group >> 6) & 63] : '=';
        out[o++] = left > 2 ? kAlphabet[group & 63] : '=';
    }
    return o;
}

}  // namespace zenk
