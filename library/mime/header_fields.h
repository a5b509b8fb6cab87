// Reading the header lines of a message and of its body parts.
//
// Keys are matched case-insensitively: a key is the text up to and
// including the first ":", upper-cased. Portable.
#pragma once
#include <cstddef>
#include <string_view>

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
// cut before the first "(" (a trailing comment).
std::string_view HeaderValue(std::string_view line, std::size_t keyLength);

// The text after a key with leading blanks skipped and nothing cut.
std::string_view HeaderRest(std::string_view line, std::size_t keyLength);

// Copies at most capacity-1 bytes of text into field and terminates it.
void CopyField(std::string_view text, char* field, std::size_t capacity);

// True for a multipart media type ("multipart/..."), whatever the case of
// its letters; every other type is a single part.
bool IsMultipartType(std::string_view type);

// Outcome of looking for a boundary parameter in one line.
enum class BoundaryScan { kNoParameter, kBad, kFound };

// Looks in text for the boundary: the value of a "boundary=" parameter
// (any case) or, when the line has none, after its first "=". The value is
// either quoted ("...", closing quote required) or a token that ends at ";",
// a blank, a tab or the line end. An empty value is kBad. The boundary is
// cut to capacity-1 characters.
BoundaryScan FindBoundary(std::string_view text, char* boundary, std::size_t capacity);

// Content-Transfer-Encoding recognition for the line after a Content-Type.
// Returns false when line is not that header. Otherwise sets *encoding from
// the first character of its value (b/B base64, 7 none, q/Q
// quoted-printable, anything else other) and returns true; *empty is set
// when the value is empty.
bool ParseTransferEncoding(std::string_view line, int* encoding, bool* empty);

// The file name of a Content-Disposition line: the value of its
// "filename=" parameter (any case) or, without one, the text after its
// first "="; a leading double quote is dropped and the name ends at the next
// double quote (unquoted: at ";", a blank or the line end). Cut to
// capacity-1 characters. Returns false when the line holds no "=".
bool DispositionFileName(std::string_view line, char* name, std::size_t capacity);

}  // namespace zenk
