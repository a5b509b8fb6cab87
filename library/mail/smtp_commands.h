// The bytes of the SMTP client's commands and data lines.
#pragma once
#include <cstddef>

#include "mime/message_files.h"

namespace zenk {

// verb + argument + CR LF into out. Returns the length, or 0 when it does
// not fit in capacity or the argument holds a CR or LF (nothing usable is
// written then).
std::size_t FormatCommand(char* out, std::size_t capacity, const char* verb, const char* argument);

// The HELO name: the sender line's address from index 6 (after "FROM:<")
// up to its "@" or ">" or the end, at most capacity - 1 (30) characters;
// "Ziravoz" when that leaves nothing.
void HeloName(const char* senderLine, char* out, std::size_t capacity);

// One message text line as it goes on the wire: a leading "." doubled,
// bit 7 of every byte cleared, CR LF appended. A byte that clearing turns
// into NUL, CR or LF (0x00, 0x80, 0x0D, 0x8D, 0x0A, 0x8A) is sent as "?",
// so that no NUL and no line break but the final CR LF reaches the server
// and the line keeps its length. Returns the length (at most
// line.length + 3), or 0 when it does not fit in capacity.
std::size_t FormatDataLine(const Line& line, char* out, std::size_t capacity);

}  // namespace zenk
