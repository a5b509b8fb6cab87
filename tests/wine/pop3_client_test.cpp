// The POP3 client through its exports, against Dovecot and scripted peers
// (tests/peers/pop3_runner.py starts them and names the work folder).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "wine_test_util.h"
#include "inbox_test_files.h"
#include "zenk32.h"

namespace {

constexpr UINT kNotify = WM_APP + 7;
using Notes = std::vector<std::pair<int, long>>;  // (status, lParam) in order

// The runner's work folder as a Windows path (Wine maps / to Z:).
std::string Work(const std::string& leaf) {
    const char* linux = std::getenv("ZENK_POP3_WORK");
    std::string path = std::string("Z:") + (linux ? linux : "/tmp") + "/" + leaf;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}


bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Runs one transaction on a new session notified by thread message, and
// collects its notifications up to the final 0.
struct SessionRun {
    int result = 99;
    int count = -99;
    Notes notes;
    int refusalResult = 99;
    std::string refusal;     // ZENKPOP3LastRefusal with room for all of it
    std::string refusalCut;  // the same into 9 bytes
};

SessionRun Transaction(const char* server, const char* user, const char* password, bool checkOnly,
                int deleteAfter, const std::string& inbox, DWORD waitMs = 15000) {
    SessionRun run;
    void* h = nullptr;
    MSG peek;
    PeekMessageA(&peek, nullptr, 0, 0, PM_NOREMOVE);  // this thread has a queue
    EXPECT_EQ(ZENKPOP3StartThread(GetCurrentThreadId(), kNotify, inbox.c_str(), &h), 0);
    if (!h) return run;
    run.result = checkOnly ? ZENKPOP3IsThereMail(h, server, user, password)
                           : ZENKPOP3PullMail(h, server, user, password, deleteAfter);
    bool ended = false;
    testutil::PumpUntil([&] { return ended; }, waitMs, [&](const MSG& m) {
        if (m.hwnd == nullptr && m.message == kNotify) {
            run.notes.push_back({int(m.wParam), long(m.lParam)});
            if (m.wParam == ZENK_POP3_DONE) ended = true;
        }
    });
    // Nothing may follow the final 0.
    testutil::PumpUntil([] { return false; }, 150, [&](const MSG& m) {
        if (m.hwnd == nullptr && m.message == kNotify) run.notes.push_back({int(m.wParam), long(m.lParam)});
    });
    ZENKPOP3NumMail(h, &run.count);
    char text[200], cut[9];
    run.refusalResult = ZENKPOP3LastRefusal(h, text, sizeof text);
    EXPECT_EQ(ZENKPOP3LastRefusal(h, cut, sizeof cut), run.refusalResult);
    run.refusal = text;
    run.refusalCut = cut;
    EXPECT_EQ(ZENKPOP3Close(h), 0);
    return run;
}

class Pop3Client : public testing::Test {
protected:
    static void SetUpTestSuite() {
        ZENKInit();
        ASSERT_EQ(ZENKStartWinSock(0x0101), 1);
    }
};

const std::string kFirst = "From: alice@example.org\r\nTo: bob@example.org\r\nSubject: first\r\n\r\nHello Bob.\r\n";
const std::string kSecondStuffed =
    "From: carol@example.org\r\nTo: bob@example.org\r\nSubject: second\r\n\r\n..hidden line\r\nbye\r\n";

TEST_F(Pop3Client, DovecotCountOnlyLeavesTheInboxAlone) {
    std::string inbox = Work("check-inbox.txt");
    HANDLE f = CreateFileA(inbox.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD wrote;
    WriteFile(f, "keep", 4, &wrote, nullptr);
    CloseHandle(f);
    SessionRun run = Transaction("127.0.3.2", "bob", "secret", true, 0, inbox);
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.notes, (Notes{{ZENK_POP3_CONNECTED, 0}, {ZENK_POP3_COUNT, 2}, {ZENK_POP3_DONE, 0}}));
    EXPECT_EQ(run.count, 2);
    EXPECT_EQ(inboxtest::ReadWholeFile(inbox), "keep");
}

TEST_F(Pop3Client, DovecotWrongPasswordIsRefused) {
    SessionRun run = Transaction("127.0.3.2", "bob", "wrong", false, 0, Work("wrong-inbox.txt"));
    EXPECT_EQ(run.notes, (Notes{{ZENK_POP3_CONNECTED, 0}, {ZENK_POP3_ERR_REPLY, 0}, {ZENK_POP3_DONE, 0}}));
}

TEST_F(Pop3Client, DovecotPullWithDeleteStoresThenEmptiesTheMailbox) {
    std::string inbox = Work("dovecot-inbox.txt");
    SessionRun run = Transaction("127.0.3.2", "bob", "secret", false, 1, inbox);
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.notes, (Notes{{ZENK_POP3_CONNECTED, 0}, {ZENK_POP3_COUNT, 2}, {ZENK_POP3_STORED, 1}, {ZENK_POP3_STORED, 2}, {ZENK_POP3_QUIT_DONE, 0}, {ZENK_POP3_DONE, 0}}));
    EXPECT_EQ(inboxtest::ReadWholeFile(inbox), "Letters : 2\r\nBEGIN MESSAGE\r\n" + kFirst + ".\r\nEND MESSAGE\r\n" +
                                  "BEGIN MESSAGE\r\n" + kSecondStuffed + ".\r\nEND MESSAGE\r\n");
    SessionRun after = Transaction("127.0.3.2", "bob", "secret", true, 0, inbox);
    EXPECT_EQ(after.notes, (Notes{{ZENK_POP3_CONNECTED, 0}, {ZENK_POP3_COUNT, 0}, {ZENK_POP3_DONE, 0}}));
    SessionRun empty = Transaction("127.0.3.2", "bob", "secret", false, 0, Work("empty-inbox.txt"));
    EXPECT_EQ(empty.notes, (Notes{{ZENK_POP3_CONNECTED, 0}, {ZENK_POP3_EMPTY, 0}, {ZENK_POP3_DONE, 0}}));
}

