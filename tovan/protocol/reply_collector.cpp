#include "protocol/reply_collector.h"

namespace tovan {

ReplyCollector::Status ReplyCollector::Add(const Reply& reply) {
    std::string text = answer_.text;
    if (!text.empty() && text.size() + 2 < ReplyReader::kMaxReplyText) text += "\r\n";
    if (text.size() < ReplyReader::kMaxReplyText)
        text.append(reply.text, 0, ReplyReader::kMaxReplyText - text.size());
    answer_.code = reply.code;
    answer_.lastLine = reply.lastLine;
    answer_.text = std::move(text);
    if (!reply.Preliminary()) return Status::kFinal;
    return ++preliminaries_ > kMaxPreliminaryReplies ? Status::kTooMany : Status::kMore;
}

}  // namespace tovan
