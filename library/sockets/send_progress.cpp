#include "sockets/send_progress.h"

namespace zenk {

SendProgress::Step SendProgress::Next(std::uint32_t chunkLength) {
    if (!inProgress_ || chunkLength != chunkLength_) {
        // A new chunk (or, defensively, a different one than we were on).
        inProgress_ = true;
        chunkLength_ = chunkLength;
        sentOffset_ = 0;
    }
    pendingLength_ = chunkLength_ - sentOffset_;
    return {sentOffset_, pendingLength_};
}

bool SendProgress::Advance(std::uint32_t sent) {
    if (!inProgress_) return false;
    if (sent > pendingLength_) sent = pendingLength_;  // a send never reports more
    sentOffset_ += sent;
    pendingLength_ = chunkLength_ - sentOffset_;
    if (sentOffset_ < chunkLength_) return false;
    Reset();
    return true;
}

}  // namespace zenk
