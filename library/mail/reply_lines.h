// Assembles server reply lines from received chunks.
//
// TCP delivers a server's reply in chunks that need not end at a line end:
// a reply line may be split over two chunks, and one chunk may carry
// several lines. The assembler keeps the unfinished tail of a chunk and
// hands out complete lines only, without their CR LF (a bare LF also ends
// a line). A line that grows past the capacity without a line end is
// dropped up to its LF: no server reply line is that long.
#pragma once
#include <cstddef>
#include <string_view>

namespace zenk {

class ReplyLines {
public:
    static constexpr std::size_t kCapacity = 1000;  // longest line kept, line end excluded

    // Feeds one received chunk; calls onLine(std::string_view) for every
    // line that it completes, in order.
    template <class OnLine>
    void Feed(const char* chunk, std::size_t length, OnLine&& onLine) {
        for (std::size_t i = 0; i < length; ++i) {
            char c = chunk[i];
            if (c == '\n') {
                std::size_t n = used_;
                if (n > 0 && line_[n - 1] == '\r') --n;
                bool keep = !overflow_;
                used_ = 0;
                overflow_ = false;
                if (keep) onLine(std::string_view(line_, n));
            } else if (used_ < kCapacity) {
                line_[used_++] = c;
            } else {
                overflow_ = true;
            }
        }
    }

    // Forgets a partly received line.
    void Reset() {
        used_ = 0;
        overflow_ = false;
    }

private:
    char line_[kCapacity];   // the line being assembled
    std::size_t used_ = 0;   // bytes in line_
    bool overflow_ = false;  // the current line passed kCapacity: drop it
};

// An SMTP reply, taken from its reply lines: lines whose fourth character
// is "-" continue the reply; the first other line ends it and gives the
// reply's code. Empty lines are ignored.
class SmtpReplyIntake {
public:
    // Takes one line; true when it completes a reply (then Class() and
    // Code() describe it).
    bool TakeLine(std::string_view line) {
        if (line.empty()) return false;
        if (line.size() > 3 && line[3] == '-') return false;  // continuation
        class_ = line[0];
        code_ = 0;
        for (std::size_t i = 0; i < 3 && i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i)
            code_ = code_ * 10 + (line[i] - '0');
        std::size_t n = line.size() < sizeof text_ - 1 ? line.size() : sizeof text_ - 1;
        for (std::size_t i = 0; i < n; ++i) text_[i] = line[i];
        text_[n] = '\0';
        return true;
    }

    char Class() const { return class_; }      // first character: '2', '3', '4', '5', ...
    int Code() const { return code_; }          // the three digits (0 when not digits)
    const char* LastLine() const { return text_; }  // the final line, cut to 127 characters

private:
    char class_ = 0;
    int code_ = 0;
    char text_[128] = {};
};

}  // namespace zenk
