// Pop3Engine driven by scripted stream events, with a port that records
// commands, notifications and inbox bytes in one ordered log.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "mail/pop3_engine.h"
#include "mail/secure_status.h"

using namespace zenk;

namespace {

// The notification's name in the log, from the engine's own codes (which
// the library checks against zenk32.h's names at compile time).
const char* NoteName(int status) {
    switch (status) {
    case kPop3End: return "end";
    case kPop3NoBuffer: return "no-buffer";
    case kPop3ReceiveFailed: return "receive-failed";
    case kPop3SendFailed: return "send-failed";
    case kPop3ConnectFailed: return "connect-failed";
    case kPop3NotPositive: return "not-positive";
    case kPop3InboxCreate: return "inbox-create";
    case kPop3InboxWrite: return "inbox-write";
    case kPop3NoMail: return "no-mail";
    case kPop3NoWindow: return "no-window";
    case kPop3NoServer: return "no-server";
    case kPop3NoStream: return "no-stream";
    case kPop3Closed: return "closed";
    case kPop3NoUser: return "no-user";
    case kPop3NoPassword: return "no-password";
    case kPop3Stored: return "stored";
    case kPop3Connected: return "connected";
    case kPop3Count: return "count";
    case kPop3QuitDone: return "quit-done";
    case kSecureHandshakeFailed: return "tls-handshake";
    case kSecureUntrusted: return "tls-untrusted";
    case kSecureNameMismatch: return "tls-name";
    case kSecureStartTlsRefused: return "stls-refused";
    case kSecureCaFileUnreadable: return "cafile";
    }
    return "?";
}

class RecordingPort : public Pop3Port {
public:
    // "> CMD", "! status[:count]" (the status by NoteName), "flush", "sync" (flush to disk), "close",
    // "disconnect", and the start steps "inbox", "stream", "connect HOST".
    std::vector<std::string> log;
    std::string inbox;     // bytes on "disk": written out by a flush or the close
    std::string buffered;  // bytes appended and not yet written out
    bool failWrites = false, failFlush = false, failClose = false, failCommands = false;
    bool window = true, buffers = true, canCreateInbox = true, canStream = true, canConnect = true;

