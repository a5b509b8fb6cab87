// ReplyReader: cuts the bytes of an FTP control connection into replies.
//
// RFC 959, 4.2: a reply is "ddd text" on one line, or a multi-line reply
// that opens with "ddd-text" and ends with the first line that starts with
// the same three digits and a space. Lines in between are text, whatever
// they start with. Lines end with CR LF; a bare LF is accepted too.
// Outside a multi-line reply, a line that does not open with a reply code
// ("ddd" and a blank, a '-' or nothing) is skipped: it answers nothing.
#pragma once
#include <cstddef>
#include <deque>
#include <string>

namespace tovan {

struct Reply {
    int code = 0;          // 100..599 for every reply the reader yields
    std::string text;      // every line of the reply, joined with "\r\n"
    std::string lastLine;  // the closing line, e.g. "226 Transfer complete."

    bool Preliminary() const { return code >= 100 && code < 200; }
    bool Completed() const { return code >= 200 && code < 300; }
    bool Intermediate() const { return code >= 300 && code < 400; }
};

// Most preliminary (1xx) replies taken in a row while waiting for a final
// one; a server that sends more is out of step.
constexpr int kMaxPreliminaryReplies = 16;

class ReplyReader {
public:
    // Longest line kept; the rest of a longer line is dropped.
    static constexpr std::size_t kMaxLine = 1024;
    // Longest reply text kept; further lines of a longer reply are dropped.
    static constexpr std::size_t kMaxReplyText = 16384;

    // Takes the next bytes read from the connection.
    void Feed(const char* data, std::size_t size);
    // Moves the oldest complete reply to out; false when none is complete.
    bool Next(Reply& out);
    // True while a reply has begun but not ended (or a line is half read).
    bool Partial() const { return open_ || !line_.empty(); }
    // Forgets everything received, complete or not.
    void Clear();

private:
    void TakeLine(const std::string& line);

    std::string line_;           // the line being received, without its end
    bool open_ = false;          // a multi-line reply is being received
    Reply current_;              // the reply being received while open_
    std::deque<Reply> ready_;    // complete replies, oldest first
};

// The reply code a line opens with ("ddd" followed by ' ', '-' or nothing),
// or 0. multiLine is set when the code is followed by '-'.
int LineReplyCode(const std::string& line, bool* multiLine);

}  // namespace tovan
