// Quoted-printable, base64 text, encoded words and extended parameters.
#include "mime/text_encoding.h"

#include <cstdio>
#include <cstring>

#include "mime/base64_encode.h"

namespace zenk {
namespace {

constexpr char kHex[] = "0123456789ABCDEF";
constexpr std::size_t kMaxLine = 76;
constexpr std::size_t kMaxWord = 75;  // RFC 2047: an encoded word's limit

// Q encoding of a header word keeps only these (RFC 2047 5(3)); a blank
// becomes "_".
bool IsQLiteral(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           (c && std::strchr("!*+-/", c));
}

std::size_t QLength(std::string_view bytes) {
    std::size_t n = 0;
    for (char ch : bytes) n += (IsQLiteral(static_cast<unsigned char>(ch)) || ch == ' ') ? 1 : 3;
    return n;
}

std::size_t BLength(std::string_view bytes) { return Base64Length(bytes.size()); }

// RFC 2231 attribute-char: kept as it is in an extended value.
bool IsAttributeChar(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           (c && std::strchr("!#$&+-.^_`|~", c));
}

std::size_t PercentLength(std::string_view bytes) {
    std::size_t n = 0;
    for (char ch : bytes) n += IsAttributeChar(static_cast<unsigned char>(ch)) ? 1 : 3;
    return n;
}

void PutEscape(EncodedSink& out, char mark, unsigned char c) {
    const char e[3] = {mark, kHex[c >> 4], kHex[c & 15]};
    out.Put(std::string_view(e, 3));
}

// Cuts text into chunks of whole characters, each as long as its encoded
// form fits room(index) characters, and hands each to take(index, chunk).
// A character too wide for the room still goes alone into a chunk, so the
// walk always ends.
template <typename Length, typename Room, typename Take>
void Chunks(std::string_view text, const CharsetInfo& set, Length length, Room room, Take take) {
    std::size_t index = 0, start = 0, at = 0;
    while (at < text.size()) {
        const std::size_t next = at + CharacterLength(set, text, at);
        if (at > start && length(text.substr(start, next - start)) > room(index)) {
            take(index++, text.substr(start, at - start));
            start = at;
        }
        at = next;
    }
    if (at > start) take(index, text.substr(start, at - start));
}

void WriteWords(std::string_view text, const CharsetInfo& set, std::size_t firstLineRoom, bool q,
                EncodedSink& out) {
    const std::string_view name(set.name);
    const std::size_t overhead = name.size() + 7;  // "=?" name "?Q?" ... "?="
    auto length = [&](std::string_view bytes) { return overhead + (q ? QLength(bytes) : BLength(bytes)); };
    auto room = [&](std::size_t index) {
        const std::size_t line = index == 0 ? firstLineRoom : kMaxLine - 1;
        return line < kMaxWord ? line : kMaxWord;
    };
    Chunks(text, set, length, room, [&](std::size_t index, std::string_view chunk) {
        if (index > 0) out.Put("\r\n ");
        out.Put("=?");
        out.Put(name);
        out.Put(q ? "?Q?" : "?B?");
        if (q) {
            for (char ch : chunk) {
                const unsigned char c = static_cast<unsigned char>(ch);
                if (c == ' ')
                    out.Put("_");
                else if (IsQLiteral(c))
                    out.Put(std::string_view(&ch, 1));
                else
                    PutEscape(out, '=', c);
            }
        } else {
            for (std::size_t i = 0; i < chunk.size(); i += 3) {
                char group[4];
                const std::size_t n = chunk.size() - i < 3 ? chunk.size() - i : 3;
                out.Put(std::string_view(group, Base64Encode(chunk.data() + i, n, group)));
            }
        }
        out.Put("?=");
    });
}

}  // namespace

bool HasEightBitBytes(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    return false;
}

void QuotedPrintableWriter::Write(std::string_view bytes) {
    for (char c : bytes) Byte(static_cast<unsigned char>(c));
}

void QuotedPrintableWriter::Byte(unsigned char c) {
    if (heldCr_) {
        heldCr_ = false;
        if (c == '\n') return LineEnd();
        FlushBlank();
        Escaped('\r');
    }
    if (c == '\n') return LineEnd();
    if (c == '\r') {
        heldCr_ = true;
        return;
    }
    FlushBlank();
    if (c == ' ' || c == '\t') {
        heldBlank_ = static_cast<char>(c);
        return;
    }
    if (c >= 33 && c <= 126 && c != '=') {
        const char literal = static_cast<char>(c);
        Token(&literal, 1);
    } else {
        Escaped(c);
    }
}

void QuotedPrintableWriter::Token(const char* text, std::size_t n) {
    if (heldBreak_) {
        heldBreak_ = false;
        out_.Put("\r\n");
    }
    // A soft break ("=") must fit on the line too.
    if (lineLength_ + n > kMaxLine - 1) {
        out_.Put("=\r\n");
        lineLength_ = 0;
    }
    out_.Put(std::string_view(text, n));
    lineLength_ += n;
}

void QuotedPrintableWriter::Escaped(unsigned char c) {
    const char e[3] = {'=', kHex[c >> 4], kHex[c & 15]};
    Token(e, 3);
}

// A held blank that more text follows on its line is written as it is.
void QuotedPrintableWriter::FlushBlank() {
    if (!heldBlank_) return;
    const char blank = heldBlank_;
    heldBlank_ = 0;
    Token(&blank, 1);
}

// A blank that ends a line is escaped: mail relays may strip it.
void QuotedPrintableWriter::LineEnd() {
    if (heldBlank_) Escaped(static_cast<unsigned char>(heldBlank_));
    heldBlank_ = 0;
    if (heldBreak_) out_.Put("\r\n");
    heldBreak_ = true;
    lineLength_ = 0;
}

void QuotedPrintableWriter::Finish() {
    if (heldCr_) {
        heldCr_ = false;
        FlushBlank();
        Escaped('\r');
    }
    if (heldBlank_) Escaped(static_cast<unsigned char>(heldBlank_));
    heldBlank_ = 0;
    // The line end that follows in the message stands for a last line
    // break; after a last line without one, a soft break takes it away.
    if (!heldBreak_ && lineLength_ > 0) out_.Put("=");
    heldBreak_ = false;
}

void Base64TextWriter::Write(std::string_view bytes) {
    for (char ch : bytes) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c == '\n' && !lastCr_) Add('\r');
        Add(c);
        lastCr_ = c == '\r';
    }
}

