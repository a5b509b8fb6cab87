#include "protocol/reply_reader.h"

namespace tovan {

int LineReplyCode(const std::string& line, bool* multiLine) {
    if (multiLine) *multiLine = false;
    if (line.size() < 3) return 0;
    for (int i = 0; i < 3; ++i)
        if (line[i] < '0' || line[i] > '9') return 0;
    if (line[0] < '1' || line[0] > '5') return 0;
    if (line.size() > 3 && line[3] != ' ' && line[3] != '-') return 0;
    if (multiLine) *multiLine = line.size() > 3 && line[3] == '-';
    return (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
}

void ReplyReader::Feed(const char* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        char c = data[i];
        if (c == '\n') {
            if (!line_.empty() && line_.back() == '\r') line_.pop_back();
            TakeLine(line_);
            line_.clear();
        } else if (line_.size() < kMaxLine) {
            line_.push_back(c);
        }  // else: the tail of an overlong line is dropped
    }
}

void ReplyReader::TakeLine(const std::string& line) {
    bool multi = false;
    int code = LineReplyCode(line, &multi);
    if (open_) {
        if (current_.text.size() + line.size() + 2 <= kMaxReplyText) {
            current_.text += "\r\n";
            current_.text += line;
        }
        if (code == current_.code && !multi) {
            current_.lastLine = line;
            ready_.push_back(std::move(current_));
            current_ = Reply();
            open_ = false;
        }
        return;
    }
    // Not a reply line, and no reply open to hold it: noise, not an answer.
    if (code == 0) return;
    Reply reply;
    reply.code = code;
    reply.text = line;
    reply.lastLine = line;
    if (multi) {
        current_ = std::move(reply);
        open_ = true;
        return;
    }
    ready_.push_back(std::move(reply));
}

bool ReplyReader::Next(Reply& out) {
    if (ready_.empty()) return false;
    out = std::move(ready_.front());
    ready_.pop_front();
    return true;
}

void ReplyReader::Clear() {
    line_.clear();
    open_ = false;
    current_ = Reply();
    ready_.clear();
}

}  // namespace tovan
