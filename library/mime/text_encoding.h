// 7-bit-safe forms of 8-bit text, as the composer writes them: the message
// text in quoted-printable or base64 (RFC 2045), a subject as encoded words
// (RFC 2047), an attachment name as an extended parameter (RFC 2231).
//
// Everything they write is printable ASCII in lines of at most 76
// characters, so the SMTP client's rule for bit 7 and for line-break bytes
// never meets a byte of the text. Portable.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "mime/charset_names.h"

namespace zenk {

// Where encoded characters go.
class EncodedSink {
public:
    virtual ~EncodedSink() = default;
    virtual void Put(std::string_view text) = 0;
};

// Counts what would be written: lets the composer pick the shorter form.
class CountingSink : public EncodedSink {
public:
    void Put(std::string_view text) override { count += text.size(); }
    std::uint64_t count = 0;
};

// True when text holds a byte with bit 7 set.
bool HasEightBitBytes(std::string_view text);

// Quoted-printable text, fed in pieces of any size. A line break of the
// text (LF, or CR LF) is written as CR LF; a lone CR, "=", every byte
// outside printable ASCII, and a blank or tab before a line break or at
// the end are escaped; longer lines get soft breaks so that no line passes
// 76 characters. The output is made to be followed by one CR LF (the
// composer's record puts one after the text): a last line break of the
// text is left to it, and a text that ends without one ends in a soft
// break, so the part decodes to exactly the text.
class QuotedPrintableWriter {
public:
    explicit QuotedPrintableWriter(EncodedSink& out) : out_(out) {}
    void Write(std::string_view bytes);
    // Writes what is held back (a last CR or blank). Call once at the end.
    void Finish();

private:
    void Byte(unsigned char c);
    void Token(const char* text, std::size_t n);
    void Escaped(unsigned char c);
    void FlushBlank();
    void LineEnd();

    EncodedSink& out_;
    std::size_t lineLength_ = 0;  // characters on the current output line
    bool heldCr_ = false;         // a CR that may begin a CR LF
    char heldBlank_ = 0;          // a blank or tab that may end a line
    bool heldBreak_ = false;      // a line break written only when more text follows
};

// Base64 text, fed in pieces of any size: lone LFs become CR LF first (the
// canonical form of text, RFC 2045 6.8), then lines of 76 characters.
class Base64TextWriter {
public:
    static constexpr std::size_t kLineBytes = 57;  // 76 characters a line
    explicit Base64TextWriter(EncodedSink& out) : out_(out) {}
    void Write(std::string_view bytes);
    void Finish();

private:
    void Add(unsigned char c);
    void Line();

    EncodedSink& out_;
    unsigned char group_[kLineBytes];
    std::size_t held_ = 0;
    bool lastCr_ = false;
};

// A header value as encoded words in set, Q or B, whichever is shorter:
// words of at most 75 characters that never cut a character, on lines of
// at most 76 characters (the first line has firstLineRoom characters left
// after its field name). Lines after the first start with a blank.
void WriteEncodedWords(std::string_view text, const CharsetInfo& set, std::size_t firstLineRoom,
                       EncodedSink& out);

// The RFC 2231 form of parameter attribute (e.g. "filename") holding value
// in set, written as "; attribute*=charset''%XX..." on a line of its own,
// or in numbered pieces "attribute*0*=", "attribute*1*=", ... when one
// line of 76 characters cannot hold it. Pieces never cut a character.
void WriteExtendedParameter(std::string_view attribute, std::string_view value, const CharsetInfo& set,
                            EncodedSink& out);

// An ASCII stand-in for name, for readers without RFC 2231: each run of
// 8-bit bytes becomes one "_", as do control characters, quotes and
// backslashes. Writes at most capacity - 1 bytes and a NUL.
void AsciiFallbackName(std::string_view name, char* out, std::size_t capacity);

}  // namespace zenk
