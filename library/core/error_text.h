// Message texts for the library's error codes and WinSock's.
//
// One code space: 0..4 and -5 are the library's own, 10004 and up are
// WinSock's. Portable: no Windows header.
#pragma once
#include <cstddef>

namespace zenk {

// Longest text FormatErrorText writes, without its NUL ("WinSock error 10092: "
// followed by the message of 10092 is 72 characters).
constexpr std::size_t kErrorTextCapacity = 73;

// Writes the message for code into text (capacity bytes, normally
// kErrorTextCapacity) and returns text. The text is always NUL-terminated and
// cut to fit when capacity is smaller. A null text is left alone.
char* FormatErrorText(int code, char* text, std::size_t capacity);

}  // namespace zenk
