// The SMTP client through zenk32.dll's exports, against aiosmtpd storing
// byte for byte (127.0.2.1) and a scripted peer recording what it receives
// (127.0.2.2 split replies, .3 refused recipient, .5 rejected greeting,
// .6 hang-up); nothing listens on 127.0.2.9. A second aiosmtpd on 127.0.2.7
// takes the messages with binary attachments: the runner parses them with
// Python's email package after this program ends and compares each
// attachment with the original file.
//
// Tests run in the order written: the first ones run before ZENKInit and
// before ZENKStartWinSock.
#include <gtest/gtest.h>

#include <cstdint>

#include "scratch_folder.h"
#include "smtp_test_util.h"

using namespace smtptest;

namespace {

const char kSender[] = "alice@example.org";

// A fresh folder per test, the current directory while it runs.
class SmtpTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scratch.entered);
        folder = scratch.path;
        outbox = folder + "\\outbox.txt";
        ZENKInit();
        ASSERT_EQ(ZENKStartWinSock(0x0101), 1);
    }
    // Sends the outbox to server (window variant); returns SendMail's result.
    int Deliver(Collector& c, const char* server) {
        void* session = nullptr;
        EXPECT_EQ(ZENKSMTPStartWindow(c.window, kNotify, outbox.c_str(), &session), 0);
        int result = ZENKSMTPSendMail(session, server);
        EXPECT_TRUE(c.WaitForEnd()) << server;
        EXPECT_EQ(ZENKSMTPClose(session), 0);
        return result;
    }
    testutil::ScratchFolder scratch{"zenk_smtp_"};
    std::string folder, outbox;
};

TEST(SmtpGate, BeforeInitAndWithoutWinSock) {
    void* session = reinterpret_cast<void*>(1);
    EXPECT_EQ(ZENKSMTPStartWindow(nullptr, kNotify, "x", &session), ZENK_NOT_READY);
    EXPECT_EQ(ZENKSMTPSendMail(nullptr, "h"), ZENK_NOT_READY);
    EXPECT_EQ(session, reinterpret_cast<void*>(1));
    ZENKInit();
    EXPECT_EQ(ZENKSMTPSendMail(nullptr, "h"), ZENK_BAD_HANDLE);
    EXPECT_EQ(ZENKSMTPClose(nullptr), ZENK_FAILED);
    EXPECT_EQ(ZENKSMTPStartThread(GetCurrentThreadId(), kNotify, "x", nullptr), ZENK_FAILED);

    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string outbox = std::string(temp) + "zenk_smtp_nows_" + std::to_string(GetCurrentProcessId()) + ".txt";
    ASSERT_TRUE(Compose(outbox, kSender, {Message{{"bob@example.org"}, {}, {}, "s", "hi\r\n"}}));
    Collector c;
    ASSERT_EQ(ZENKSMTPStartWindow(c.window, kNotify, outbox.c_str(), &session), 0);
    EXPECT_TRUE(FindWindowA("ZENK_SMTPWIND", "SMTP Message"));
    EXPECT_EQ(ZENKSMTPSendMail(session, "127.0.2.1"), ZENK_FAILED);
    EXPECT_TRUE(c.WaitForEnd());
    EXPECT_EQ(c.posts, (Posts{{ZENK_SMTP_ERR_STREAM, 0}, {ZENK_SMTP_DONE, 0}}));
    EXPECT_EQ(ZENKSMTPClose(session), 0);
    EXPECT_FALSE(FindWindowA("ZENK_SMTPWIND", "SMTP Message"));
    DeleteFileA(outbox.c_str());
}

