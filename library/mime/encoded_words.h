// Reading 8-bit text back out of header fields: RFC 2047 encoded words
// ("=?charset?Q?...?=", "=?charset?B?...?=") and the charset of RFC 2231
// values, turned into the caller's code page through a CharsetConverter.
// Portable: the conversion itself is the Windows shell's.
#pragma once
#include <cstddef>
#include <string_view>

#include "mime/scan_line.h"

namespace zenk {

// Turns text in a named character set into the caller's code page.
class CharsetConverter {
public:
    virtual ~CharsetConverter() = default;
    // Appends bytes, written in charset, to out in the caller's code page.
    // False, out as it was, when the charset is unknown, the bytes are no
    // valid text in it, or a character has no form in the caller's page.
    virtual bool Convert(std::string_view charset, std::string_view bytes, GrowBuffer& out) = 0;
};

// What DecodeEncodedWords does with words the converter refuses.
enum class UnfitWords {
    kFail,           // stop: the caller keeps the field as it was written
    kPercentEscape,  // write their bytes with every 8-bit byte and "%" as %XX
};

// Decodes the encoded words of a header value into out (appended): adjacent
// words are joined without the blanks between them, and words of one
// charset are converted together (a character cut across two words comes
// out whole); everything else is copied as it stands, as is a word that is
// not well formed (bad encoding letter, bad base64, blanks inside). CR, LF
// and NUL that words decode to become blanks. False (with kFail) when a
// word cannot be converted; out may then hold part of the value.
bool DecodeEncodedWords(std::string_view text, CharsetConverter& converter, UnfitWords unfit, GrowBuffer& out);

// Appends bytes with every 8-bit byte, "%" and control character written
// as %XX: a readable, 7-bit stand-in for text that has no form in the
// caller's code page.
bool AppendPercentEscaped(std::string_view bytes, GrowBuffer& out);

// Converts bytes in charset, or falls back to AppendPercentEscaped. False
// only when memory runs out.
bool ConvertOrEscape(CharsetConverter& converter, std::string_view charset, std::string_view bytes,
                     GrowBuffer& out);

}  // namespace zenk