TEST_F(Pop3Client, SplitRepliesAreStoredWholeAndDeleteFollowsTheStore) {
    std::string inbox = Work("split-inbox.txt");
    SessionRun run = Transaction("127.0.3.1", "bob", "secret", false, 1, inbox);
    EXPECT_EQ(run.notes, (Notes{{ZENK_POP3_CONNECTED, 0}, {ZENK_POP3_COUNT, 2}, {ZENK_POP3_STORED, 1}, {ZENK_POP3_STORED, 2}, {ZENK_POP3_QUIT_DONE, 0}, {ZENK_POP3_DONE, 0}}));
    const std::string one = "Subject: one\r\n\r\n..dotted\r\n" + std::string(1500, 'x') + "\r\nend one\r\n";
    EXPECT_EQ(inboxtest::ReadWholeFile(inbox), "Letters : 2\r\nBEGIN MESSAGE\r\n" + one + ".\r\nEND MESSAGE\r\n" +
                                  "BEGIN MESSAGE\r\nSubject: two\r\n\r\nsecond\r\n.\r\nEND MESSAGE\r\n");
    EXPECT_EQ(inboxtest::ReadWholeFile(Work("split.record")),
              "USER bob\r\nPASS secret\r\nSTAT\r\nRETR 1\r\nDELE 1\r\n#DELE 1 stored\r\n"
              "RETR 2\r\nDELE 2\r\n#DELE 2 stored\r\nQUIT\r\n");
}

