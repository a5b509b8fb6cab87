// A scripted outside world for SmtpEngine: the outbox in memory, writes
// recorded as one transcript, posts recorded in order, and a server that
// answers each command by the state the engine waits in.
#pragma once
#include <deque>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "mail/smtp_engine.h"
#include "mime/message_files.h"

namespace testutil {

class FakeSmtpLink : public zenk::SmtpLink {
public:
    explicit FakeSmtpLink(std::string outbox) : outboxBytes(std::move(outbox)), source(outboxBytes) {}

    // What the link can do.
    bool window = true, canOpen = true, canCreate = true, canConnect = true;
    int failWritesFrom = -1;  // write number (0-based) from which writes fail
    // Recorded.
    std::string wire;                          // every queued byte, in order
    std::deque<std::string> pendingWrites;     // writes whose completion is due
    std::vector<std::pair<int, long>> posts;   // (status, count)
    int writes = 0;
    bool outboxOpen = false, streamOpen = false;
    std::string connectedTo;

    bool HasSessionWindow() const override { return window; }
    zenk::ByteSource* OpenOutbox() override {
        if (!canOpen) return nullptr;
        outboxOpen = true;
        return &source;
    }
    void CloseOutbox() override { outboxOpen = false; }
    bool CreateStream() override { return streamOpen = canCreate; }
    bool Connect(const char* server) override {
        connectedTo = server;
        return canConnect;
    }
    void CloseStream() override { streamOpen = false; }
    // Like a stream endpoint whose buffer was raised to writeLimit: a
    // longer write would be cut, so it is refused and counted.
    std::size_t writeLimit = zenk::SmtpEngine::kDataChunkBytes;
    int oversizedWrites = 0;
    std::size_t WriteLimit() const override { return writeLimit; }
    bool Write(const void* data, std::size_t length) override {
        if (length > writeLimit) return ++oversizedWrites, false;
        if (failWritesFrom >= 0 && writes >= failWritesFrom) return false;
        ++writes;
        std::string bytes(static_cast<const char*>(data), length);
        wire += bytes;
        pendingWrites.push_back(bytes);
        return true;
    }
    void Post(int status, long count) override { posts.emplace_back(status, count); }
    // The handshake's start shows in the transcript as "<TLS>": what comes
    // before it went out in clear, what follows through TLS.
    zenk::tls::TlsStatus startTls = zenk::tls::TlsStatus::kOk;
    zenk::tls::TlsStatus StartTls() override {
        if (startTls == zenk::tls::TlsStatus::kOk) wire += "<TLS>";
        return startTls;
    }

    std::string outboxBytes;
    zenk::MemorySource source;
};

// Plays a well-behaved server against the engine: completes every write
// and answers in the reply states. rcptReplies gives the answers to the
// RCPT commands in order ("250" when it runs out).
class ScriptedServer {
public:
    ScriptedServer(zenk::SmtpEngine& engine, FakeSmtpLink& link) : engine_(engine), link_(link) {}
    std::deque<std::string> rcptReplies;
    std::map<int, std::string> replyFor = {{zenk::kSmtpHeloReply, "250 hello"},
                                           {zenk::kSmtpMailReply, "250 ok"},
                                           {zenk::kSmtpDataReply, "354 go ahead"},
                                           {zenk::kSmtpEndReply, "250 queued"},
                                           {zenk::kSmtpQuitReply, "221 bye"}};

    void Greet(const std::string& greeting = "220 test ESMTP\r\n") {
        engine_.OnConnected();
        Send(greeting);
        Pump();
    }
    void Send(const std::string& bytes) { engine_.OnReceived(bytes.data(), bytes.size()); }
    // Completes writes and answers until nothing is pending or the run ended.
    void Pump(int limit = 100000) {
        while (!link_.pendingWrites.empty() && limit-- > 0) {
            link_.pendingWrites.pop_front();
            engine_.OnSent();
            if (!link_.pendingWrites.empty()) continue;
            int s = engine_.State();
            if (engine_.Finished() || s % 2 == 1) continue;
            std::string reply;
            if (s == zenk::kSmtpRcptReply) {
                reply = rcptReplies.empty() ? "250 ok" : rcptReplies.front();
                if (!rcptReplies.empty()) rcptReplies.pop_front();
            } else {
                reply = replyFor[s];
            }
            Send(reply + "\r\n");
        }
    }

private:
    zenk::SmtpEngine& engine_;
    FakeSmtpLink& link_;
};

}  // namespace testutil