void Base64TextWriter::Add(unsigned char c) {
    group_[held_++] = c;
    if (held_ == kLineBytes) Line();
}

void Base64TextWriter::Line() {
    char line[Base64Length(kLineBytes) + 2];
    std::size_t n = Base64Encode(group_, held_, line);
    line[n++] = '\r';
    line[n++] = '\n';
    out_.Put(std::string_view(line, n));
    held_ = 0;
}

void Base64TextWriter::Finish() {
    if (held_) Line();
}

void WriteEncodedWords(std::string_view text, const CharsetInfo& set, std::size_t firstLineRoom,
                       EncodedSink& out) {
    CountingSink q, b;
    WriteWords(text, set, firstLineRoom, true, q);
    WriteWords(text, set, firstLineRoom, false, b);
    WriteWords(text, set, firstLineRoom, q.count <= b.count, out);
}

void WriteExtendedParameter(std::string_view attribute, std::string_view value, const CharsetInfo& set,
                            EncodedSink& out) {
    const std::string_view name(set.name);
    auto put = [&](std::string_view chunk) {
        for (char ch : chunk) {
            const unsigned char c = static_cast<unsigned char>(ch);
            if (IsAttributeChar(c))
                out.Put(std::string_view(&ch, 1));
            else
                PutEscape(out, '%', c);
        }
    };
    // One line: "; attribute*=charset''value" after the line break, with
    // the blank that folds it.
    const std::size_t single = 1 + attribute.size() + 2 + name.size() + 2 + PercentLength(value);
    if (single <= kMaxLine) {
        out.Put(";\r\n ");
        out.Put(attribute);
        out.Put("*=");
        out.Put(name);
        out.Put("''");
        put(value);
        return;
    }
    auto room = [&](std::size_t index) {
        // " attribute*NN*=" then the piece and the ";" of the next one.
        const std::size_t digits = index < 10 ? 1 : index < 100 ? 2 : 3;
        std::size_t used = 1 + attribute.size() + 1 + digits + 2 + 1;
        if (index == 0) used += name.size() + 2;
        return used < kMaxLine ? kMaxLine - used : 3;
    };
    Chunks(value, set, PercentLength, room, [&](std::size_t index, std::string_view chunk) {
        char number[24];
        const int n = std::snprintf(number, sizeof number, "*%u*=", static_cast<unsigned>(index));
        out.Put(";\r\n ");
        out.Put(attribute);
        out.Put(std::string_view(number, n > 0 ? static_cast<std::size_t>(n) : 0));
        if (index == 0) {
            out.Put(name);
            out.Put("''");
        }
        put(chunk);
    });
}

void AsciiFallbackName(std::string_view name, char* out, std::size_t capacity) {
    if (capacity == 0) return;
    std::size_t n = 0;
    bool inRun = false;
    for (char ch : name) {
        const unsigned char c = static_cast<unsigned char>(ch);
        const bool eightBit = c >= 0x80;
        if (eightBit && inRun) continue;
        inRun = eightBit;
        if (n + 1 >= capacity) break;
        out[n++] = (eightBit || c < 32 || c == 127 || c == '"' || c == '\\') ? '_' : ch;
    }
    out[n] = '\0';
}

}  // namespace zenk
