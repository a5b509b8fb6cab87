// Finding one byte in a buffer, eight bytes per step.
//
// The readers cut megabytes into lines. The C runtime's memchr is not fast
// everywhere (under Wine it compares byte by byte); this one tests a whole
// 64-bit word per step and finds exactly what memchr finds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace zenk {

// The first byte equal to c in [from, from + length), or nullptr.
inline const unsigned char* FindByte(const unsigned char* from, std::size_t length, unsigned char c) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kHighs = 0x8080808080808080ull;
    const std::uint64_t pattern = kOnes * c;
    while (length >= 8) {
        std::uint64_t word;
        std::memcpy(&word, from, sizeof word);
        word ^= pattern;  // a zero byte where c is
        if ((word - kOnes) & ~word & kHighs) break;
        from += 8;
        length -= 8;
    }
    for (; length != 0; ++from, --length)
        if (*from == c) return from;
    return nullptr;
}

inline const char* FindByte(const char* from, std::size_t length, char c) {
    return reinterpret_cast<const char*>(
        FindByte(reinterpret_cast<const unsigned char*>(from), length, static_cast<unsigned char>(c)));
}

}  // namespace zenk
