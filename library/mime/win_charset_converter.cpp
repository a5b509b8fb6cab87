// Charset conversion through the system's code page tables.
#include "mime/win_charset_converter.h"

#include <windows.h>

#include <climits>
#include <memory>
#include <new>

#include "mime/charset_names.h"

namespace zenk {
namespace {

// MB_ERR_INVALID_CHARS is refused (ERROR_INVALID_FLAGS) by the stateful
// code pages; there a bad sequence cannot be told from good text.
DWORD DecodeFlags(unsigned codePage) {
    return (codePage >= 50220 && codePage <= 50229) || codePage == 65000 ? 0 : MB_ERR_INVALID_CHARS;
}

}  // namespace

bool WidePath(const char* path, unsigned codePage, wchar_t* out, std::size_t capacity) {
    if (!path || capacity == 0 || capacity > INT_MAX) return false;
    const int n = MultiByteToWideChar(codePage, DecodeFlags(codePage), path, -1, out, static_cast<int>(capacity));
    return n > 0;
}

bool NarrowPath(const wchar_t* path, unsigned codePage, char* out, std::size_t capacity) {
    if (!path || capacity == 0 || capacity > INT_MAX) return false;
    BOOL usedDefault = FALSE;
    const bool utf8 = codePage == CP_UTF8;
    const int n = WideCharToMultiByte(codePage, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, path, -1, out,
                                      static_cast<int>(capacity), nullptr, utf8 ? nullptr : &usedDefault);
    return n > 0 && !usedDefault;
}

WindowsCharsetConverter::WindowsCharsetConverter() : target_(GetACP()) {}

bool WindowsCharsetConverter::Convert(std::string_view charset, std::string_view bytes, GrowBuffer& out) {
    const CharsetInfo* set = FindCharset(charset);
    if (!set) return false;
    if (bytes.empty()) return true;
    if (bytes.size() > INT_MAX / 4) return false;
    const int count = static_cast<int>(bytes.size());
    const DWORD flags = DecodeFlags(set->codePage);
    const int wide = MultiByteToWideChar(set->codePage, flags, bytes.data(), count, nullptr, 0);
    if (wide <= 0) return false;
    std::unique_ptr<wchar_t[]> text(new (std::nothrow) wchar_t[wide]);
    if (!text || MultiByteToWideChar(set->codePage, flags, bytes.data(), count, text.get(), wide) != wide)
        return false;
    // UTF-8 holds every character, and refuses the default-character
    // arguments; every other page must hold each one exactly (no "?" and no
    // best-fit look-alike, which could turn a name into another name).
    const bool utf8 = target_ == CP_UTF8;
    BOOL usedDefault = FALSE;
    const DWORD outFlags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL* defaultFlag = utf8 ? nullptr : &usedDefault;
    const int n = WideCharToMultiByte(target_, outFlags, text.get(), wide, nullptr, 0, nullptr, defaultFlag);
    if (n <= 0 || usedDefault) return false;
    const std::size_t before = out.Size();
    if (!out.Reserve(before + static_cast<std::size_t>(n))) return false;
    std::unique_ptr<char[]> converted(new (std::nothrow) char[n]);
    if (!converted ||
        WideCharToMultiByte(target_, outFlags, text.get(), wide, converted.get(), n, nullptr, defaultFlag) != n ||
        usedDefault)
        return false;
    return out.Append(converted.get(), static_cast<std::size_t>(n));
}

}  // namespace zenk
