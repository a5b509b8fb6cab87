// Reading the header fields of a message and of its body parts.
//
// Keys are matched case-insensitively: a key is the text up to and
// including the first ":", upper-cased. The scanner hands these functions
// a field with its folded lines already joined (RFC 5322 unfolding), so a
// parameter may stand anywhere in it. Portable.
#pragma once
#include <cstddef>
#include <string_view>

#include "mime/charset_names.h"
#include "mime/scan_line.h"

namespace zenk {

// A key has fewer than this many characters; longer ones count as no key.
constexpr std::size_t kHeaderKeyCapacity = 48;

// Transfer encodings of a part, as MimePart::encoding holds them.
enum TransferEncoding : int {
    kEncodingNone = 0,             // none, 7bit
    kEncodingBase64 = 1,
    kEncodingQuotedPrintable = 2,
    kEncodingOther = 3,            // 8bit, binary, anything else
};

// The upper-cased key of line ("SUBJECT:"), or an empty view when the line
// has no ":" or the key would have kHeaderKeyCapacity or more characters.
// The view points into key, which must hold kHeaderKeyCapacity bytes.
std::string_view HeaderKey(std::string_view line, char* key);

// The value after a key of keyLength characters: leading blanks skipped,
// cut before the first "(" (a trailing comment). For address and date
// fields; free text (the subject) takes HeaderRest.
std::string_view HeaderValue(std::string_view line, std::size_t keyLength);

// The text after a key with leading blanks and tabs skipped, nothing cut.
std::string_view HeaderRest(std::string_view line, std::size_t keyLength);

// Copies at most capacity-1 bytes of text into field and terminates it.
void CopyField(std::string_view text, char* field, std::size_t capacity);

// True for a multipart media type ("multipart/..."), whatever the case of
// its letters; every other type is a single part.
bool IsMultipartType(std::string_view type);

// True when the value's first word (before any ";", blanks trimmed) is
// word in any case: a media type ("text/plain") or a disposition
// ("attachment").
bool FirstWordIs(std::string_view value, std::string_view word);

// The value of the parameter called name (any case) in a Content-Type or
// Content-Disposition value ("type/sub; a=1; name=..."), appended to out:
//  - parameters are found by name in any order; the first one counts;
//  - a quoted value loses its quotes and the escapes \\ and \" (one without a
//    closing quote runs to the end of the field); a token ends at ";" or
//    a blank;
//  - an RFC 2231 value (name*=charset'language'text, or the numbered
//    pieces name*0, name*1*, ...) is taken in preference, its %XX escapes
//    decoded; the charset is not converted, but given in *charset when
//    that is not null (its name, cut at kMaxCharsetName characters; empty
//    for a plain value or one that names none).
// False, out untouched, when the field has no such parameter; a parameter
// with an empty value counts as found.
struct ParameterCharset {
    char name[kMaxCharsetName + 1] = {};
};
bool FindParameter(std::string_view value, std::string_view name, GrowBuffer& out,
                   ParameterCharset* charset = nullptr);

// The encoding a Content-Transfer-Encoding value names, from its first word
// in any case: "base64", "quoted-printable", "7bit" (and an empty value,
// RFC 2045's default) none; every other word (8bit, binary, x-...) other.
int TransferEncodingOf(std::string_view value);

}  // namespace zenk