TEST_F(SmtpTest, AiosmtpdStoresEveryMessageByteForByte) {
    std::string binary;
    for (int i = 0; i < 700; ++i) binary += static_cast<char>(i * 13);
    WriteAll(folder + "\\blob.bin", binary);
    Message first{{"bob@example.org"}, {"carol@example.org"}, {folder + "\\blob.bin"}, "first",
                  "Hello\r\n.\r\n..two\r\ncaf\xe9 \x80 end\r\nlast line without end"};
    Message second{{"dave@example.org"}, {}, {}, "second", std::string(900, 'x') + "\r\n"};
    // A text of many chunks: dot lines, lines reading like the end marker,
    // long lines with and without a leading dot, 8-bit bytes.
    const std::string pieces[] = {".", "..two", "END DATA", ".END DATA", std::string(900, 'y'),
                                  "." + std::string(900, 'z'), "caf\xe9", ""};
    Message third{{"erin@example.org"}, {}, {}, "third", ""};
    for (int i = 0; i < 3000; ++i) third.text += pieces[(i * 7 + i / 8) % 8] + "\r\n";
    ASSERT_TRUE(Compose(outbox, kSender, {first, second, third}));
    Collector c;
    EXPECT_EQ(Deliver(c, "127.0.2.1"), 0);
    EXPECT_EQ(WithoutTrailingClose(c.posts), (Posts{{ZENK_SMTP_CONNECTED, 0}, {ZENK_SMTP_SENT, 1}, {ZENK_SMTP_SENT, 2}, {ZENK_SMTP_SENT, 3}, {ZENK_SMTP_QUIT_DONE, 0}, {ZENK_SMTP_DONE, 0}}));

    std::string maildir = WinPath(Env("ZENK_SMTP_MAILDIR"));
    std::vector<std::string> stored = ListFiles(maildir + "\\new");
    std::vector<std::string> expected = ExpectedTexts(ReadAll(outbox));
    ASSERT_EQ(stored.size(), 3u);
    ASSERT_EQ(expected.size(), 3u);
    EXPECT_GT(expected[2].size(), 500000u);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(ReadAll(maildir + "\\new\\" + stored[i]) == expected[i]) << i;
    // The 8-bit text travels quoted-printable in the ANSI code page's
    // charset, so the client's bit-7 rule leaves every byte of it as written.
    EXPECT_NE(expected[0].find("\r\n.\r\n..two\r\ncaf=E9 =80 end\r\n"), std::string::npos);
    EXPECT_EQ(ReadAll(maildir + "\\" + stored[0] + ".envelope"),
              "alice@example.org\nbob@example.org carol@example.org\n");
    EXPECT_EQ(ReadAll(maildir + "\\" + stored[1] + ".envelope"), "alice@example.org\ndave@example.org\n");
    for (const auto& name : ListFiles(maildir + "\\new")) DeleteFileA((maildir + "\\new\\" + name).c_str());
}

// Attachments of the sizes around base64's line and group limits (0, 1,
// 51, 52 bytes) and one of 1 MiB, spread over three messages. This side
// checks the delivery; smtp_runner.py --check-mime checks what was stored
// against the originals and manifest.txt (per message: subject, then the names, tab-separated).
TEST_F(SmtpTest, BinaryAttachmentsReachAStandardParserIntact) {
    std::string originals = Env("ZENK_SMTP_ORIGINALS");
    ASSERT_FALSE(originals.empty()) << "run through smtp_runner.py --check-mime";
    originals = WinPath(originals);
    std::uint32_t seed = 12345;
    auto file = [&](std::size_t size) {
        std::string bytes(size, '\0');
        for (char& b : bytes) b = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 23);
        std::string name = "size" + std::to_string(size) + ".bin";
        WriteAll(originals + "\\" + name, bytes);
        return name;
    };
    std::vector<std::vector<std::string>> names = {{file(0), file(1)}, {file(51), file(52)}, {file(1 << 20)}};
    std::vector<Message> messages;
    std::string manifest;
    for (std::size_t i = 0; i < names.size(); ++i) {
        Message m{{"bob@example.org"}, {}, {}, "interop " + std::to_string(i + 1),
                  "Message " + std::to_string(i + 1) + "\r\n"};
        manifest += m.subject;
        for (const auto& n : names[i]) {
            m.files.push_back(originals + "\\" + n);
            manifest += "\t" + n;
        }
        manifest += "\n";
        messages.push_back(m);
    }
    WriteAll(originals + "\\manifest.txt", manifest);
    ASSERT_TRUE(Compose(outbox, kSender, messages));
    Collector c;
    void* session = nullptr;
    ASSERT_EQ(ZENKSMTPStartWindow(c.window, kNotify, outbox.c_str(), &session), 0);
    EXPECT_EQ(ZENKSMTPSendMail(session, "127.0.2.7"), 0);
    EXPECT_TRUE(c.WaitForEnd(60000));
    EXPECT_EQ(ZENKSMTPClose(session), 0);
    EXPECT_EQ(WithoutTrailingClose(c.posts), (Posts{{ZENK_SMTP_CONNECTED, 0}, {ZENK_SMTP_SENT, 1}, {ZENK_SMTP_SENT, 2}, {ZENK_SMTP_SENT, 3}, {ZENK_SMTP_QUIT_DONE, 0}, {ZENK_SMTP_DONE, 0}}));
}

