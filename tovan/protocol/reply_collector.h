// ReplyCollector: the replies to one command, gathered into one answer:
// any preliminary (1xx) replies, then the final one. The answer carries the
// final reply's code and closing line, and the text of them all (joined
// with CR LF, cut at ReplyReader::kMaxReplyText). A server that sends more
// than kMaxPreliminaryReplies 1xx replies in a row is out of step.
#pragma once
#include "protocol/reply_reader.h"

namespace tovan {

class ReplyCollector {
public:
    enum class Status { kMore, kFinal, kTooMany };

    // Takes the next reply; kFinal once Answer() is complete.
    Status Add(const Reply& reply);
    const Reply& Answer() const { return answer_; }

private:
    Reply answer_;
    int preliminaries_ = 0;
};

}  // namespace tovan