    bool HasSessionWindow() const override { return window; }
    bool HasBuffers() const override { return buffers; }
    bool CreateInbox() override {
        log.push_back("inbox");
        return canCreateInbox;
    }
    bool CreateStream() override {
        log.push_back("stream");
        return canStream;
    }
    bool Connect(const char* server) override {
        log.push_back(std::string("connect ") + server);
        return canConnect;
    }
    void CloseStream() override { log.push_back("disconnect"); }
    // The handshake's start: "tls" in the log; commands after it go through TLS.
    tls::TlsStatus startTls = tls::TlsStatus::kOk;
    tls::TlsStatus StartTls() override {
        log.push_back(startTls == tls::TlsStatus::kOk ? "tls" : "tls refused");
        return startTls;
    }
    bool WriteCommand(const char* text, std::size_t length) override {
        if (failCommands) return false;
        log.push_back("> " + std::string(text, length - 2));  // without CR LF
        return true;
    }
    void Notify(int status, long count) override {
        if (status == kPop3Stored && !buffered.empty()) log.push_back("stored while buffered");
        log.push_back("! " + std::string(NoteName(status)) + (count ? ":" + std::to_string(count) : ""));
    }
    bool WriteInbox(const void* bytes, std::size_t length) override {
        if (failWrites) return false;
        buffered.append(static_cast<const char*>(bytes), length);
        return true;
    }
    bool FlushInbox(bool durable) override {
        log.push_back(durable ? "sync" : "flush");
        if (failFlush) return false;
        inbox += buffered;
        buffered.clear();
        return true;
    }
    bool CloseInbox() override {
        log.push_back("close");
        if (failClose) return false;
        inbox += buffered;
        buffered.clear();
        return true;
    }
};

struct Session {
    RecordingPort port;
    Pop3Engine engine{port};
    Session(bool checkOnly = false, bool deleteAfter = false) {
        EXPECT_EQ(engine.Transaction("pop.example", "bob", "secret", checkOnly, deleteAfter), 0);
        port.log.clear();  // the start steps are checked on their own
        engine.OnConnected();
    }
    // A reply line, then the sent event of the command it provokes.
    void Reply(const std::string& text) {
        engine.OnReceived(text.data(), text.size());
        engine.OnSent();
    }
    void Chunk(const std::string& text) { engine.OnReceived(text.data(), text.size()); }
    void Login() {
        Reply("+OK ready\r\n");
        Reply("+OK\r\n");
        Reply("+OK logged in\r\n");
    }
    std::vector<std::string> Commands() const {
        std::vector<std::string> c;
        for (const auto& l : port.log)
            if (l[0] == '>') c.push_back(l);
        return c;
    }
};

using Log = std::vector<std::string>;

TEST(Pop3Engine, CheckOnlyCountsAndQuits) {
    Session s(true);
    s.Login();
    s.Reply("+ok 2 320\r\n");  // lower case counts as positive
    s.Reply("+OK bye\r\n");
    EXPECT_EQ(s.port.log, (Log{"! connected", "> USER bob", "> PASS secret", "> STAT", "! count:2", "> QUIT",
                               "close", "! end"}));
    EXPECT_EQ(s.engine.MessageCount(), 2);
    EXPECT_TRUE(s.port.inbox.empty());
    EXPECT_TRUE(s.engine.Finished());
}

// The count line, status 18 and MessageCount agree on the clamped count.
TEST(Pop3Engine, StatCountsAreClampedToWhatOneRunHandles) {
    const struct {
        const char* reply;
        int count;
    } cases[] = {
        {"+OK 99999999999999999999 1\r\n", Pop3Engine::kMaxMessages},
        {"+OK 2147483648 1\r\n", Pop3Engine::kMaxMessages},
        {"+OK 1000001 1\r\n", Pop3Engine::kMaxMessages},
        {"+OK 1000000 1\r\n", 1000000},
        {"+OK 999999 1\r\n", 999999},
        {"+OK -5 1\r\n", 0},
        {"+OK -2147483649 1\r\n", 0},
    };
    for (const auto& c : cases) {
        for (bool checkOnly : {true, false}) {
            Session s(checkOnly);
            s.Login();
            s.Reply(c.reply);
            EXPECT_EQ(s.engine.MessageCount(), c.count) << c.reply;
            const Log& l = s.port.log;
            const std::string posted = c.count ? "! count:" + std::to_string(c.count) : checkOnly ? "! count" : "! no-mail";
            EXPECT_NE(std::find(l.begin(), l.end(), posted), l.end()) << c.reply;
            const std::string inbox = "Letters : " + std::to_string(c.count) + "\r\nBEGIN MESSAGE\r\n";
            EXPECT_EQ(s.port.inbox + s.port.buffered, checkOnly || c.count == 0 ? "" : inbox) << c.reply;
        }
    }
}

// After the last message the run quits, also at the clamp: no RETR beyond it.
TEST(Pop3Engine, RetrievalStopsAtTheClampedCount) {
    Session s;
    s.Login();
    s.Reply("+OK 4000000000 1\r\n");
    for (int i = 0; i < 3; ++i) {
        s.Reply("+OK\r\n");
        s.Chunk("x\r\n.\r\n");
        s.engine.OnSent();
    }
    EXPECT_EQ(s.engine.CurrentMessage(), 4);
    EXPECT_EQ(s.Commands().back(), "> RETR 4");
    EXPECT_EQ(s.port.inbox.substr(0, 20), "Letters : 1000000\r\nB");
}

TEST(Pop3Engine, CountIsUnknownUntilStatAndZeroWithoutASize) {
    Session s;
    EXPECT_EQ(s.engine.MessageCount(), -1);
    s.Login();
    s.Reply("+OK 2\r\n");  // no second blank: count 0, so no mail
    s.Reply("+OK\r\n");
    EXPECT_EQ(s.engine.MessageCount(), 0);
    EXPECT_EQ(s.port.log, (Log{"! connected", "> USER bob", "> PASS secret", "> STAT", "! no-mail", "> QUIT",
                               "close", "! end"}));
}

TEST(Pop3Engine, PullsTwoMessagesIntoTheInbox) {
    Session s;
    s.Login();
    s.Reply("+OK 2 40\r\n");
    s.Reply("+OK 10 octets\r\n");
    s.Chunk("Subject: a\r\n\r\n..x\r\n.\r\n");
    s.engine.OnSent();
    s.Reply("+OK\r\n");
    s.Chunk("Subject: b\r\n\r\ny\r\n.\r\n");
    s.engine.OnSent();
    s.Reply("+OK\r\n");
    EXPECT_EQ(s.Commands(), (Log{"> USER bob", "> PASS secret", "> STAT", "> RETR 1", "> RETR 2", "> QUIT"}));
    EXPECT_EQ(s.port.inbox,
              "Letters : 2\r\nBEGIN MESSAGE\r\nSubject: a\r\n\r\n..x\r\n.\r\nEND MESSAGE\r\n"
              "BEGIN MESSAGE\r\nSubject: b\r\n\r\ny\r\n.\r\nEND MESSAGE\r\n");
    const Log& l = s.port.log;
    EXPECT_EQ(Log(l.end() - 3, l.end()), (Log{"close", "! quit-done", "! end"}));
    EXPECT_NE(std::find(l.begin(), l.end(), "! stored:2"), l.end());
}

TEST(Pop3Engine, DeletesOnlyAfterTheMessageIsFlushed) {
    Session s(false, true);
    s.Login();
    s.Reply("+OK 2 40\r\n");
    s.Reply("+OK\r\n");
    s.Chunk("a\r\n.\r\n");
    s.engine.OnSent();
    s.Reply("-ERR cannot\r\n");  // a negative DELE reply does not stop the run
    s.Reply("+OK\r\n");
    s.Chunk("b\r\n.\r\n");
    s.engine.OnSent();
    s.Reply("+OK\r\n");
    s.Reply("+OK\r\n");
    EXPECT_EQ(s.Commands(), (Log{"> USER bob", "> PASS secret", "> STAT", "> RETR 1", "> DELE 1",
                                 "> RETR 2", "> DELE 2", "> QUIT"}));
    const Log& l = s.port.log;
    auto at = [&](const std::string& e) { return std::find(l.begin(), l.end(), e) - l.begin(); };
    EXPECT_LT(at("sync"), at("> DELE 1"));
    EXPECT_LT(at("! stored:1"), at("> DELE 1"));
}

TEST(Pop3Engine, FailedInboxWriteOrFlushNeverDeletes) {
    for (bool flushFails : {false, true}) {
        Session s(false, true);
        s.Login();
        s.Reply("+OK 1 40\r\n");
        s.Reply("+OK\r\n");
        s.port.failWrites = !flushFails;
        s.port.failFlush = flushFails;
        s.Chunk("a\r\n.\r\n");
        s.engine.OnSent();
        s.Reply("+OK\r\n");
        for (const auto& c : s.Commands()) EXPECT_EQ(c.find("DELE"), std::string::npos) << c;
        EXPECT_EQ(s.Commands().back(), "> QUIT");
        const Log& l = s.port.log;
        EXPECT_NE(std::find(l.begin(), l.end(), "! inbox-write"), l.end());
        EXPECT_EQ(std::find(l.begin(), l.end(), "! stored:1"), l.end());
        EXPECT_EQ(Log(l.end() - 1, l.end()), Log{"! end"});  // no 19 after an abort
    }
}

TEST(Pop3Engine, NoTextIsLostAcrossChunkBoundaries) {
    Session s;
    s.Login();
    s.Reply("+OK 1 2000\r\n");
    // Status line and text in one chunk; the status line itself split.
    s.Chunk("+O");
    s.engine.OnSent();
    s.Chunk("K 2000 octets\r\nSubject: long\r\n\r\n");
    std::string longLine(1500, 'x');
    s.Chunk(longLine.substr(0, 1000));  // no CR LF in these chunks
    s.Chunk(longLine.substr(1000) + "\r\nend\r");
    s.Chunk("\n.");
    EXPECT_EQ(s.engine.State(), Pop3State::kMessageText);
    s.Chunk("\r");
    EXPECT_EQ(s.engine.State(), Pop3State::kMessageText);
    s.Chunk("\n");
    EXPECT_EQ(s.port.inbox, "Letters : 1\r\nBEGIN MESSAGE\r\nSubject: long\r\n\r\n" + longLine +
                                "\r\nend\r\n.\r\nEND MESSAGE\r\n");
    EXPECT_EQ(s.Commands().back(), "> QUIT");
}

// Message text is stored byte for byte however the stream cuts it, also a
// line of 1 MiB and lines that look like replies or end marks; DELE follows
// only once the whole message is in.
TEST(Pop3Engine, LongTextLinesSurviveAnyChunking) {
    const std::string text = "Subject: big\r\n\r\n" + std::string(1 << 20, 'q') + "\r\n-ERR no\r\n..\r\n.x\r\n" +
                             std::string(5000, '+') + "\r\n.\r\n";
    const std::string server = "+OK " + std::to_string(text.size()) + " octets\r\n" + text;
    std::mt19937 random(7);
    for (int run = 0; run < 12; ++run) {
        Session s(false, true);
        s.Login();
        s.Reply("+OK 1 1\r\n");
        std::size_t at = 0;
        while (at < server.size()) {
            std::size_t n = run == 0 ? 1 : 1 + random() % 1024;
            n = std::min(n, server.size() - at);
            ASSERT_EQ(s.port.log.back(), "> RETR 1") << "at byte " << at;
            s.Chunk(server.substr(at, n));
            at += n;
        }
        EXPECT_EQ(s.port.inbox, "Letters : 1\r\nBEGIN MESSAGE\r\n" + text + "END MESSAGE\r\n") << run;
        EXPECT_EQ(s.Commands().back(), "> DELE 1");
    }
}

TEST(Pop3Engine, DotLinesInsideTheTextDoNotEndIt) {
    Session s;
    s.Login();
    s.Reply("+OK 1 9\r\n");
    s.Reply("+OK\r\n.");  // an empty message's end line, split
    EXPECT_EQ(s.engine.State(), Pop3State::kMessageText);
    s.Chunk("..\r\n.x\r\n");
    EXPECT_EQ(s.engine.State(), Pop3State::kMessageText);
    s.Chunk(".\r\n");
    EXPECT_EQ(s.port.inbox, "Letters : 1\r\nBEGIN MESSAGE\r\n...\r\n.x\r\n.\r\nEND MESSAGE\r\n");
}

TEST(Pop3Engine, RefusalsAbortWithFiveAndEndOnce) {
    Session s;
    s.Reply("+OK ready\r\n");
    s.Reply("-ERR no such user\r\n");
    s.Reply("-ERR what\r\n");  // negative QUIT reply: QUIT once more, then the end
    s.engine.OnSent();
    s.Reply("-ERR still\r\n");
    s.engine.OnClosed();
    EXPECT_EQ(s.port.log, (Log{"! connected", "> USER bob", "! not-positive", "> QUIT", "! not-positive", "> QUIT", "close", "! end"}));
}

TEST(Pop3Engine, ClosedConnectionEndsTheRun) {
    Session s;
    s.Login();
    s.engine.OnClosed();
    s.engine.OnReceiveError();
    s.Chunk("+OK 1 1\r\n");
    const Log& l = s.port.log;
    EXPECT_EQ(Log(l.end() - 3, l.end()), (Log{"! closed", "close", "! end"}));
}

TEST(Pop3Engine, StreamErrorsAbortAndUnwritableQuitEnds) {
    Session s;
    s.Reply("+OK ready\r\n");
    s.port.failCommands = true;
    s.engine.OnSendError();
    EXPECT_EQ(s.port.log, (Log{"! connected", "> USER bob", "! send-failed", "close", "! end"}));
    EXPECT_TRUE(s.engine.Finished());
}

TEST(Pop3Engine, AReplyMayOvertakeTheSentEventOfItsCommand) {
    Session s;
    s.Chunk("+OK ready\r\n");
    s.Chunk("+OK\r\n");  // no sent event for USER came first
    s.engine.OnSent();     // it comes late: harmless
    s.Chunk("+OK\r\n");
    EXPECT_EQ(s.Commands(), (Log{"> USER bob", "> PASS secret", "> STAT"}));
    EXPECT_EQ(s.engine.State(), Pop3State::kStatSent);
}

// A reply line over the limit is one reply that is not "+OK", however it
// is cut into chunks: no piece of its tail passes for a reply, so a refused
// greeting never leads to USER or PASS.
TEST(Pop3Engine, OverLongReplyLinesAreOneRefusal) {
    const std::string tail = " +OK +OK +OK\r\n";
    const struct {
        std::string greeting;
        std::size_t chunk;  // chunk size the server's bytes arrive in
    } cases[] = {
        {"-ERR" + std::string(200000, ' ') + tail, 1024},
        {"-ERR" + std::string(200000, ' ') + tail, 7},
        {"-ERR" + std::string(995, 'e') + "\r" + tail, 1000},  // a CR alone at the limit is no line end
        {"-ERR" + std::string(995, 'e') + "\r\n+OK\r\n", 1024}, // CR at the limit, LF just past it
        {"+OK" + std::string(996, 'o') + "\r\n", 1024},         // 999 bytes before CR LF: too long
        {std::string(1000, 'z') + "+OK ready\r\n", 1000},
    };
    for (const auto& c : cases) {
        Session s;
        for (std::size_t at = 0; at < c.greeting.size(); at += c.chunk) s.Chunk(c.greeting.substr(at, c.chunk));
        s.engine.OnSent();
        s.Reply("+OK bye\r\n");
        EXPECT_EQ(s.port.log, (Log{"! connected", "! not-positive", "> QUIT", "close", "! end"})) << c.greeting.size();
        const std::string refusal = s.engine.Refusal();
        EXPECT_EQ(refusal.size(), Pop3Engine::kRefusalCapacity - 1);
        EXPECT_EQ(refusal.substr(0, 11), "greeting: " + c.greeting.substr(0, 1));
        EXPECT_EQ(refusal.substr(refusal.size() - 3), "...");
    }
}

// The longest reply line that fits is still a reply, and the bytes after an
// over-long line start a fresh one.
TEST(Pop3Engine, ReplyLinesUpToTheLimitAreTaken) {
    Session s;
    s.Chunk("+OK" + std::string(995, 'o') + "\r\n");  // 1000 bytes with CR LF
    s.engine.OnSent();
    s.Chunk("+OK\r\n");
    EXPECT_EQ(s.Commands(), (Log{"> USER bob", "> PASS secret"}));
}

// A reply that is neither "+OK" nor "-ERR" refuses the command it answers;
// the caller learns which command, and the password never shows.
TEST(Pop3Engine, RefusalsNameTheCommandAndHideThePassword) {
    const struct {
        std::vector<std::string> replies;  // after the greeting
        const char* refusal;
    } cases[] = {
        {{}, ""},
        {{"* hello"}, "USER bob: * hello"},
        {{"+OK", "-ERR secret is wrong for bob"}, "PASS: -ERR ****** is wrong for bob"},
        {{"+OK", "+OK", "-ERR\tlocked\x01\xff"}, "STAT: -ERR?locked??"},
        {{"+OK", "+OK", "+OK 3 9", "+OK", "a\r\n.", "OK 3 octets"}, "RETR 2: OK 3 octets"},
        {{"+OK", "+OK", "+OK 1 9", "+OK", "a\r\n.", "-ERR busy"}, "QUIT: -ERR busy"},
    };
    for (const auto& c : cases) {
        Session s(false, false);
        s.Reply("+OK ready\r\n");
        for (const auto& r : c.replies) s.Reply(r + "\r\n");
        EXPECT_STREQ(s.engine.Refusal(), c.refusal);
        bool refused = c.refusal[0] != '\0';
        const Log& l = s.port.log;
        EXPECT_EQ(std::find(l.begin(), l.end(), "! not-positive") != l.end(), refused) << c.refusal;
        EXPECT_EQ(std::find(l.begin(), l.end(), "! stored:2"), l.end());
    }
}

// The start sequence: the first failing step is posted with its 0, later
// steps are not taken, and a failed start may be tried again; a second
// transaction after a successful start is refused without a post.
TEST(Pop3Engine, StartStepsFailInOrderAndMayBeRetried) {
    const struct {
        const char* what;
        void (*spoil)(RecordingPort&, std::string& server, std::string& password);
        bool checkOnly;
        Log log;
    } cases[] = {
        {"no window", [](RecordingPort& p, std::string&, std::string&) { p.window = false; }, false,
         {"! no-window", "close", "! end"}},
        {"no server", [](RecordingPort&, std::string& s, std::string&) { s.clear(); }, false,
         {"! no-server", "close", "! end"}},
        {"server too long", [](RecordingPort&, std::string& s, std::string&) { s.assign(48, 'h'); }, false,
         {"! no-server", "close", "! end"}},
        {"no password", [](RecordingPort&, std::string&, std::string& w) { w.clear(); }, false,
         {"! no-password", "close", "! end"}},
        {"no buffers", [](RecordingPort& p, std::string&, std::string&) { p.buffers = false; }, false,
         {"! no-buffer", "close", "! end"}},
        {"no inbox", [](RecordingPort& p, std::string&, std::string&) { p.canCreateInbox = false; }, false,
         {"inbox", "! inbox-create", "close", "! end"}},
        {"no inbox needed", [](RecordingPort& p, std::string&, std::string&) { p.canCreateInbox = false; }, true,
         {"stream", "connect pop.example"}},
        {"no stream", [](RecordingPort& p, std::string&, std::string&) { p.canStream = false; }, false,
         {"inbox", "stream", "! no-stream", "close", "! end"}},
        {"no connection", [](RecordingPort& p, std::string&, std::string&) { p.canConnect = false; }, false,
         {"inbox", "stream", "connect pop.example", "disconnect", "! connect-failed", "close", "! end"}},
        {"all well", [](RecordingPort&, std::string&, std::string&) {}, false,
         {"inbox", "stream", "connect pop.example"}},
    };
    for (const auto& c : cases) {
        RecordingPort port;
        Pop3Engine engine{port};
        std::string server = "pop.example", password = "secret";
        c.spoil(port, server, password);
        const bool fails = c.log.back() == "! end";
        EXPECT_EQ(engine.Transaction(server.c_str(), "bob", password.c_str(), c.checkOnly, false),
                  fails ? Pop3Engine::kTransactionRefused : 0) << c.what;
        EXPECT_EQ(port.log, c.log) << c.what;
        EXPECT_EQ(engine.Started(), !fails) << c.what;
        port.log.clear();
        port = RecordingPort{};
        // Retried with everything in order: the server kept from before, if it fitted.
        const int again = engine.Transaction("pop.example", "bob", "secret", c.checkOnly, false);
        EXPECT_EQ(again, fails ? 0 : Pop3Engine::kTransactionRefused) << c.what;
        EXPECT_EQ(port.log.empty(), !fails) << c.what;
    }
}

// Until the greeting line is whole the connect limit runs from the first
// tick, whatever arrives; a failed connect ends it at once, by its notice or
// at the next tick through the last error.
TEST(Pop3Engine, ConnectLimitRunsUntilTheGreetingIsWhole) {
    for (const char* sent : {"", "+OK", "+OK ready\r"}) {
        Session waiting;  // the default limit: 30 s
        waiting.engine.OnTick(0, 0xFFFFF000u);  // the counter wraps in between
        waiting.Chunk(sent);
        waiting.engine.OnTick(0, 0xFFFFF000u + 29999u);
        EXPECT_FALSE(waiting.engine.Finished()) << sent;
        waiting.Chunk(sent);
        waiting.engine.OnTick(0, 0xFFFFF000u + 30000u);
        EXPECT_EQ(waiting.port.log, (Log{"! connected", "! connect-failed", "close", "! end", "disconnect"})) << sent;
    }
    Session refused;
    refused.engine.OnTick(0, 5);
    refused.engine.OnTick(10061, 205);
    EXPECT_EQ(refused.port.log, (Log{"! connected", "! connect-failed", "close", "! end", "disconnect"}));
    Session noticed;  // the stream's notice of the failure: no tick needed
    noticed.engine.OnConnectFailed();
    EXPECT_EQ(noticed.port.log, (Log{"! connected", "! connect-failed", "close", "! end", "disconnect"}));
    Session greeted;
    greeted.engine.OnTick(0, 0);
    greeted.Chunk("+OK ready\r\n");
    greeted.engine.OnTick(10061, 40000);  // the last error no longer matters
    greeted.engine.OnConnectFailed();     // nor does a stale notice
    EXPECT_FALSE(greeted.engine.Finished());
    EXPECT_EQ(greeted.Commands(), (Log{"> USER bob"}));
}

// Once greeted, a server that sends nothing for the silence limit ends the
// run with 2 wherever it stops: the connection is dropped without QUIT (so
// no DELE of the run is committed), a message cut off is not counted as
// stored, and what had arrived of it is kept in the inbox. Any stream
// event restarts the limit.
TEST(Pop3Engine, SilentServerEndsTheRunWithoutQuitOrDelete) {
    const struct {
        const char* where;
        std::vector<std::string> replies;  // after the greeting, each followed by a sent event
        std::string inbox;                 // the inbox at the end
    } cases[] = {
        {"after the greeting", {}, ""},
        {"waiting for STAT", {"+OK\r\n", "+OK\r\n"}, ""},
        {"mid-message", {"+OK\r\n", "+OK\r\n", "+OK 2 9\r\n", "+OK\r\nSubject: cut\r\n\r\nhalf"},
         "Letters : 2\r\nBEGIN MESSAGE\r\nSubject: cut\r\n\r\nhalf"},
        {"mid-message after a stored one",
         {"+OK\r\n", "+OK\r\n", "+OK 2 9\r\n", "+OK\r\na\r\n.\r\n", "+OK\r\n", "+OK\r\nb\r\n."},
         "Letters : 2\r\nBEGIN MESSAGE\r\na\r\n.\r\nEND MESSAGE\r\nBEGIN MESSAGE\r\nb\r\n."},
    };
    for (const auto& c : cases) {
        Session s(false, true);
        s.engine.SetLimits(30, 60);
        std::uint32_t now = 1000;
        s.engine.OnTick(0, now);
        s.Reply("+OK ready\r\n");
        for (const auto& r : c.replies) {
            now += 59000;  // each event comes just inside the limit
            s.engine.OnTick(0, now);
            s.Reply(r);
        }
        s.engine.OnTick(0, now += 200);  // the tick that sees the last event
        s.engine.OnTick(0, now + 59999);
        EXPECT_FALSE(s.engine.Finished()) << c.where;
        s.engine.OnTick(0, now + 60000);
        EXPECT_TRUE(s.engine.Finished()) << c.where;
        const Log& l = s.port.log;
        EXPECT_EQ(Log(l.end() - 4, l.end()), (Log{"! receive-failed", "close", "! end", "disconnect"})) << c.where;
        EXPECT_EQ(s.Commands().back().find("QUIT"), std::string::npos) << c.where;
        const int stored = static_cast<int>(std::count(l.begin(), l.end(), "! stored:1"));
        const int deleted = static_cast<int>(std::count(l.begin(), l.end(), "> DELE 1"));
        EXPECT_EQ(stored, deleted) << c.where;
        EXPECT_EQ(std::find(l.begin(), l.end(), "! stored:2"), l.end()) << c.where;
        EXPECT_EQ(std::find(l.begin(), l.end(), "> DELE 2"), l.end()) << c.where;
        EXPECT_EQ(s.port.inbox, c.inbox) << c.where;
        s.Chunk("\r\n.\r\n");  // nothing moves after the end
        s.engine.OnTick(0, now + 200000);
        EXPECT_EQ(Log(l.end() - 2, l.end()), (Log{"! end", "disconnect"})) << c.where;
    }
}

// The inbox holds the server's bytes exactly, however the text is cut into
// chunks (up to the session's 256 KiB): dot-stuffed and dot lines, lines
// that read like the inbox's own markers or like replies, long lines,
// bytes of every value, an empty message. Each message is written out
// before its 16 is posted, and flushed to disk before its DELE.
TEST(Pop3Engine, InboxHoldsTheServerBytesExactly) {
    std::string binary;
    for (int i = 0; i < 4096; ++i) binary += static_cast<char>(i % 256 == 10 ? 'n' : i % 256);
    const std::vector<std::string> messages = {
        "Subject: dots\r\n\r\n..\r\n...leading\r\n.x\r\n..\r\n",
        "Subject: markers\r\n\r\nEND MESSAGE\r\nBEGIN MESSAGE\r\nLetters : 9\r\n+OK 1 2\r\n-ERR\r\n",
        "Subject: long\r\n\r\n" + std::string(300000, 'L') + "\r\n" + std::string(70000, 'M') + "\r\n",
        "Subject: binary\r\n\r\n" + binary + "\r\n\r\r\n\n.\n\r\n",
        "",  // an empty message: the end line alone
    };
    std::string server, expected = "Letters : 5\r\n";
    std::vector<std::size_t> ends;  // where the server stops to wait for the next command
    for (const auto& m : messages) {
        server += "+OK " + std::to_string(m.size()) + " octets\r\n" + m + ".\r\n";
        ends.push_back(server.size());
        expected += "BEGIN MESSAGE\r\n" + m + ".\r\nEND MESSAGE\r\n";
    }
    std::mt19937 random(11);
    for (std::size_t limit : {std::size_t{1}, std::size_t{7}, std::size_t{1024}, std::size_t{262144}}) {
        for (bool deleteAfter : {false, true}) {
            Session s(false, deleteAfter);
            s.Login();
            s.Reply("+OK 5 1\r\n");
            std::size_t at = 0;
            int storedSoFar = 0;
            while (at < server.size() && !s.engine.Finished()) {
                std::size_t n = limit == 1 ? 1 : 1 + random() % limit;
                n = std::min(n, *std::upper_bound(ends.begin(), ends.end(), at) - at);
                s.Chunk(server.substr(at, n));
                at += n;
                const Log& l = s.port.log;
                const int posted = static_cast<int>(std::count_if(l.begin(), l.end(),
                    [](const std::string& e) { return e.rfind("! stored:", 0) == 0; }));
                if (posted > storedSoFar) {
                    storedSoFar = posted;
                    s.engine.OnSent();                    // DELE, the next RETR or QUIT has gone out
                    if (deleteAfter) s.Reply("+OK\r\n");  // the DELE reply; then RETR or QUIT
                }
            }
            s.Reply("+OK bye\r\n");
            EXPECT_EQ(s.port.inbox, expected) << limit << " " << deleteAfter;
            EXPECT_EQ(storedSoFar, 5) << limit;
            const Log& l = s.port.log;
            EXPECT_EQ(std::find(l.begin(), l.end(), "stored while buffered"), l.end()) << limit;
            for (std::size_t i = 0; i < l.size(); ++i) {
                if (l[i].rfind("! stored:", 0) != 0) continue;
                EXPECT_EQ(l[i - 1], deleteAfter ? "sync" : "flush") << limit;
                if (deleteAfter) {
                    EXPECT_EQ(l[i + 1], "> DELE " + l[i].substr(std::strlen("! stored:"))) << limit;
                }
            }
            EXPECT_EQ(Log(l.end() - 2, l.end()), (Log{"! quit-done", "! end"})) << limit;
        }
    }
}

// A failure to write out the inbox is reported, never hidden behind 16 or
// 19: when a message is written out, or when the rest goes out at the close.
TEST(Pop3Engine, InboxWriteOutFailuresAreReported) {
    for (bool atClose : {false, true}) {
        Session s;
        s.Login();
        s.Reply("+OK 1 1\r\n");
        s.Reply("+OK\r\n");
        s.port.failFlush = !atClose;
        s.port.failClose = atClose;
        s.Chunk("a\r\n.\r\n");
        s.engine.OnSent();
        s.Reply("+OK bye\r\n");
        const Log& l = s.port.log;
        EXPECT_EQ(std::find(l.begin(), l.end(), "! quit-done"), l.end()) << atClose;
        EXPECT_EQ(std::find(l.begin(), l.end(), "! stored:1") != l.end(), atClose) << atClose;
        EXPECT_EQ(Log(l.end() - 3, l.end()), atClose ? (Log{"close", "! inbox-write", "! end"}) : (Log{"> QUIT", "close", "! end"}))
            << atClose;
        EXPECT_EQ(std::count(l.begin(), l.end(), "! inbox-write"), 1) << atClose;
    }
}

TEST(Pop3Engine, NamesAreTakenOnlyWhenTheyFit) {
    RecordingPort port;
    Pop3Engine e(port);
    e.SetPassword("0123456789abcdef");  // 16 characters
    EXPECT_STREQ(e.Password(), "");
    e.SetPassword("0123456789abcde");
    EXPECT_STREQ(e.Password(), "0123456789abcde");
    e.SetUser(std::string(64, 'u').c_str());
    EXPECT_STREQ(e.User(), "");
}

}  // namespace

