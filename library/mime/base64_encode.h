// Base64 encoding of attachments (RFC 2045 alphabet, "=" padding).
#pragma once
#include <cstddef>

namespace zenk {

// Attachments are read in blocks of 51 bytes; each block becomes one line
// of 68 characters (the last line may be shorter).
constexpr std::size_t kBase64BlockBytes = 51;
constexpr std::size_t kBase64LineChars = 68;

// Characters that n input bytes encode to: 4 per started group of 3.
constexpr std::size_t Base64Length(std::size_t n) { return (n + 2) / 3 * 4; }

// Encodes n bytes into out, which holds at least Base64Length(n) bytes.
// A final group of one or two bytes is completed with zero bits and its
// missing characters are "=". Returns the number of characters written
// (no NUL is added).
std::size_t Base64Encode(const void* data, std::size_t n, char* out);

}  // namespace zenk
