// CharsetConverter over MultiByteToWideChar and WideCharToMultiByte: text
// in a named charset (charset_names.h) into the caller's code page, by
// default the process's ANSI code page.
#pragma once
#include <cstddef>

#include "mime/encoded_words.h"

namespace zenk {

class WindowsCharsetConverter : public CharsetConverter {
public:
    WindowsCharsetConverter();  // the ANSI code page (GetACP)
    // The code page decoded text goes into.
    void SetTarget(unsigned codePage) { target_ = codePage; }
    unsigned Target() const { return target_; }
    bool Convert(std::string_view charset, std::string_view bytes, GrowBuffer& out) override;

private:
    unsigned target_;
};

// Paths written in a code page, for the wide file functions: at most
// kMaxWidePath - 1 characters. False when the path is too long or is no
// valid text in that page (or, back, has a character the page lacks).
constexpr std::size_t kMaxWidePath = 261;
bool WidePath(const char* path, unsigned codePage, wchar_t* out, std::size_t capacity);
bool NarrowPath(const wchar_t* path, unsigned codePage, char* out, std::size_t capacity);

}  // namespace zenk
