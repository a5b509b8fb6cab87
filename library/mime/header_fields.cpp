// Header keys, values, media types and parameters.
#include "mime/header_fields.h"

#include <cstdio>
#include <cstring>

namespace zenk {
namespace {

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Upper(a[i]) != Upper(b[i])) return false;
    return true;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && SameNoCase(text.substr(0, prefix.size()), prefix);
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// One parameter as it stands in the field.
struct Parameter {
    std::string_view name;   // trimmed, as written
    std::string_view value;  // quotes removed, escapes not yet
    bool quoted = false;
};

// Steps to the next "name=value" after the current position of rest (which
// starts at the type, before the first ";"). False when none is left.
bool NextParameter(std::string_view& rest, Parameter* p) {
    for (;;) {
        const std::size_t semi = rest.find(';');
        if (semi == std::string_view::npos) return false;
        rest.remove_prefix(semi + 1);
        std::size_t i = 0;
        while (i < rest.size() && rest[i] != '=' && rest[i] != ';') ++i;
        if (i == rest.size() || rest[i] == ';') continue;  // no value: skipped
        p->name = Trim(rest.substr(0, i));
        rest.remove_prefix(i + 1);
        while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
        p->quoted = !rest.empty() && rest.front() == '"';
        if (p->quoted) {
            std::size_t j = 1;
            while (j < rest.size() && rest[j] != '"') j += rest[j] == '\\' ? 2 : 1;
            if (j > rest.size()) j = rest.size();
            p->value = rest.substr(1, j - 1);
            rest.remove_prefix(j < rest.size() ? j + 1 : j);
        } else {
            std::size_t j = 0;
            while (j < rest.size() && rest[j] != ';' && !IsBlank(rest[j])) ++j;
            p->value = rest.substr(0, j);
            rest.remove_prefix(j);
        }
        return true;
    }
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Only \\ and \" are undone, as mail readers do: Windows mailers write
// paths such as "C:\dir\a.txt" unescaped, and the last component must
// survive.
bool AppendUnquoted(std::string_view value, GrowBuffer& out) {
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size() && (value[i + 1] == '\\' || value[i + 1] == '"')) ++i;
        if (!out.Append(&value[i], 1)) return false;
    }
    return true;
}

bool AppendPercentDecoded(std::string_view value, GrowBuffer& out) {
    for (std::size_t i = 0; i < value.size(); ++i) {
        char c = value[i];
        if (c == '%' && i + 2 < value.size() + 0 && HexValue(value[i + 1]) >= 0 && HexValue(value[i + 2]) >= 0) {
            c = static_cast<char>(HexValue(value[i + 1]) * 16 + HexValue(value[i + 2]));
            i += 2;
        }
        if (!out.Append(&c, 1)) return false;
    }
    return true;
}

// The value of the parameter whose name is exactly wanted (any case).
bool FindNamed(std::string_view field, std::string_view wanted, Parameter* found) {
    Parameter p;
    while (NextParameter(field, &p))
        if (SameNoCase(p.name, wanted)) {
            *found = p;
            return true;
        }
    return false;
}

// An extended value (its name ends in "*"): percent-encoded, and in the
// first piece preceded by charset'language'.
bool AppendExtended(const Parameter& p, bool first, GrowBuffer& out, ParameterCharset* charset) {
    std::string_view value = p.value;
    if (first) {
        const std::size_t a = value.find('\'');
        const std::size_t b = a == std::string_view::npos ? a : value.find('\'', a + 1);
        if (b != std::string_view::npos) {
            if (charset && a <= kMaxCharsetName) CopyField(value.substr(0, a), charset->name, sizeof charset->name);
            value.remove_prefix(b + 1);
        }
    }
    return AppendPercentDecoded(value, out);
}

// RFC 2231 pieces name*0, name*1, ... (each may end in "*"); at most this many.
constexpr int kMaxParameterPieces = 64;

bool FindExtended(std::string_view field, std::string_view name, GrowBuffer& out, ParameterCharset* charset) {
    char wanted[kHeaderKeyCapacity + 8];
    if (name.size() + 5 > kHeaderKeyCapacity) return false;
    std::memcpy(wanted, name.data(), name.size());
    wanted[name.size()] = '*';
    Parameter p;
    if (FindNamed(field, std::string_view(wanted, name.size() + 1), &p)) return AppendExtended(p, true, out, charset);
    bool any = false;
    for (int piece = 0; piece < kMaxParameterPieces; ++piece) {
        const int digits = std::snprintf(wanted + name.size() + 1, 4, "%d", piece);
        const std::string_view plain(wanted, name.size() + 1 + digits);
        wanted[plain.size()] = '*';
        const std::string_view star(wanted, plain.size() + 1);
        if (FindNamed(field, star, &p)) {
            if (!AppendExtended(p, piece == 0, out, charset)) return any;
        } else if (FindNamed(field, plain, &p)) {
            if (!AppendUnquoted(p.value, out)) return any;
        } else {
            break;
        }
        any = true;
    }
    return any;
}

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
    while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) rest.remove_prefix(1);
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

bool IsMultipartType(std::string_view type) {
    return StartsWithNoCase(Trim(type), "multipart");
}

bool FirstWordIs(std::string_view value, std::string_view word) {
    return SameNoCase(Trim(value.substr(0, value.find(';'))), word);
}

bool FindParameter(std::string_view value, std::string_view name, GrowBuffer& out, ParameterCharset* charset) {
    const std::size_t before = out.Size();
    if (charset) charset->name[0] = '\0';
    if (FindExtended(value, name, out, charset)) return true;
    out.Truncate(before);
    if (charset) charset->name[0] = '\0';
    Parameter p;
    if (!FindNamed(value, name, &p)) return false;
    AppendUnquoted(p.value, out);
    return true;
}

int TransferEncodingOf(std::string_view value) {
    value = Trim(value);
    std::size_t end = 0;
    while (end < value.size() && !IsBlank(value[end]) && value[end] != ';' && value[end] != '(') ++end;
    const std::string_view word = value.substr(0, end);
    if (word.empty() || SameNoCase(word, "7bit")) return kEncodingNone;
    if (SameNoCase(word, "base64")) return kEncodingBase64;
    if (SameNoCase(word, "quoted-printable")) return kEncodingQuotedPrintable;
    return kEncodingOther;
}

}  // namespace zenk