// The inbox holds the server's bytes exactly, as they arrive in pieces of
// random size: dot-stuffed and dot lines, lines reading like the inbox's
// markers or like replies, a 300 KB line, every byte value, an empty
// message. Each DELE follows the message's storing (the peer checks the
// file when it gets DELE).
TEST_F(Pop3Client, InboxHoldsEveryKindOfTextByteForByte) {
    const std::string inbox = Work("corpus-inbox.txt");
    SessionRun run = Transaction("127.0.3.16", "bob", "secret", false, 1, inbox, 30000);
    EXPECT_EQ(run.notes, (Notes{{ZENK_POP3_CONNECTED, 0}, {ZENK_POP3_COUNT, 5}, {ZENK_POP3_STORED, 1}, {ZENK_POP3_STORED, 2}, {ZENK_POP3_STORED, 3}, {ZENK_POP3_STORED, 4}, {ZENK_POP3_STORED, 5}, {ZENK_POP3_QUIT_DONE, 0}, {ZENK_POP3_DONE, 0}}));
    const std::string expected = inboxtest::ReadWholeFile(Work("corpus-inbox.txt.expected"));
    ASSERT_GT(expected.size(), 370000u);
    const std::string got = inboxtest::ReadWholeFile(inbox);
    EXPECT_EQ(got.size(), expected.size());
    EXPECT_TRUE(got == expected) << "the inbox differs from the server's bytes";
    std::string record = "USER bob\r\nPASS secret\r\nSTAT\r\n";
    for (int n = 1; n <= 5; ++n)
        record += "RETR " + std::to_string(n) + "\r\nDELE " + std::to_string(n) + "\r\n#DELE " + std::to_string(n) +
                  " stored\r\n";
    EXPECT_EQ(inboxtest::ReadWholeFile(Work("corpus.record")), record + "QUIT\r\n");
}

TEST_F(Pop3Client, RefusedGreetingQuits) {
    SessionRun run = Transaction("127.0.3.3", "bob", "secret", false, 0, Work("refuse-inbox.txt"));
    EXPECT_EQ(run.notes, (Notes{{ZENK_POP3_CONNECTED, 0}, {ZENK_POP3_ERR_REPLY, 0}, {ZENK_POP3_DONE, 0}}));
    EXPECT_EQ(inboxtest::ReadWholeFile(Work("refuse.record")), "QUIT\r\n");
    SessionRun bad = Transaction("127.0.3.4", "bob", "secret", false, 0, Work("badpass-inbox.txt"));
    EXPECT_EQ(bad.notes, (Notes{{ZENK_POP3_CONNECTED, 0}, {ZENK_POP3_ERR_REPLY, 0}, {ZENK_POP3_DONE, 0}}));
    EXPECT_EQ(inboxtest::ReadWholeFile(Work("badpass.record")), "USER bob\r\nPASS secret\r\nQUIT\r\n");
}

TEST_F(Pop3Client, ServerClosingMidMessageEndsTheRun) {
    std::string inbox = Work("drop-inbox.txt");
    SessionRun run = Transaction("127.0.3.5", "bob", "secret", false, 1, inbox);
    EXPECT_EQ(run.notes, (Notes{{ZENK_POP3_CONNECTED, 0}, {ZENK_POP3_COUNT, 2}, {ZENK_POP3_CLOSED, 0}, {ZENK_POP3_DONE, 0}}));
    EXPECT_EQ(inboxtest::ReadWholeFile(inbox), "Letters : 2\r\nBEGIN MESSAGE\r\nSubject: o");
    EXPECT_EQ(inboxtest::ReadWholeFile(Work("drop.record")).find("DELE"), std::string::npos);
}

