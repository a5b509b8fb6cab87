// Header keys, values, media types, boundaries and file names.
#include "mime/header_fields.h"

#include <cstring>

namespace zenk {
namespace {

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (Upper(text[i]) != Upper(prefix[i])) return false;
    return true;
}

// Position just after "name=" (any case) in text, or after its first "=";
// npos when text holds no "=".
std::size_t ParameterValueStart(std::string_view text, std::string_view name) {
    for (std::size_t i = 0; i + name.size() <= text.size(); ++i)
        if (StartsWithNoCase(text.substr(i), name)) return i + name.size();
    std::size_t eq = text.find('=');
    return eq == std::string_view::npos ? eq : eq + 1;
}

bool EndsToken(char c) { return c == ';' || c == ' ' || c == '\t'; }

}  // namespace

std::string_view HeaderKey(std::string_view line, char* key) {
    std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon + 1 >= kHeaderKeyCapacity) return {};
    for (std::size_t i = 0; i <= colon; ++i) key[i] = Upper(line[i]);
    key[colon + 1] = '\0';
    return std::string_view(key, colon + 1);
}

std::string_view HeaderRest(std::string_view line, std::size_t keyLength) {
    std::string_view rest = line.substr(keyLength < line.size() ? keyLength : line.size());
    while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    return rest;
}

std::string_view HeaderValue(std::string_view line, std::size_t keyLength) {
    std::string_view value = HeaderRest(line, keyLength);
    std::size_t paren = value.find('(');
    return paren == std::string_view::npos ? value : value.substr(0, paren);
}

void CopyField(std::string_view text, char* field, std::size_t capacity) {
    if (capacity == 0) return;
    std::size_t n = text.size() < capacity - 1 ? text.size() : capacity - 1;
    if (n) std::memcpy(field, text.data(), n);
    field[n] = '\0';
}

bool IsMultipartType(std::string_view type) { return StartsWithNoCase(type, "multipart"); }

BoundaryScan FindBoundary(std::string_view text, char* boundary, std::size_t capacity) {
    std::size_t start = ParameterValueStart(text, "boundary=");
    if (start == std::string_view::npos) return BoundaryScan::kNoParameter;
    std::string_view value = text.substr(start);
    if (!value.empty() && value.front() == '"') {
        std::size_t close = value.find('"', 1);
        if (close == std::string_view::npos) return BoundaryScan::kBad;
        value = value.substr(1, close - 1);
    } else {
        std::size_t end = 0;
        while (end < value.size() && !EndsToken(value[end])) ++end;
        value = value.substr(0, end);
    }
    if (value.empty()) return BoundaryScan::kBad;
    CopyField(value, boundary, capacity);
    return BoundaryScan::kFound;
}

bool ParseTransferEncoding(std::string_view line, int* encoding, bool* empty) {
    constexpr std::string_view kName = "Content-Transfer-Encoding:";
    if (!StartsWithNoCase(line, kName)) return false;
    std::string_view value = HeaderRest(line, kName.size());
    *empty = value.empty();
    *encoding = kEncodingOther;
    if (value.empty()) return true;
    switch (value.front()) {
    case 'b': case 'B': *encoding = kEncodingBase64; break;
    case '7': *encoding = kEncodingNone; break;
    case 'q': case 'Q': *encoding = kEncodingQuotedPrintable; break;
    default: break;
    }
    return true;
}

bool DispositionFileName(std::string_view line, char* name, std::size_t capacity) {
    std::size_t start = ParameterValueStart(line, "filename=");
    if (start == std::string_view::npos) return false;
    std::string_view value = line.substr(start);
    std::size_t end;
    if (!value.empty() && value.front() == '"') {
        value.remove_prefix(1);
        end = value.find('"');
        if (end == std::string_view::npos) end = value.size();
    } else {
        end = 0;
        while (end < value.size() && !EndsToken(value[end])) ++end;
    }
    CopyField(value.substr(0, end), name, capacity);
    return true;
}

}  // namespace zenk
