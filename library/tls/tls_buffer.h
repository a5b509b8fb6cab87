// The bounded buffer of received ciphertext that the TLS channel decrypts
// from. Schannel wants a whole record in one piece and decrypts it in
// place; what follows the record (its "extra" bytes) must be kept for the
// next call, and a record split across receives waits here until complete.
#pragma once
#include <cstddef>
#include <vector>

namespace zenk::tls {

class RecordBuffer {
public:
    // A TLS 1.2 record is at most 5 + 16384 + 2048 bytes; a handshake flight
    // (a long certificate chain) may need several records at once. 64 KiB
    // holds both with room; a peer that sends more without completing
    // anything is refused rather than buffered without end.
    static constexpr std::size_t kCapacity = 65536;

    RecordBuffer() : bytes_(kCapacity) {}

    // Copies as much of data as fits; returns the number of bytes taken.
    // The caller offers the rest once the buffer has been worked off.
    std::size_t Take(const char* data, std::size_t n);

    // Keeps only the last n bytes (Schannel's SECBUFFER_EXTRA), moved to
    // the front. False, and the buffer unchanged, when n exceeds Size().
    bool KeepLast(std::size_t n);

    void Clear() { size_ = 0; }
    char* Data() { return bytes_.data(); }  // Schannel decrypts in place
    std::size_t Size() const { return size_; }
    bool Full() const { return size_ == kCapacity; }

private:
    std::vector<char> bytes_;  // kCapacity bytes, allocated once
    std::size_t size_ = 0;     // bytes of ciphertext held, from the front
};

}  // namespace zenk::tls
