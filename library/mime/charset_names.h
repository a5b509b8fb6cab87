// Registered character set names (RFC 2978, the IANA list) and the Windows
// code pages they stand for, with what the coders need to know of each:
// where a character ends, so that an encoded word or a parameter piece is
// never cut inside one. Portable: the code page numbers are only data here;
// the Windows shell converts with them.
#pragma once
#include <cstddef>
#include <string_view>

namespace zenk {

// How the bytes of a character set make characters.
enum class CharsetShape : int {
    kSingleByte,  // one byte, one character
    kUtf8,        // UTF-8: a lead byte says how many bytes follow
    kDoubleByte,  // a lead byte in the set's lead range takes the next byte with it
    kStateful,    // escape sequences switch modes (ISO-2022): read, never written
};

struct CharsetInfo {
    const char* name;            // the name written into messages
    unsigned codePage;           // the Windows code page
    CharsetShape shape;
    unsigned char leadLow;       // kDoubleByte: first lead byte range
    unsigned char leadHigh;
    unsigned char leadLow2;      // a second lead range, 0 when none
    unsigned char leadHigh2;
};

// The longest charset name the library keeps, without its NUL.
constexpr std::size_t kMaxCharsetName = 39;

// True when a and b are the same name but for the case of ASCII letters.
bool SameNameNoCase(std::string_view a, std::string_view b);

// The set a name (any case, any of its usual aliases) stands for, or null
// when it is not one the library knows.
const CharsetInfo* FindCharset(std::string_view name);

// The set for a Windows code page, or null.
const CharsetInfo* CharsetForCodePage(unsigned codePage);

// True when the composer may write text in this set: every set except the
// stateful ones, whose bytes cannot be cut into words safely.
inline bool IsComposableCharset(const CharsetInfo& set) { return set.shape != CharsetShape::kStateful; }

// Bytes of the character that starts at bytes[at] (at < bytes.size()): at
// least 1, never past the end. A broken sequence counts byte by byte.
std::size_t CharacterLength(const CharsetInfo& set, std::string_view bytes, std::size_t at);

}  // namespace zenk