// Hostile servers: a 200 KB greeting line starting "-ERR" and going on
// "+OK +OK ...", an RETR refused, an absurd STAT count with a 1 MiB text
// line, a reply that is neither +OK nor -ERR. No credential goes out after
// a refused greeting, nothing is deleted unless stored, the refusal names
// its command, and text is kept byte for byte.
TEST_F(Pop3Client, HostileServersGetNoCredentialAndLoseNoMail) {
    std::string huge = "Subject: huge\r\n\r\n";
    for (int i = 0; i < 11155; ++i)
        for (char c = 33; c < 127; ++c) huge += c;
    huge += "\r\n-ERR not a reply\r\n";
    const std::string one = "Subject: one\r\n\r\n..dotted\r\n" + std::string(1500, 'x') + "\r\nend one\r\n";
    const std::string login = "USER bob\r\nPASS secret\r\nSTAT\r\n";
    const struct {
        const char* server;
        const char* mode;
        Notes notes;
        std::string record;
        std::string refusal;
        std::string inbox;
    } cases[] = {
        {"127.0.3.11", "longerr", {{ZENK_POP3_CONNECTED, 0}, {ZENK_POP3_ERR_REPLY, 0}, {ZENK_POP3_DONE, 0}}, "QUIT\r\n",
         "greeting: -ERR +OK +OK", ""},
        {"127.0.3.12", "retrerr", {{ZENK_POP3_CONNECTED, 0}, {ZENK_POP3_COUNT, 2}, {ZENK_POP3_STORED, 1}, {ZENK_POP3_ERR_REPLY, 0}, {ZENK_POP3_DONE, 0}},
         login + "RETR 1\r\nDELE 1\r\n#DELE 1 stored\r\nRETR 2\r\nQUIT\r\n", "RETR 2: -ERR no such message",
         "Letters : 2\r\nBEGIN MESSAGE\r\n" + one + ".\r\nEND MESSAGE\r\nBEGIN MESSAGE\r\n"},
        {"127.0.3.13", "huge", {{ZENK_POP3_CONNECTED, 0}, {ZENK_POP3_COUNT, 1000000}, {ZENK_POP3_STORED, 1}, {ZENK_POP3_ERR_REPLY, 0}, {ZENK_POP3_DONE, 0}},
         login + "RETR 1\r\nDELE 1\r\n#DELE 1 stored\r\nRETR 2\r\nQUIT\r\n", "RETR 2: -ERR no such message",
         "Letters : 1000000\r\nBEGIN MESSAGE\r\n" + huge + ".\r\nEND MESSAGE\r\nBEGIN MESSAGE\r\n"},
        {"127.0.3.14", "junk", {{ZENK_POP3_CONNECTED, 0}, {ZENK_POP3_ERR_REPLY, 0}, {ZENK_POP3_DONE, 0}}, "USER bob\r\nPASS secret\r\nQUIT\r\n",
         "PASS: OK fine", ""},
    };
    for (const auto& c : cases) {
        const std::string inbox = Work(std::string(c.mode) + "-inbox.txt");
        SessionRun run = Transaction(c.server, "bob", "secret", false, 1, inbox, 30000);
        EXPECT_EQ(run.notes, c.notes) << c.mode;
        EXPECT_EQ(inboxtest::ReadWholeFile(Work(std::string(c.mode) + ".record")), c.record) << c.mode;
        EXPECT_EQ(run.refusalResult, 0) << c.mode;
        EXPECT_EQ(run.refusal.substr(0, c.refusal.size()), c.refusal) << c.mode;
        EXPECT_EQ(run.refusalCut, run.refusal.substr(0, 8)) << c.mode;
        EXPECT_EQ(run.refusal.find("secret"), std::string::npos) << c.mode;
        EXPECT_TRUE(inboxtest::ReadWholeFile(inbox) == c.inbox) << c.mode;
    }
}

TEST_F(Pop3Client, StartFailuresAreNotifiedAndNothingIsCreated) {
    std::string inbox = Work("never-inbox.txt");
    SessionRun run = Transaction("127.0.3.2", "bob", "", false, 0, inbox);
    EXPECT_EQ(run.result, ZENK_FAILED);
    EXPECT_EQ(run.notes, (Notes{{ZENK_POP3_ERR_NO_PASSWORD, 0}, {ZENK_POP3_DONE, 0}}));
    EXPECT_FALSE(Exists(inbox));
    run = Transaction("127.0.3.2", "bob", "0123456789abcdef", false, 0, inbox);  // 16: not taken
    EXPECT_EQ(run.notes, (Notes{{ZENK_POP3_ERR_NO_PASSWORD, 0}, {ZENK_POP3_DONE, 0}}));
    run = Transaction("", "bob", "secret", false, 0, inbox);
    EXPECT_EQ(run.notes, (Notes{{ZENK_POP3_ERR_NO_SERVER, 0}, {ZENK_POP3_DONE, 0}}));
    run = Transaction("127.0.3.2", "bob", "secret", false, 0, std::string(300, 'p'));
    EXPECT_EQ(run.notes, (Notes{{ZENK_POP3_ERR_INBOX, 0}, {ZENK_POP3_DONE, 0}}));
    EXPECT_FALSE(Exists(inbox));
}

