// Base64 and quoted-printable decoding of single lines (RFC 2045).
#include "mime/transfer_decoding.h"

#include <cstdint>

namespace zenk {
namespace {

// Value of each byte in the base64 alphabet, -1 for anything else ("="
// too): one table look-up per character, as attachments are megabytes.
struct Base64Table {
    signed char value[256];
    constexpr Base64Table() : value() {
        for (int c = 0; c < 256; ++c) value[c] = -1;
        for (int c = 'A'; c <= 'Z'; ++c) value[c] = static_cast<signed char>(c - 'A');
        for (int c = 'a'; c <= 'z'; ++c) value[c] = static_cast<signed char>(c - 'a' + 26);
        for (int c = '0'; c <= '9'; ++c) value[c] = static_cast<signed char>(c - '0' + 52);
        value[static_cast<int>('+')] = 62;
        value[static_cast<int>('/')] = 63;
    }
};
constexpr Base64Table kBase64;

int Base64Value(unsigned char c) { return kBase64.value[c]; }

// The same alphabet with each character's six bits already shifted to its
// place in a group of four, and kNotBase64 for anything else: a whole
// group is four look-ups and one test, the inner loop of every attachment.
constexpr std::uint32_t kNotBase64 = 0x01000000;
struct Base64Placed {
    std::uint32_t at[4][256];
    constexpr Base64Placed() : at() {
        for (int c = 0; c < 256; ++c) {
            const int v = kBase64.value[c];
            for (int k = 0; k < 4; ++k)
                at[k][c] = v < 0 ? kNotBase64 : static_cast<std::uint32_t>(v) << (18 - 6 * k);
        }
    }
};
constexpr Base64Placed kPlaced;

int HexValue(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

std::size_t DecodeBase64Line(std::string_view line, unsigned char* out) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    if (line.size() % 4 != 0) return 0;
    const unsigned char* in = reinterpret_cast<const unsigned char*>(line.data());
    std::size_t n = 0;
    std::size_t i = 0;
    for (; i < line.size(); i += 4) {  // four alphabet characters: three bytes
        const std::uint32_t v = kPlaced.at[0][in[i]] | kPlaced.at[1][in[i + 1]] | kPlaced.at[2][in[i + 2]] |
                                kPlaced.at[3][in[i + 3]];
        if (v & kNotBase64) break;
        out[n] = static_cast<unsigned char>(v >> 16);
        out[n + 1] = static_cast<unsigned char>(v >> 8);
        out[n + 2] = static_cast<unsigned char>(v);
        n += 3;
    }
    // A group with padding (the last one), or a broken line.
    for (; i < line.size(); i += 4) {
        const int a = Base64Value(in[i]), b = Base64Value(in[i + 1]);
        const bool pad3 = line[i + 2] == '=';
        const bool pad4 = line[i + 3] == '=';
        const int c = pad3 ? 0 : Base64Value(line[i + 2]);
        const int d = pad3 || pad4 ? 0 : Base64Value(line[i + 3]);
        if (a < 0 || b < 0 || c < 0 || d < 0 || (pad3 && !pad4)) return 0;
        const unsigned v = (unsigned(a) << 18) | (unsigned(b) << 12) | (unsigned(c) << 6) | unsigned(d);
        out[n++] = static_cast<unsigned char>(v >> 16);
        if (pad3) break;
        out[n++] = static_cast<unsigned char>(v >> 8);
        if (pad4) break;
        out[n++] = static_cast<unsigned char>(v);
    }
    return n;
}

std::size_t DecodeQuotedPrintableLine(std::string_view line, unsigned char* out, bool* softBreak) {
    std::size_t n = 0;
    *softBreak = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const unsigned char c = line[i];
        if (c != '=') {
            out[n++] = c;
            continue;
        }
        if (i + 1 == line.size()) {
            *softBreak = true;
            break;
        }
        const int hi = i + 2 < line.size() ? HexValue(line[i + 1]) : -1;
        const int lo = i + 2 < line.size() ? HexValue(line[i + 2]) : -1;
        if (hi < 0 || lo < 0) {
            out[n++] = c;  // a bad escape stays as written
            continue;
        }
        out[n++] = static_cast<unsigned char>(hi * 16 + lo);
        i += 2;
    }
    return n;
}

}  // namespace zenk
