// Pop3Engine driven by scripted stream events, with a port that records
// commands, notifications and inbox bytes in one ordered log.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "mail/pop3_engine.h"

using namespace zenk;

namespace {

class RecordingPort : public Pop3Port {
public:
    std::vector<std::string> log;  // "> CMD", "! status[:count]", "flush", "close"
    std::string inbox;
    bool failWrites = false, failFlush = false, failCommands = false;

    bool WriteCommand(const char* text, std::size_t length) override {
        if (failCommands) return false;
        log.push_back("> " + std::string(text, length - 2));  // without CR LF
        return true;
    }
    void Notify(int status, long count) override {
        log.push_back("! " + std::to_string(status) + (count ? ":" + std::to_string(count) : ""));
    }
    bool WriteInbox(const void* bytes, std::size_t length) override {
        if (failWrites) return false;
        inbox.append(static_cast<const char*>(bytes), length);
        return true;
    }
    bool FlushInbox() override {
        log.push_back("flush");
        return !failFlush;
    }
    void CloseInbox() override { log.push_back("close"); }
};

struct Session {
    RecordingPort port;
    Pop3Engine engine{port};
    Session(bool checkOnly = false, bool deleteAfter = false) {
        engine.SetUser("bob");
        engine.SetPassword("secret");
        engine.Begin(checkOnly, deleteAfter);
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
    EXPECT_EQ(s.port.log, (Log{"! 17", "> USER bob", "> PASS secret", "> STAT", "! 18:2", "> QUIT",
                               "close", "! 0"}));
    EXPECT_EQ(s.engine.MessageCount(), 2);
    EXPECT_TRUE(s.port.inbox.empty());
    EXPECT_TRUE(s.engine.Finished());
}

TEST(Pop3Engine, HugeCountsAreClamped) {
    Session s(true);
    s.Login();
    s.Reply("+OK 99999999999999999999 1\r\n");
    EXPECT_EQ(s.engine.MessageCount(), 2147483647);
}

TEST(Pop3Engine, CountIsUnknownUntilStatAndZeroWithoutASize) {
    Session s;
    EXPECT_EQ(s.engine.MessageCount(), -1);
    s.Login();
    s.Reply("+OK 2\r\n");  // no second blank: count 0, so no mail
    s.Reply("+OK\r\n");
    EXPECT_EQ(s.engine.MessageCount(), 0);
    EXPECT_EQ(s.port.log, (Log{"! 17", "> USER bob", "> PASS secret", "> STAT", "! 9", "> QUIT",
                               "close", "! 0"}));
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
    EXPECT_EQ(Log(l.end() - 3, l.end()), (Log{"close", "! 19", "! 0"}));
    EXPECT_NE(std::find(l.begin(), l.end(), "! 16:2"), l.end());
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
    EXPECT_LT(at("flush"), at("> DELE 1"));
    EXPECT_LT(at("! 16:1"), at("> DELE 1"));
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
        EXPECT_NE(std::find(l.begin(), l.end(), "! 8"), l.end());
        EXPECT_EQ(std::find(l.begin(), l.end(), "! 16:1"), l.end());
        EXPECT_EQ(Log(l.end() - 1, l.end()), Log{"! 0"});  // no 19 after an abort
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
    EXPECT_EQ(s.port.log, (Log{"! 17", "> USER bob", "! 5", "> QUIT", "! 5", "> QUIT", "close", "! 0"}));
}

TEST(Pop3Engine, ClosedConnectionEndsTheRun) {
    Session s;
    s.Login();
    s.engine.OnClosed();
    s.engine.OnReceiveError();
    s.Chunk("+OK 1 1\r\n");
    const Log& l = s.port.log;
    EXPECT_EQ(Log(l.end() - 3, l.end()), (Log{"! 13", "close", "! 0"}));
}

TEST(Pop3Engine, StreamErrorsAbortAndUnwritableQuitEnds) {
    Session s;
    s.Reply("+OK ready\r\n");
    s.port.failCommands = true;
    s.engine.OnSendError();
    EXPECT_EQ(s.port.log, (Log{"! 17", "> USER bob", "! 3", "close", "! 0"}));
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

TEST(Pop3Engine, LongRepliesWithoutLineEndAreNotReplies) {
    Session s;
    s.Chunk(std::string(1000, 'z'));
    s.Chunk("+OK ready\r\n");
    EXPECT_EQ(s.Commands(), (Log{"> USER bob"}));
}

// Start failures may repeat (a failed start may be retried): each one ends
// with its own 0 and closes the inbox the attempt may have created.
TEST(Pop3Engine, EveryFailedStartEndsWithZeroAndClosesTheInbox) {
    RecordingPort port;
    Pop3Engine engine{port};
    engine.FailStart(11);
    engine.FailStart(12);
    EXPECT_EQ(port.log, (Log{"! 11", "close", "! 0", "! 12", "close", "! 0"}));
    EXPECT_FALSE(engine.Started());
}

TEST(Pop3Engine, ConnectTimeLimitOnlyBeforeAnyByte) {
    Session waiting;
    waiting.engine.OnConnectFailed();
    EXPECT_EQ(waiting.port.log, (Log{"! 17", "! 4", "close", "! 0"}));
    Session greeted;
    greeted.Chunk("+OK");
    greeted.engine.OnConnectFailed();
    EXPECT_FALSE(greeted.engine.Finished());
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
