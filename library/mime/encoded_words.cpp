// RFC 2047 encoded words, decoded and converted.
#include "mime/encoded_words.h"

#include "mime/charset_names.h"

namespace zenk {
namespace {

constexpr char kHex[] = "0123456789ABCDEF";

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

int Base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

struct EncodedWord {
    std::string_view charset;  // without an RFC 2231 "*language"
    char encoding = 0;         // 'Q' or 'B'
    std::string_view payload;
    std::size_t end = 0;       // index after "?="
};

// RFC 2047 allows 75 characters; mailers write longer words, but a word
// is looked for no further than this, so a field full of "=?" is read in
// time in proportion to its length.
constexpr std::size_t kMaxEncodedWord = 1024;

// The encoded word that starts at text[at], if one does.
bool ParseWord(std::string_view whole, std::size_t at, EncodedWord* w) {
    const std::size_t end = at + kMaxEncodedWord < whole.size() ? at + kMaxEncodedWord : whole.size();
    const std::string_view text = whole.substr(0, end);
    if (text.substr(at, 2) != "=?") return false;
    const std::size_t charsetEnd = text.find('?', at + 2);
    if (charsetEnd == std::string_view::npos || charsetEnd + 3 > text.size() || text[charsetEnd + 2] != '?')
        return false;
    std::string_view charset = text.substr(at + 2, charsetEnd - at - 2);
    charset = charset.substr(0, charset.find('*'));
    if (charset.empty() || charset.size() > kMaxCharsetName) return false;
    for (char c : charset)
        if (IsBlank(c) || static_cast<unsigned char>(c) < 33 || static_cast<unsigned char>(c) > 126) return false;
    const char e = text[charsetEnd + 1];
    if (e != 'Q' && e != 'q' && e != 'B' && e != 'b') return false;
    const std::size_t start = charsetEnd + 3;
    const std::size_t close = text.find("?=", start);
    if (close == std::string_view::npos) return false;
    w->payload = text.substr(start, close - start);
    for (char c : w->payload)
        if (IsBlank(c)) return false;
    w->charset = charset;
    w->encoding = (e == 'Q' || e == 'q') ? 'Q' : 'B';
    w->end = close + 2;
    return true;
}

bool AppendByte(GrowBuffer& out, unsigned char c) {
    // A decoded line break or NUL must not end or cut the field.
    char ch = (c == '\r' || c == '\n' || c == 0) ? ' ' : static_cast<char>(c);
    return out.Append(&ch, 1);
}

// The bytes a word's payload stands for; false for a payload that is no
// valid base64 (the word is then taken as plain text).
bool DecodePayload(const EncodedWord& w, GrowBuffer& out) {
    const std::string_view p = w.payload;
    if (w.encoding == 'Q') {
        for (std::size_t i = 0; i < p.size(); ++i) {
            if (p[i] == '_') {
                if (!AppendByte(out, ' ')) return false;
            } else if (p[i] == '=' && i + 2 < p.size() && HexValue(p[i + 1]) >= 0 && HexValue(p[i + 2]) >= 0) {
                if (!AppendByte(out, static_cast<unsigned char>(HexValue(p[i + 1]) * 16 + HexValue(p[i + 2]))))
                    return false;
                i += 2;
            } else if (!AppendByte(out, static_cast<unsigned char>(p[i]))) {
                return false;
            }
        }
        return true;
    }
    unsigned bits = 0;
    int held = 0;
    std::size_t i = 0;
    for (; i < p.size() && p[i] != '='; ++i) {
        const int v = Base64Value(p[i]);
        if (v < 0) return false;
        bits = (bits << 6) | static_cast<unsigned>(v);
        if (++held == 4) {
            for (int shift = 16; shift >= 0; shift -= 8)
                if (!AppendByte(out, static_cast<unsigned char>(bits >> shift))) return false;
            bits = 0;
            held = 0;
        }
    }
    for (; i < p.size(); ++i)
        if (p[i] != '=') return false;
    if (held == 1) return false;
    if (held >= 2 && !AppendByte(out, static_cast<unsigned char>(bits >> (held == 2 ? 4 : 10)))) return false;
    if (held == 3 && !AppendByte(out, static_cast<unsigned char>(bits >> 2))) return false;
    return true;
}

}  // namespace

bool AppendPercentEscaped(std::string_view bytes, GrowBuffer& out) {
    for (char ch : bytes) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c >= 0x80 || c == '%' || c < 32 || c == 127) {
            const char e[3] = {'%', kHex[c >> 4], kHex[c & 15]};
            if (!out.Append(e, 3)) return false;
        } else if (!out.Append(&ch, 1)) {
            return false;
        }
    }
    return true;
}

bool ConvertOrEscape(CharsetConverter& converter, std::string_view charset, std::string_view bytes,
                     GrowBuffer& out) {
    return converter.Convert(charset, bytes, out) || AppendPercentEscaped(bytes, out);
}

bool DecodeEncodedWords(std::string_view text, CharsetConverter& converter, UnfitWords unfit, GrowBuffer& out) {
    GrowBuffer run;               // decoded bytes of adjacent words of one charset
    GrowBuffer word;              // the bytes of the word just read
    std::string_view runCharset;  // empty: no run
    auto flush = [&]() {
        if (runCharset.empty()) return true;
        const std::string_view charset = runCharset;
        runCharset = {};
        if (converter.Convert(charset, run.View(), out)) return true;
        return unfit == UnfitWords::kPercentEscape && AppendPercentEscaped(run.View(), out);
    };
    bool afterWord = false;
    std::size_t literalFrom = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        EncodedWord w;
        if (text[at] != '=' || !ParseWord(text, at, &w)) continue;
        word.Clear();
        if (!DecodePayload(w, word)) continue;  // not a word after all: plain text
        const std::string_view gap = text.substr(literalFrom, at - literalFrom);
        bool blanksOnly = true;
        for (char c : gap) blanksOnly = blanksOnly && IsBlank(c);
        // Blanks between two words only fold the line: they are no text.
        const bool joined = afterWord && blanksOnly;
        if (!joined || !SameNameNoCase(runCharset, w.charset)) {
            if (!flush()) return false;
            if (!joined && !out.Append(gap)) return false;
            run.Clear();
            runCharset = w.charset;
        }
        if (!run.Append(word.View())) return false;
        afterWord = true;
        literalFrom = w.end;
        at = w.end - 1;
    }
    return flush() && out.Append(text.substr(literalFrom));
}

}  // namespace zenk
