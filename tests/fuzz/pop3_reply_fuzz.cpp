// libFuzzer target: Pop3Engine fed arbitrary server bytes after a normal
// start. The first input byte picks the mode (count only, delete after
// storing). Checks that nothing is posted or written after the final 0,
// that count-only runs never touch the inbox, and that DELE only follows a
// flushed message.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz_events.h"
#include "mail/pop3_engine.h"

namespace {

class CheckingPort : public zenk::Pop3Port {
public:
    bool checkOnly = false;
    bool ended = false;          // status 0 posted
    bool flushedSinceRetr = true;

    bool WriteCommand(const char* text, std::size_t length) override {
        if (ended || length < 2 || text[length - 2] != '\r' || text[length - 1] != '\n') __builtin_trap();
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
    bool FlushInbox() override {
        flushedSinceRetr = true;
        return true;
    }
    void CloseInbox() override {}
    int pending = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    CheckingPort port;
    port.checkOnly = data[0] & 1;
    zenk::Pop3Engine engine(port);
    engine.SetUser("bob");
    engine.SetPassword("secret");
    engine.Begin(port.checkOnly, data[0] & 2);
    engine.OnConnected();
    auto pump = [&] {
        for (int limit = 10000; port.pending > 0 && limit > 0; --limit) {
            --port.pending;
            engine.OnSent();
        }
    };
    fuzzutil::Play(
        data + 1, size - 1, [&](const char* p, std::size_t n) { engine.OnReceived(p, n); },
        [&](fuzzutil::Event e) {
            switch (e) {
            case fuzzutil::Event::kClosed: engine.OnClosed(); break;
            case fuzzutil::Event::kSecond: engine.OnConnectFailed(); break;
            case fuzzutil::Event::kSendError: engine.OnSendError(); break;
            case fuzzutil::Event::kReceiveError: engine.OnReceiveError(); break;
            case fuzzutil::Event::kReadFailed: engine.OnReadFailed(); break;
            }
        },
        pump);
    return 0;
}
