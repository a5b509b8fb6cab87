// Assembles server reply lines from received chunks, for both mail clients.
//
// TCP delivers a server's reply in chunks that need not end at a line end:
// a reply line may be split over two chunks, and one chunk may carry
// several lines. The assembler keeps the unfinished tail of a chunk and
// hands out complete lines only, without their line end. The two clients
// differ in two rules, passed in as LineRules:
//  - SMTP: a bare LF also ends a line, and a line that grows past the
//    capacity is dropped up to its LF (no server reply line is that long);
//  - POP3: only CR LF ends a line, and an over-long line is read up to its
//    CR LF and handed out once, marked over-long, with its first bytes:
//    a piece of it must never pass for a reply of its own.
#pragma once
#include <cstddef>
#include <string_view>

namespace zenk {

struct LineRules {
    std::size_t capacity;  // bytes of a line kept before it is over-long (a CR included)
    bool crlfOnly;         // only CR LF ends a line (else any LF does)
};

constexpr LineRules kSmtpLineRules{1000, false};
// 1000 bytes with CR LF: 998 characters, the CR, then the LF.
constexpr LineRules kPop3LineRules{999, true};

class ReplyLines {
public:
    static constexpr std::size_t kCapacity = 1000;  // the most any rules may keep

    explicit ReplyLines(LineRules rules = kSmtpLineRules)
        : rules_{rules.capacity < kCapacity ? rules.capacity : kCapacity, rules.crlfOnly} {}

    // Feeds one received chunk; calls onLine(std::string_view) for every
    // complete line that is not over-long, in order.
    template <class OnLine>
    void Feed(const char* chunk, std::size_t length, OnLine&& onLine) {
        Take(chunk, length, [&](std::string_view line, bool overLong) {
            if (!overLong) onLine(line);
            return true;
        });
    }

    // Feeds bytes until a line is complete and onLine(line, overLong)
    // returns false. Returns how many bytes were taken; the rest of the
    // chunk is the caller's (message text after a RETR status line).
    template <class OnLine>
    std::size_t Take(const char* chunk, std::size_t length, OnLine&& onLine) {
        for (std::size_t i = 0; i < length; ++i) {
            const char c = chunk[i];
            const bool afterCR = used_ > 0 ? line_[used_ - 1] == '\r' : skippedCR_;
            const bool lineEnd = c == '\n' && (!rules_.crlfOnly || (overflow_ ? skippedCR_ : afterCR));
            if (!lineEnd) {
                if (overflow_) {
                    skippedCR_ = c == '\r';
                } else if (used_ < rules_.capacity) {
                    line_[used_++] = c;
                } else {
                    overflow_ = true;  // line_ keeps the line's first bytes
                    skippedCR_ = c == '\r';
                }
                continue;
            }
            std::size_t n = used_;
            if (!overflow_ && n > 0 && line_[n - 1] == '\r') --n;
            const bool overLong = overflow_;
            Reset();
            if (!onLine(std::string_view(line_, n), overLong)) return i + 1;
        }
        return length;
    }

    // Forgets a partly received line.
    void Reset() {
        used_ = 0;
        overflow_ = false;
        skippedCR_ = false;
    }

private:
    LineRules rules_;
    char line_[kCapacity];   // the line being assembled
    std::size_t used_ = 0;   // bytes in line_
    bool overflow_ = false;  // the current line passed the capacity: skip to its end
    bool skippedCR_ = false; // while skipping: the last byte was CR
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
