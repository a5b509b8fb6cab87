// A Line as the reader delivers it from the given bytes (tests).
#pragma once
#include <string>

#include "mime/message_files.h"

namespace testutil {

inline zenk::Line MakeLine(const std::string& bytes) {
    zenk::Line line;
    zenk::MemorySource src(bytes);
    zenk::ReadLine(src, line);
    return line;
}

}  // namespace testutil
