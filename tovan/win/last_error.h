// The message of the library's latest call, whichever connection it was
// for: what ftp_lasterror() hands out.
#pragma once
#include <string>

namespace tovan {

// Longest message kept; longer ones are cut.
constexpr std::size_t kLastMessageCapacity = 512;

void SetLastMessage(const std::string& message);
// Copies the message into buffer (at most size - 1 characters and a NUL);
// returns the number of characters written, 0 when there is none or no room.
int CopyLastMessage(char* buffer, int size);

}  // namespace tovan