// Secure sessions: every command before "tls" went out in clear. USER and
// PASS never do, a refused STLS never falls back, and a failed handshake
// ends the run without another byte.
TEST(Pop3Engine, SecureSessionsSendCredentialsOnlyThroughTls) {
    using tls::SecurityMode;
    using tls::TlsStatus;
    const struct {
        const char* name;
        SecurityMode mode;
        TlsStatus startResult, handshake;
        std::vector<std::string> replies;  // in order, each answering the command before it
        Log log;
    } cases[] = {
        {"STLS, then the transaction through TLS", SecurityMode::kStartTlsRequired, TlsStatus::kOk, TlsStatus::kOk,
         {"+OK ready", "+OK begin TLS", "+OK", "+OK in", "+OK 2 320", "+OK bye"},
         {"! connected", "> STLS", "tls", "> USER bob", "> PASS secret", "> STAT", "! count:2", "> QUIT", "close", "! end"}},
        {"STLS refused", SecurityMode::kStartTlsRequired, TlsStatus::kOk, TlsStatus::kOk,
         {"+OK ready", "-ERR no TLS here", "+OK bye"},
         {"! connected", "> STLS", "! stls-refused", "> QUIT", "close", "! end"}},
        {"untrusted certificate after STLS", SecurityMode::kStartTlsRequired, TlsStatus::kOk,
         TlsStatus::kCertificateUntrusted, {"+OK ready", "+OK begin TLS"},
         {"! connected", "> STLS", "tls", "! tls-untrusted", "close", "! end", "disconnect"}},
        {"unreadable CA file", SecurityMode::kStartTlsRequired, TlsStatus::kCaFileUnreadable, TlsStatus::kOk,
         {"+OK ready", "+OK begin TLS"}, {"! connected", "> STLS", "tls refused", "! cafile", "close", "! end", "disconnect"}},
        {"TLS from the first byte", SecurityMode::kImplicitTls, TlsStatus::kOk, TlsStatus::kOk,
         {"+OK ready", "+OK", "+OK in", "+OK 0 0", "+OK bye"},
         {"! connected", "tls", "> USER bob", "> PASS secret", "> STAT", "! count", "> QUIT", "close", "! end"}},
        {"certificate for another name", SecurityMode::kImplicitTls, TlsStatus::kOk, TlsStatus::kNameMismatch, {},
         {"! connected", "tls", "! tls-name", "close", "! end", "disconnect"}},
        {"handshake cut off", SecurityMode::kImplicitTls, TlsStatus::kOk, TlsStatus::kHandshakeFailed, {},
         {"! connected", "tls", "! tls-handshake", "close", "! end", "disconnect"}},
        {"wrong password through TLS", SecurityMode::kImplicitTls, TlsStatus::kOk, TlsStatus::kOk,
         {"+OK ready", "+OK", "-ERR wrong", "+OK bye"},
         {"! connected", "tls", "> USER bob", "> PASS secret", "! not-positive", "> QUIT", "close", "! end"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingPort port;
        port.startTls = c.startResult;
        Pop3Engine engine{port};
        ASSERT_TRUE(engine.SetSecurity(c.mode));
        ASSERT_EQ(engine.Transaction("pop.test", "bob", "secret", true, false), 0);
        port.log.clear();
        engine.OnConnected();
        std::size_t next = 0;
        for (int guard = 0; guard < 100 && !engine.Finished(); ++guard) {
            if (engine.State() == Pop3State::kTlsHandshake) {
                if (c.handshake == TlsStatus::kOk) engine.OnTlsOpen();
                else engine.OnTlsFailed(c.handshake);
                continue;
            }
            ASSERT_LT(next, c.replies.size());
            const std::string reply = c.replies[next++] + "\r\n";
            engine.OnReceived(reply.data(), reply.size());
            engine.OnSent();
        }
        EXPECT_EQ(port.log, c.log);
        EXPECT_FALSE(engine.SetSecurity(SecurityMode::kNone));
        const auto tlsAt = std::find(port.log.begin(), port.log.end(), "tls");
        for (auto it = port.log.begin(); it != tlsAt; ++it)
            EXPECT_TRUE(it->rfind("> USER", 0) != 0 && it->rfind("> PASS", 0) != 0) << *it;
    }
}

// A handshake that never finishes: the connect limit (TLS from the first
// byte) or the silence limit (after STLS) ends it as a handshake failure.
TEST(Pop3Engine, StalledHandshakeEndsAsAHandshakeFailure) {
    for (tls::SecurityMode mode : {tls::SecurityMode::kImplicitTls, tls::SecurityMode::kStartTlsRequired}) {
        RecordingPort port;
        Pop3Engine engine{port};
        engine.SetSecurity(mode);
        engine.SetLimits(2, 3);
        ASSERT_EQ(engine.Transaction("pop.test", "bob", "secret", true, false), 0);
        engine.OnConnected();
        engine.OnTick(0, 1000);
        if (mode == tls::SecurityMode::kStartTlsRequired) {
            for (const char* reply : {"+OK ready\r\n", "+OK go\r\n"}) {
                engine.OnReceived(reply, std::strlen(reply));
                engine.OnSent();
            }
        }
        ASSERT_EQ(engine.State(), Pop3State::kTlsHandshake);
        engine.OnTick(0, 2500);
        EXPECT_FALSE(engine.Finished());
        engine.OnTick(0, 6000);
        EXPECT_TRUE(engine.Finished());
        EXPECT_NE(std::find(port.log.begin(), port.log.end(), "! tls-handshake"), port.log.end());
    }
}
