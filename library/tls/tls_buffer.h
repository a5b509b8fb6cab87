// The bounded buffer of received ciphertext that the TLS channel decrypts
// from. Schannel wants a whole record in one piece and decrypts it in
// place; what follows the record (its "extra" bytes) must be kept for the
// next call, and a record split across receives waits here until complete.
// The record header travels in clear (RFC 5246 section 6.2); checking it
// stops a peer that speaks no TLS before Schannel waits on it.
#pragma once
#include <cstddef>
#include <vector>

namespace zenk::tls {

// What the first bytes of a record say, before Schannel sees them.
enum class RecordHeader {
    kIncomplete,  // fewer than 5 bytes so far, and those fit a record
    kPlausible,   // a known content type, version 3.x, a length TLS allows
    kNotTls,      // anything else: a clear-text server, garbage, an oversized record
};
// The largest record body TLS 1.2 allows: 2^14 bytes plus 2048 of expansion.
constexpr std::size_t kMaxRecordBody = 16384 + 2048;
RecordHeader CheckRecordHeader(const unsigned char* data, std::size_t n);

// True when a record starting with this byte is an alert (content type 21).
// The record type travels in clear, so the channel can tell the peer's
// close_notify from an empty data record.
constexpr bool IsAlertRecord(unsigned char firstByte) { return firstByte == 21; }


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