// A hand-made outbox whose text holds 0x8D, 0x8A, a bare CR and
// 0x8A "." 0x8A: none of them goes out as a line break (the scripted peer
// records the wire), and aiosmtpd stores exactly one message.
TEST_F(SmtpTest, NoLineBreakIsSmuggledThroughBitSeven) {
    WriteAll(outbox, kLineBreakOutbox);
    const std::string& text = kLineBreakText;
    Collector c;
    EXPECT_EQ(Deliver(c, "127.0.2.2"), 0);
    EXPECT_EQ(WithoutTrailingClose(c.posts), (Posts{{ZENK_SMTP_CONNECTED, 0}, {ZENK_SMTP_SENT, 1}, {ZENK_SMTP_QUIT_DONE, 0}, {ZENK_SMTP_DONE, 0}}));
    EXPECT_EQ(LatestRecord("127.0.2.2"), "HELO alice\r\nMAIL FROM:<alice@example.org>\r\n"
                                         "RCPT TO:<bob@example.org>\r\nDATA \r\n" + text + ".\r\nQUIT \r\n");

    std::string maildir = WinPath(Env("ZENK_SMTP_MAILDIR"));
    for (const auto& name : ListFiles(maildir + "\\new")) DeleteFileA((maildir + "\\new\\" + name).c_str());
    c.posts.clear();
    EXPECT_EQ(Deliver(c, "127.0.2.1"), 0);
    EXPECT_EQ(WithoutTrailingClose(c.posts), (Posts{{ZENK_SMTP_CONNECTED, 0}, {ZENK_SMTP_SENT, 1}, {ZENK_SMTP_QUIT_DONE, 0}, {ZENK_SMTP_DONE, 0}}));
    std::vector<std::string> stored = ListFiles(maildir + "\\new");
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(ReadAll(maildir + "\\new\\" + stored[0]), text);
    DeleteFileA((maildir + "\\new\\" + stored[0]).c_str());
}

// A composer finished with a message still open announces only the ended
// ones, so their delivery ends with 18 and 0.
TEST_F(SmtpTest, MessageNeverEndedIsNotAnnounced) {
    void* h = nullptr;
    ASSERT_EQ(ZENKMimePrepStart(outbox.c_str(), kSender, &h), 0);
    for (const char* to : {"one@example.org", "two@example.org", "three@example.org", "four@example.org"}) {
        ASSERT_EQ(ZENKMimePrepNewMesg(h), 0);
        ASSERT_EQ(ZENKMimePrepTO(h, to), 0);
        ASSERT_EQ(ZENKMimePrepData(h, "x\r\n", 3), 0);
        if (std::string(to) != "four@example.org") {
            ASSERT_EQ(ZENKMimePrepEndMesg(h), 0);
        }
    }
    ASSERT_EQ(ZENKMimePrepFinish(h), 0);
    Collector c;
    EXPECT_EQ(Deliver(c, "127.0.2.2"), 0);
    EXPECT_EQ(WithoutTrailingClose(c.posts), (Posts{{ZENK_SMTP_CONNECTED, 0}, {ZENK_SMTP_SENT, 1}, {ZENK_SMTP_SENT, 2}, {ZENK_SMTP_SENT, 3}, {ZENK_SMTP_QUIT_DONE, 0}, {ZENK_SMTP_DONE, 0}}));
    EXPECT_EQ(LatestRecord("127.0.2.2").find("four@"), std::string::npos);
}

