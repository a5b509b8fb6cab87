// The table of character sets the library names and reads.
#include "mime/charset_names.h"

namespace zenk {
namespace {

using S = CharsetShape;

// Names written into messages are the ones Windows itself registers for
// its code pages (what other Windows mailers write), so readers know them.
const CharsetInfo kCharsets[] = {
    {"us-ascii", 20127, S::kSingleByte, 0, 0, 0, 0},
    {"utf-8", 65001, S::kUtf8, 0, 0, 0, 0},
    {"windows-1250", 1250, S::kSingleByte, 0, 0, 0, 0},
    {"windows-1251", 1251, S::kSingleByte, 0, 0, 0, 0},
    {"windows-1252", 1252, S::kSingleByte, 0, 0, 0, 0},
    {"windows-1253", 1253, S::kSingleByte, 0, 0, 0, 0},
    {"windows-1254", 1254, S::kSingleByte, 0, 0, 0, 0},
    {"windows-1255", 1255, S::kSingleByte, 0, 0, 0, 0},
    {"windows-1256", 1256, S::kSingleByte, 0, 0, 0, 0},
    {"windows-1257", 1257, S::kSingleByte, 0, 0, 0, 0},
    {"windows-1258", 1258, S::kSingleByte, 0, 0, 0, 0},
    {"windows-874", 874, S::kSingleByte, 0, 0, 0, 0},
    {"iso-8859-1", 28591, S::kSingleByte, 0, 0, 0, 0},
    {"iso-8859-2", 28592, S::kSingleByte, 0, 0, 0, 0},
    {"iso-8859-3", 28593, S::kSingleByte, 0, 0, 0, 0},
    {"iso-8859-4", 28594, S::kSingleByte, 0, 0, 0, 0},
    {"iso-8859-5", 28595, S::kSingleByte, 0, 0, 0, 0},
    {"iso-8859-6", 28596, S::kSingleByte, 0, 0, 0, 0},
    {"iso-8859-7", 28597, S::kSingleByte, 0, 0, 0, 0},
    {"iso-8859-8", 28598, S::kSingleByte, 0, 0, 0, 0},
    {"iso-8859-9", 28599, S::kSingleByte, 0, 0, 0, 0},
    {"iso-8859-13", 28603, S::kSingleByte, 0, 0, 0, 0},
    {"iso-8859-15", 28605, S::kSingleByte, 0, 0, 0, 0},
    {"koi8-r", 20866, S::kSingleByte, 0, 0, 0, 0},
    {"koi8-u", 21866, S::kSingleByte, 0, 0, 0, 0},
    {"shift_jis", 932, S::kDoubleByte, 0x81, 0x9F, 0xE0, 0xFC},
    {"gbk", 936, S::kDoubleByte, 0x81, 0xFE, 0, 0},
    {"ks_c_5601-1987", 949, S::kDoubleByte, 0x81, 0xFE, 0, 0},
    {"big5", 950, S::kDoubleByte, 0x81, 0xFE, 0, 0},
    {"euc-jp", 20932, S::kDoubleByte, 0x8E, 0xFE, 0, 0},
    {"iso-2022-jp", 50220, S::kStateful, 0, 0, 0, 0},
};

struct Alias {
    const char* alias;
    const char* name;
};

const Alias kAliases[] = {
    {"ascii", "us-ascii"},          {"ansi_x3.4-1968", "us-ascii"}, {"utf8", "utf-8"},
    {"cp1250", "windows-1250"},     {"cp1251", "windows-1251"},     {"cp1252", "windows-1252"},
    {"cp1253", "windows-1253"},     {"cp1254", "windows-1254"},     {"cp1255", "windows-1255"},
    {"cp1256", "windows-1256"},     {"cp1257", "windows-1257"},     {"cp1258", "windows-1258"},
    {"cp874", "windows-874"},       {"tis-620", "windows-874"},     {"latin1", "iso-8859-1"},
    {"iso_8859-1", "iso-8859-1"},   {"latin2", "iso-8859-2"},       {"latin-9", "iso-8859-15"},
    {"sjis", "shift_jis"},          {"x-sjis", "shift_jis"},        {"windows-31j", "shift_jis"},
    {"cp932", "shift_jis"},         {"gb2312", "gbk"},              {"cp936", "gbk"},
    {"x-gbk", "gbk"},               {"euc-kr", "ks_c_5601-1987"},   {"cp949", "ks_c_5601-1987"},
    {"ks_c_5601", "ks_c_5601-1987"}, {"cp950", "big5"},             {"big5-hkscs", "big5"},
    {"x-euc-jp", "euc-jp"},
};

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

const CharsetInfo* ByName(std::string_view name) {
    for (const CharsetInfo& set : kCharsets)
        if (SameNameNoCase(name, set.name)) return &set;
    return nullptr;
}

bool InRange(unsigned char c, unsigned char low, unsigned char high) { return low && c >= low && c <= high; }

}  // namespace

bool SameNameNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

const CharsetInfo* FindCharset(std::string_view name) {
    if (const CharsetInfo* set = ByName(name)) return set;
    for (const Alias& a : kAliases)
        if (SameNameNoCase(name, a.alias)) return ByName(a.name);
    return nullptr;
}

const CharsetInfo* CharsetForCodePage(unsigned codePage) {
    for (const CharsetInfo& set : kCharsets)
        if (set.codePage == codePage) return &set;
    return nullptr;
}

std::size_t CharacterLength(const CharsetInfo& set, std::string_view bytes, std::size_t at) {
    const unsigned char lead = static_cast<unsigned char>(bytes[at]);
    const std::size_t left = bytes.size() - at;
    std::size_t want = 1;
    if (set.shape == S::kUtf8) {
        want = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 && lead < 0xE0 ? 2 : 1;
        if (lead > 0xF4) want = 1;
        // Only real continuation bytes belong to the character.
        for (std::size_t i = 1; i < want; ++i)
            if (i >= left || (static_cast<unsigned char>(bytes[at + i]) & 0xC0) != 0x80) return 1;
        return want;
    }
    if (set.shape == S::kDoubleByte &&
        (InRange(lead, set.leadLow, set.leadHigh) || InRange(lead, set.leadLow2, set.leadHigh2)))
        want = 2;
    return want <= left ? want : 1;
}

}  // namespace zenk
