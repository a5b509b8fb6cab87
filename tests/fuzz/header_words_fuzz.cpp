// libFuzzer target: the decoders of 8-bit header text. The input is a
// header value given to the RFC 2047 encoded-word decoder (both ways of
// treating words that do not fit) and, as a Content-Disposition value, to
// the RFC 2231 parameter reader with its charset. A converter stands in
// for the code page tables: UTF-8 passes when valid, iso-8859-1 widens to
// UTF-8, every other set is refused. Nothing decoded may hold CR or LF,
// and a value without "=?" must come out unchanged.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "mime/encoded_words.h"
#include "mime/header_fields.h"

namespace {

bool ValidUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const std::size_t n = c < 0x80 ? 1 : c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
        if (n == 0 || i + n > s.size()) return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += n;
    }
    return true;
}

class FuzzConverter : public zenk::CharsetConverter {
public:
    bool Convert(std::string_view charset, std::string_view bytes, zenk::GrowBuffer& out) override {
        const zenk::CharsetInfo* set = zenk::FindCharset(charset);
        if (!set) return false;
        if (set->codePage == 65001) return ValidUtf8(bytes) && out.Append(bytes);
        if (set->codePage != 28591) return false;
        for (char ch : bytes) {
            const unsigned char c = static_cast<unsigned char>(ch);
            const char wide[2] = {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F))};
            if (!(c < 0x80 ? out.Append(&ch, 1) : out.Append(wide, 2))) return false;
        }
        return true;
    }
};

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    FuzzConverter converter;
    for (zenk::UnfitWords unfit : {zenk::UnfitWords::kFail, zenk::UnfitWords::kPercentEscape}) {
        zenk::GrowBuffer out;
        const bool done = zenk::DecodeEncodedWords(input, converter, unfit, out);
        if (unfit == zenk::UnfitWords::kPercentEscape && !done) __builtin_trap();
        if (done && input.find("=?") == std::string_view::npos && out.View() != input) __builtin_trap();
        if (done && !HasLineBreak(input) && HasLineBreak(out.View())) __builtin_trap();
    }
    zenk::GrowBuffer name, decoded;
    zenk::ParameterCharset charset;
    if (zenk::FindParameter(input, "filename", name, &charset)) {
        if (std::strlen(charset.name) > zenk::kMaxCharsetName) __builtin_trap();
        if (!zenk::ConvertOrEscape(converter, charset.name, name.View(), decoded)) __builtin_trap();
    }
    return 0;
}