TEST_F(SmtpTest, ThreadVariantReportsToTheThreadQueue) {
    ASSERT_TRUE(Compose(outbox, kSender, {Message{{"bob@example.org"}, {}, {}, "t", "thread\r\n"}}));
    Collector c;
    void* session = nullptr;
    ASSERT_EQ(ZENKSMTPStartThread(GetCurrentThreadId(), kNotify, outbox.c_str(), &session), 0);
    EXPECT_EQ(ZENKSMTPSendMail(session, "127.0.2.1"), 0);
    EXPECT_TRUE(c.WaitForEnd());
    EXPECT_EQ(WithoutTrailingClose(c.posts), (Posts{{ZENK_SMTP_CONNECTED, 0}, {ZENK_SMTP_SENT, 1}, {ZENK_SMTP_QUIT_DONE, 0}, {ZENK_SMTP_DONE, 0}}));
    // One delivery per session.
    EXPECT_EQ(ZENKSMTPSendMail(session, "127.0.2.1"), ZENK_FAILED);
    EXPECT_EQ(ZENKSMTPClose(session), 0);
}

TEST_F(SmtpTest, SplitAndMultiLineRepliesExactWire) {
    ASSERT_TRUE(Compose(outbox, kSender, {Message{{"bob@example.org"}, {}, {}, "s", ".\r\nbody\r\n"}}));
    Collector c;
    EXPECT_EQ(Deliver(c, "127.0.2.2"), 0);
    EXPECT_EQ(WithoutTrailingClose(c.posts), (Posts{{ZENK_SMTP_CONNECTED, 0}, {ZENK_SMTP_SENT, 1}, {ZENK_SMTP_QUIT_DONE, 0}, {ZENK_SMTP_DONE, 0}}));
    std::string text = ExpectedTexts(ReadAll(outbox)).at(0);
    ASSERT_EQ(text.find("\r\n.\r\nbody\r\n"), text.find("\r\n\r\n") + 2);  // the text is as written
    std::string stuffed = text;
    stuffed.replace(text.find("\r\n.\r\n"), 5, "\r\n..\r\n");
    EXPECT_EQ(LatestRecord("127.0.2.2"), "HELO alice\r\nMAIL FROM:<alice@example.org>\r\n"
                                         "RCPT TO:<bob@example.org>\r\nDATA \r\n" +
                                             stuffed + ".\r\nQUIT \r\n");
}

TEST_F(SmtpTest, RefusedRecipientIsReportedAndTheOthersServed) {
    ASSERT_TRUE(Compose(outbox, kSender,
                        {Message{{"nobody@example.org", "bob@example.org"}, {}, {}, "s", "x\r\n"}}));
    Collector c;
    EXPECT_EQ(Deliver(c, "127.0.2.3"), 0);
    EXPECT_EQ(WithoutTrailingClose(c.posts), (Posts{{ZENK_SMTP_CONNECTED, 0}, {ZENK_SMTP_DONE, 1}, {ZENK_SMTP_SENT, 1}, {ZENK_SMTP_QUIT_DONE, 0}, {ZENK_SMTP_DONE, 0}}));
    std::string wire = LatestRecord("127.0.2.3");
    EXPECT_NE(wire.find("RCPT TO:<nobody@example.org>\r\nRCPT TO:<bob@example.org>\r\nDATA \r\n"),
              std::string::npos);
}

