// libFuzzer target: SmtpEngine fed arbitrary server bytes after a normal
// start, delivering a two-message outbox. Checks that the run posts its
// final 0 at most once and writes nothing after it. Runs of \x07 expand
// (fuzz_events.h), so replies far longer than any line limit are fed too.
// The first byte picks the security mode, a login and how the handshake
// ends; with a login, no AUTH may be written before the handshake ("<TLS>").
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "../native/smtp_fake_link.h"
#include "fuzz_events.h"
#include "mail/smtp_engine.h"

namespace {

const std::string kOutbox =
    "Letters : 002\r\nFROM:<alice@example.org>\r\n"
    "BEGIN MESSAGE HEADER\r\nTO:<bob@example.org>\r\nTO:<carol@example.org>\r\nEND MESSAGE HEADER\r\n"
    "BEGIN DATA\r\nSubject: one\r\n\r\nline\r\n.\r\nEND DATA\r\n"
    "BEGIN MESSAGE HEADER\r\nTO:<dave@example.org>\r\nEND MESSAGE HEADER\r\n"
    "BEGIN DATA\r\nSubject: two\r\n\r\ntext\r\nEND DATA\r\n";

// Final notifications: status 0 with count 0 (a refused recipient posts 0
// with the letter's number).
int Zeros(const testutil::FakeSmtpLink& link) {
    int n = 0;
    for (const auto& p : link.posts) n += p.first == 0 && p.second == 0;
    return n;
}

// Prints what went wrong and the run's notifications, then crashes.
[[noreturn]] void Fail(const char* what, const testutil::FakeSmtpLink& link) {
    std::fprintf(stderr, "smtp_reply_fuzz: %s; posts:", what);
    for (const auto& p : link.posts) std::fprintf(stderr, " (%d,%ld)", p.first, p.second);
    std::fprintf(stderr, "\n");
    __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t setup = *data++;
    --size;
    testutil::FakeSmtpLink link(kOutbox);
    zenk::SmtpEngine engine(link);
    engine.SetLimits(3, 3);
    const auto mode = static_cast<zenk::tls::SecurityMode>(setup % 3);
    const bool login = mode != zenk::tls::SecurityMode::kNone && (setup & 4);
    engine.SetSecurity(mode);
    if (login) engine.SetLogin("bob", "secret", false);
    if (engine.SendMail("mail.example.org") != 0) __builtin_trap();
    engine.OnConnected();
    std::size_t wireAtEnd = std::string::npos;
    auto check = [&] {
        if (Zeros(link) > 1) Fail("second final 0", link);
        if (engine.Finished() && wireAtEnd == std::string::npos) wireAtEnd = link.wire.size();
        if (wireAtEnd != std::string::npos && link.wire.size() != wireAtEnd) Fail("written after the end", link);
        if (engine.State() < 0 || engine.State() >= zenk::kSmtpStateCount) __builtin_trap();
        if (login && link.wire.substr(0, link.wire.find("<TLS>")).find("AUTH") != std::string::npos)
            Fail("AUTH before the handshake", link);
        if (engine.State() == zenk::kSmtpTlsHandshake) {
            if (setup & 8) engine.OnTlsFailed(zenk::tls::TlsStatus::kCertificateUntrusted);
            else engine.OnTlsOpen();
        }
    };
    auto pump = [&] {
        for (int limit = 10000; !link.pendingWrites.empty() && limit > 0; --limit) {
            link.pendingWrites.pop_front();
            engine.OnSent();
            check();
        }
        check();
    };
    const std::string bytes = fuzzutil::ExpandRuns(data, size);
    fuzzutil::Play(
        reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(),
        [&](const char* p, std::size_t n) { engine.OnReceived(p, n); },
        [&](fuzzutil::Event e) {
            switch (e) {
            case fuzzutil::Event::kClosed: engine.OnClosed(); break;
            case fuzzutil::Event::kSecond: engine.OnSecond(0); break;
            case fuzzutil::Event::kSendError: engine.OnSendError(); break;
            case fuzzutil::Event::kReceiveError: engine.OnReceiveError(); break;
            case fuzzutil::Event::kReadFailed: engine.OnReadFailed(); break;
            }
        },
        pump);
    return 0;
}
