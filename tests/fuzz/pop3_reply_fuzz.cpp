// libFuzzer target: Pop3Engine fed arbitrary server bytes after a normal
// start. The first input byte picks the mode (count only, delete after
// storing), the security mode and how a TLS handshake ends; with security,
// USER and PASS may only go out once the handshake has finished. Checks that nothing is posted or written after the final 0,
// that count-only runs never touch the inbox, that DELE only follows a
// message flushed to disk, that nothing is written once the connection has
// been dropped, and that USER and PASS only answer a whole "+OK" line that
// fits the reply limit. Each clock event of the input moves time 10 s on.
//
// Runs of \x07 expand as fuzz_events.h says, so short inputs reach lines
// far longer than any limit; the bytes reach the engine in chunks of at
// most 1024.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_events.h"
#include "mail/pop3_engine.h"

namespace {

class CheckingPort : public zenk::Pop3Port {
public:
    bool HasSessionWindow() const override { return true; }
    bool HasBuffers() const override { return true; }
    bool CreateInbox() override { return !checkOnly; }
    bool CreateStream() override { return true; }
    bool Connect(const char*) override { return true; }
    void CloseStream() override { dropped = true; }

    bool checkOnly = false;
    bool dropped = false;        // the connection has been dropped
    bool ended = false;          // status 0 posted
    bool flushedSinceRetr = true;

    // The reply line that the chunk being fed completes, if any.
    bool lineCompleted = false;
    bool linePositive = false;
    std::size_t lineLength = 0;  // CR LF included

    bool secure = false;         // a security mode was asked for
    bool tlsOpen = false;        // the handshake finished
    bool inTlsOpen = false;      // the engine is handling the handshake's end
    zenk::tls::TlsStatus StartTls() override {
        if (ended || dropped) __builtin_trap();
        return zenk::tls::TlsStatus::kOk;
    }

    bool WriteCommand(const char* text, std::size_t length) override {
        if (ended || dropped || length < 2 || text[length - 2] != '\r' || text[length - 1] != '\n') __builtin_trap();
        const bool credential =
            length >= 4 && (std::memcmp(text, "USER", 4) == 0 || std::memcmp(text, "PASS", 4) == 0);
        if (credential && secure && !tlsOpen) __builtin_trap();
        if (credential && !inTlsOpen &&
            (!lineCompleted || !linePositive || lineLength > zenk::Pop3Engine::kReplyLimit))
            __builtin_trap();
        if (length >= 4 && std::memcmp(text, "RETR", 4) == 0) flushedSinceRetr = false;
        if (length >= 4 && std::memcmp(text, "DELE", 4) == 0 && !flushedSinceRetr) __builtin_trap();
        ++pending;
        return true;
    }
    void Notify(int status, long) override {
        if (ended) __builtin_trap();
        if (status == 0) ended = true;
    }
    bool WriteInbox(const void* bytes, std::size_t length) override {
        if (checkOnly || ended) __builtin_trap();
        volatile std::uint8_t sum = 0;
        for (std::size_t i = 0; i < length; ++i) sum = sum + static_cast<const std::uint8_t*>(bytes)[i];
        return true;
    }
    bool FlushInbox(bool durable) override {
        if (durable) flushedSinceRetr = true;
        return true;
    }
    bool CloseInbox() override { return true; }
    int pending = 0;
};

constexpr std::size_t kChunk = 1024;     // the stream endpoint's largest chunk

// Follows the server's bytes as reply lines (CR LF ends one), the way the
// engine assembles them before any message text.
struct LineTracker {
    std::size_t length = 0;
    char start[3] = {};
    bool lastCR = false;

    // Takes a chunk; true when it ends a line (a fuzz chunk holds at most
    // one LF, at its end).
    bool Take(const char* p, std::size_t n, std::size_t* lineLength, bool* positive) {
        bool ended = false;
        for (std::size_t i = 0; i < n; ++i) {
            if (length < 3) start[length] = p[i];
            ++length;
            if (lastCR && p[i] == '\n') {
                *lineLength = length;
                *positive = length >= 5 && start[0] == '+' && (start[1] | 0x20) == 'o' && (start[2] | 0x20) == 'k';
                length = 0;
                ended = true;
            }
            lastCR = p[i] == '\r';
        }
        return ended;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    CheckingPort port;
    port.checkOnly = data[0] & 1;
    zenk::Pop3Engine engine(port);
    const auto mode = static_cast<zenk::tls::SecurityMode>((data[0] >> 2) % 3);
    port.secure = mode != zenk::tls::SecurityMode::kNone;
    engine.SetSecurity(mode);
    if (engine.Transaction("pop.example", "bob", "secret", port.checkOnly, data[0] & 2) != 0) __builtin_trap();
    engine.OnConnected();
    std::uint32_t now = 0;
    auto pump = [&] {
        for (int limit = 10000; port.pending > 0 && limit > 0; --limit) {
            --port.pending;
            engine.OnSent();
        }
        if (engine.State() == zenk::Pop3State::kTlsHandshake && !engine.Finished()) {
            if (data[0] & 16) {
                engine.OnTlsFailed(zenk::tls::TlsStatus::kNameMismatch);
            } else {
                port.tlsOpen = port.inTlsOpen = true;
                engine.OnTlsOpen();
                port.inTlsOpen = false;
            }
        }
    };
    const std::string bytes = fuzzutil::ExpandRuns(data + 1, size - 1);
    LineTracker lines;
    auto feed = [&](const char* p, std::size_t n) {
        for (std::size_t at = 0; at < n; at += kChunk) {
            const std::size_t piece = n - at < kChunk ? n - at : kChunk;
            port.lineCompleted = lines.Take(p + at, piece, &port.lineLength, &port.linePositive);
            engine.OnReceived(p + at, piece);
            port.lineCompleted = false;
        }
    };
    fuzzutil::Play(
        reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), feed,
        [&](fuzzutil::Event e) {
            switch (e) {
            case fuzzutil::Event::kClosed: engine.OnClosed(); break;
            case fuzzutil::Event::kSecond: engine.OnTick(0, now += 10000); break;
            case fuzzutil::Event::kSendError: engine.OnSendError(); break;
            case fuzzutil::Event::kReceiveError: engine.OnReceiveError(); break;
            case fuzzutil::Event::kReadFailed: engine.OnReadFailed(); break;
            }
        },
        pump);
    return 0;
}
