// log_text.h - the bounded status log of a view and the reading of a
// listing file. Portable: no Windows header.
#pragma once
#include <cstddef>
#include <string>

namespace velmira {

// A view's log keeps at most this many characters; older lines go first.
constexpr std::size_t kMaxLogChars = 256 * 1024;

// Appends line + "\r\n" to log. When the log would pass maxChars, whole
// lines are dropped from its front until it fits (a single line longer
// than maxChars is kept cut to its last maxChars characters).
void AppendLogLine(std::string& log, const char* line, std::size_t maxChars = kMaxLogChars);

// Size of one read of a listing file.
constexpr unsigned kListingChunk = 1024;

// Reads the file at path in chunks of up to kListingChunk bytes and appends
// each chunk to listing as text, up to the chunk's first NUL byte, until a
// read returns 0 or fails. False (listing untouched) when the file cannot
// be opened.
bool AppendListingFile(const char* path, std::string& listing);

}  // namespace velmira
