// Where an attachment file goes: names taken from a message, made safe.
//
// A file name comes from the sender of a message, so it is never trusted:
// only its last path component is used, and a name that could leave the
// attachment folder or name a device is refused (the part then gets a
// generated name). Portable.
#pragma once
#include <cstddef>
#include <string_view>

namespace zenk {

// Longest path of an attachment file, without its NUL (Windows' MAX_PATH - 1).
constexpr std::size_t kMaxAttachmentPath = 259;

// The longest final extension (with its dot) that a shortened name keeps.
constexpr std::size_t kMaxKeptExtension = 32;

// Makes a file name from a message safe to create inside the attachment
// folder. Keeps the text after the last "/", "\" or ":", replaces control
// characters (CR and LF among them) and < > " | ? * with "_", drops trailing
// dots and blanks (Windows ignores them). A name too long for capacity is
// shortened before its final extension, which it keeps ("long...name.txt"
// stays a ".txt"); one whose extension is longer than kMaxKeptExtension is
// refused instead. Returns false, writing an empty name, when nothing usable
// is left ("", ".", "..", a reserved device name such as "CON", or a name
// that cannot be shortened so).
bool SafeAttachmentName(std::string_view name, char* out, std::size_t capacity);

// Joins the attachment folder and a safe file name with one "\" between
// them (none added when the folder already ends with "\" or "/"). Returns
// false, writing nothing useful, when the path would exceed
// kMaxAttachmentPath characters or out cannot hold it.
bool JoinAttachmentPath(std::string_view folder, std::string_view name, char* out,
                        std::size_t capacity);

}  // namespace zenk