TEST_F(Pop3Client, RefusedConnectionIsNoticed) {
    SessionRun run = Transaction("127.0.3.9", "bob", "secret", false, 0, Work("nobody-inbox.txt"));
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.notes, (Notes{{ZENK_POP3_ERR_CONNECT, 0}, {ZENK_POP3_DONE, 0}}));
}

// A server that accepts and never greets: the run ends after the 30 s
// greeting limit with 4 and 0, the connection closed and nothing sent.
TEST_F(Pop3Client, HandlesAndSecondTransactions) {
    int n = 5;
    EXPECT_EQ(ZENKPOP3IsThereMail(nullptr, "h", "u", "p"), ZENK_BAD_HANDLE);
    EXPECT_EQ(ZENKPOP3PullMail(nullptr, "h", "u", "p", 0), ZENK_BAD_HANDLE);
    EXPECT_EQ(ZENKPOP3NumMail(nullptr, &n), ZENK_BAD_HANDLE);
    EXPECT_EQ(ZENKPOP3Close(nullptr), ZENK_FAILED);
    void* h = nullptr;
    ASSERT_EQ(ZENKPOP3StartThread(GetCurrentThreadId(), kNotify, Work("x.txt").c_str(), &h), 0);
    EXPECT_EQ(ZENKPOP3NumMail(h, &n), 0);
    EXPECT_EQ(n, -1);  // not known before STAT
    char text[8] = "x";
    EXPECT_EQ(ZENKPOP3LastRefusal(nullptr, text, sizeof text), ZENK_BAD_HANDLE);
    EXPECT_EQ(ZENKPOP3LastRefusal(h, nullptr, 8), ZENK_FAILED);
    EXPECT_EQ(ZENKPOP3LastRefusal(h, text, 0), ZENK_FAILED);
    EXPECT_STREQ(text, "x");
    EXPECT_EQ(ZENKPOP3LastRefusal(h, text, sizeof text), ZENK_FAILED);  // nothing refused yet
    EXPECT_STREQ(text, "");
    ASSERT_EQ(ZENKPOP3IsThereMail(h, "127.0.3.2", "bob", "secret"), 0);
    EXPECT_EQ(ZENKPOP3PullMail(h, "127.0.3.2", "bob", "secret", 1), ZENK_FAILED);
    Notes notes;
    bool ended = false;
    testutil::PumpUntil([&] { return ended; }, 15000, [&](const MSG& m) {
        if (m.hwnd == nullptr && m.message == kNotify) {
            notes.push_back({int(m.wParam), long(m.lParam)});
            ended = m.wParam == ZENK_POP3_DONE;
        }
    });
    EXPECT_EQ(notes, (Notes{{ZENK_POP3_CONNECTED, 0}, {ZENK_POP3_COUNT, 0}, {ZENK_POP3_DONE, 0}}));  // one run only; the mailbox is empty now
    EXPECT_EQ(ZENKPOP3Close(h), 0);
}

TEST_F(Pop3Client, WindowVariantPostsToTheWindow) {
    HWND owner = CreateWindowExA(0, "STATIC", "owner", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    void* h = nullptr;
    ASSERT_EQ(ZENKPOP3StartWindow(owner, kNotify, Work("w.txt").c_str(), &h), 0);
    ASSERT_EQ(ZENKPOP3IsThereMail(h, "127.0.3.2", "bob", "secret"), 0);
    Notes notes;
    bool ended = false;
    testutil::PumpUntil([&] { return ended; }, 15000, [&](const MSG& m) {
        if (m.hwnd == owner && m.message == kNotify) {
            notes.push_back({int(m.wParam), long(m.lParam)});
            ended = m.wParam == ZENK_POP3_DONE;
        }
    });
    EXPECT_EQ(notes, (Notes{{ZENK_POP3_CONNECTED, 0}, {ZENK_POP3_COUNT, 0}, {ZENK_POP3_DONE, 0}}));
    EXPECT_EQ(ZENKPOP3Close(h), 0);
    DestroyWindow(owner);
}

}  // namespace