TEST_F(SmtpTest, RejectedGreetingEndsWithQuit) {
    ASSERT_TRUE(Compose(outbox, kSender, {Message{{"bob@example.org"}, {}, {}, "s", "x\r\n"}}));
    Collector c;
    EXPECT_EQ(Deliver(c, "127.0.2.5"), 0);
    EXPECT_EQ(WithoutTrailingClose(c.posts), (Posts{{ZENK_SMTP_CONNECTED, 0}, {ZENK_SMTP_ERR_REPLY, 0}, {ZENK_SMTP_DONE, 0}}));
    EXPECT_EQ(LatestRecord("127.0.2.5"), "QUIT \r\n");
}

TEST_F(SmtpTest, ServerHangingUpEndsTheRun) {
    ASSERT_TRUE(Compose(outbox, kSender, {Message{{"bob@example.org"}, {}, {}, "s", "x\r\n"}}));
    Collector c;
    EXPECT_EQ(Deliver(c, "127.0.2.6"), 0);
    ASSERT_GE(c.posts.size(), 3u);
    EXPECT_EQ(c.posts.front(), (std::pair<int, long>{ZENK_SMTP_CONNECTED, 0}));
    EXPECT_EQ(c.posts.back(), (std::pair<int, long>{ZENK_SMTP_DONE, 0}));
    EXPECT_NE(std::find(c.posts.begin(), c.posts.end(), std::pair<int, long>{ZENK_SMTP_CLOSED, 0}), c.posts.end());
    EXPECT_EQ(std::count(c.posts.begin(), c.posts.end(), std::pair<int, long>{ZENK_SMTP_SENT, 1}), 0);
}

TEST_F(SmtpTest, RefusedConnectionEndsWithinSeconds) {
    ASSERT_TRUE(Compose(outbox, kSender, {Message{{"bob@example.org"}, {}, {}, "s", "x\r\n"}}));
    Collector c;
    DWORD start = GetTickCount();
    EXPECT_EQ(Deliver(c, "127.0.2.9"), 0);
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_EQ(c.posts, (Posts{{ZENK_SMTP_ERR_CONNECT, 0}, {ZENK_SMTP_DONE, 0}}));
}

TEST_F(SmtpTest, StartFailuresArePostedThenZero) {
    Collector c;
    // No outbox file.
    EXPECT_EQ(Deliver(c, "127.0.2.1"), ZENK_FAILED);
    EXPECT_EQ(c.posts, (Posts{{ZENK_SMTP_ERR_OUTBOX, 0}, {ZENK_SMTP_DONE, 0}}));
    // An outbox without any message.
    void* h = nullptr;
    ASSERT_EQ(ZENKMimePrepStart(outbox.c_str(), kSender, &h), 0);
    ZENKMimePrepFinish(h);
    c.posts.clear();
    EXPECT_EQ(Deliver(c, "127.0.2.1"), ZENK_FAILED);
    EXPECT_EQ(c.posts, (Posts{{ZENK_SMTP_ERR_COUNT, 0}, {ZENK_SMTP_DONE, 0}}));
    // A server name of 48 characters is not taken.
    ASSERT_TRUE(Compose(outbox, kSender, {Message{{"bob@example.org"}, {}, {}, "s", "x\r\n"}}));
    c.posts.clear();
    EXPECT_EQ(Deliver(c, std::string(48, 'a').c_str()), ZENK_FAILED);
    EXPECT_EQ(c.posts, (Posts{{ZENK_SMTP_ERR_NO_SERVER, 0}, {ZENK_SMTP_DONE, 0}}));
    // A path longer than 255 characters is not cut to another name.
    void* session = nullptr;
    std::string longPath = outbox + std::string(260, 'p');
    ASSERT_EQ(ZENKSMTPStartWindow(c.window, kNotify, longPath.c_str(), &session), 0);
    c.posts.clear();
    EXPECT_EQ(ZENKSMTPSendMail(session, "127.0.2.1"), ZENK_FAILED);
    EXPECT_TRUE(c.WaitForEnd());
    EXPECT_EQ(c.posts, (Posts{{ZENK_SMTP_ERR_OUTBOX, 0}, {ZENK_SMTP_DONE, 0}}));
    EXPECT_EQ(ZENKSMTPClose(session), 0);
}

}  // namespace
