// log_text.cpp - bounded log and listing file intake.
#include "log_text.h"
#include <fcntl.h>
#include <cstring>
#ifdef _WIN32
#include <io.h>
#define VELMIRA_OPEN _open
#define VELMIRA_READ _read
#define VELMIRA_CLOSE _close
#define VELMIRA_BINARY _O_BINARY
#else
#include <unistd.h>
#define VELMIRA_OPEN open
#define VELMIRA_READ read
#define VELMIRA_CLOSE close
#define VELMIRA_BINARY 0
#endif

namespace velmira {

void AppendLogLine(std::string& log, const char* line, std::size_t maxChars) {
    log += line ? line : "";
    log += "\r\n";
    if (log.size() <= maxChars) return;
    // Drop whole lines from the front: cut after the first line end that
    // leaves the rest within the bound.
    std::size_t excess = log.size() - maxChars;
    std::size_t cut = log.find("\r\n", excess > 2 ? excess - 2 : 0);
    if (cut != std::string::npos && cut + 2 < log.size()) {
        log.erase(0, cut + 2);
    }
    if (log.size() > maxChars) log.erase(0, log.size() - maxChars);
}

bool AppendListingFile(const char* path, std::string& listing) {
    int fd = VELMIRA_OPEN(path, O_RDONLY | VELMIRA_BINARY);
    if (fd < 0) return false;
    char buffer[kListingChunk + 1];  // one more for the terminating NUL
    for (;;) {
        int got = static_cast<int>(VELMIRA_READ(fd, buffer, kListingChunk));
        if (got <= 0) break;
        buffer[got] = '\0';
        listing += buffer;  // as text: up to the chunk's first NUL
    }
    VELMIRA_CLOSE(fd);
    return true;
}

}  // namespace velmira
