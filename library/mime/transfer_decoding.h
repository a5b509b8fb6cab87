// Decoding of one encoded body line (RFC 2045): base64 and quoted-printable.
//
// The scanner decodes attachment parts line by line as it reads them, so
// both decoders work on a single line without its line end. Portable.
#pragma once
#include <cstddef>
#include <string_view>

namespace zenk {

// Bytes out must hold for DecodeBase64Line on a line of length characters.
constexpr std::size_t Base64LineBytes(std::size_t length) { return length / 4 * 3; }

// Decodes one base64 line, whatever its length, into out
// (Base64LineBytes(line.size()) bytes) and returns the byte count. Trailing
// blanks and tabs are ignored. The line must then be a multiple of 4
// characters, and every group must use the RFC 2045 alphabet; otherwise it
// gives 0 bytes. A group whose third character is "=" gives one byte, whose
// fourth is "=" two, and decoding stops after it.
std::size_t DecodeBase64Line(std::string_view line, unsigned char* out);

// Decodes one quoted-printable line in place-free fashion into out, which
// must hold line.size() bytes, and returns the byte count. "=XX" (hex digits
// of either case) becomes that byte; an "=" that ends the line (a soft line
// break) is dropped and *softBreak set; any other "=" is kept as it stands,
// with the characters after it, so nothing of a badly escaped line is lost.
std::size_t DecodeQuotedPrintableLine(std::string_view line, unsigned char* out, bool* softBreak);

}  // namespace zenk
