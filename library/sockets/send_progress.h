// SendProgress: how far a stream endpoint has got with the chunk at the head
// of its send queue.
//
// A stream send may hand over only part of a chunk; the rest goes on a later
// FD_WRITE. The chunk is idle (nothing in progress) until its first send,
// then in progress until its last byte is handed over or a send fails.
// Portable: no Windows header.
#pragma once
#include <cstdint>

namespace zenk {

class SendProgress {
public:
    // The part of the head chunk (chunkLength bytes) the next send hands
    // over: starts the chunk when none is in progress.
    struct Step {
        std::uint32_t offset;  // first byte of the chunk to send
        std::uint32_t length;  // bytes to send from there
    };
    Step Next(std::uint32_t chunkLength);

    // Records that a send handed over `sent` bytes of the step. True when the
    // chunk is now complete (the chunk is then idle again).
    bool Advance(std::uint32_t sent);

    // Forgets the chunk in progress (after a failed send).
    void Reset() { *this = SendProgress{}; }

    bool InProgress() const { return inProgress_; }
    std::uint32_t PendingLength() const { return pendingLength_; }
    std::uint32_t SentOffset() const { return sentOffset_; }

private:
    std::uint32_t chunkLength_ = 0;   // bytes of the chunk in progress
    std::uint32_t pendingLength_ = 0; // bytes of it still to send
    std::uint32_t sentOffset_ = 0;    // bytes of it already sent
    bool inProgress_ = false;         // false: the next send starts a chunk
};

}  // namespace zenk
