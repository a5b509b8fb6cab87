// The trace: what a user sees of commands (never a secret), categories,
// cut lines, and the lines an SMTP delivery leaves.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mail/smtp_engine.h"
#include "smtp_fake_link.h"
#include "trace/trace.h"

using namespace zenk;

namespace {

std::vector<std::string> gLines;
bool gOutputWorks = true;

bool Capture(const char* line, std::size_t length) {
    gLines.emplace_back(line, length);
    return gOutputWorks;
}

// Every test leaves the trace off, as the library starts.
class TraceTest : public ::testing::Test {
protected:
    void SetUp() override {
        gLines.clear();
        gOutputWorks = true;
    }
    void TearDown() override { trace::Configure(0, nullptr); }
};

TEST_F(TraceTest, CommandsShowNoSecret) {
    struct Case {
        const char* sent;
        const char* shown;
    } cases[] = {
        {"USER bob\r\n", "[pop3] C: USER bob"},
        {"PASS secret\r\n", "[pop3] C: PASS ****"},
        {"pass secret\r\n", "[pop3] C: pass ****"},
        {"PASS\r\n", "[pop3] C: PASS"},
        {"APOP bob 5f3a\r\n", "[pop3] C: APOP ****"},
        {"ACCT budget\r\n", "[pop3] C: ACCT ****"},
        {"AUTH PLAIN AGJvYgBzZWNyZXQ=\r\n", "[pop3] C: AUTH PLAIN ****"},
        {"AUTH LOGIN\r\n", "[pop3] C: AUTH LOGIN"},
        {"AUTH TLS\r\n", "[pop3] C: AUTH TLS"},
        {"c2VjcmV0\r\n", "[pop3] C: ****"},  // a SASL response sent alone
        {"secret\n", "[pop3] C: ****"},
        {"RETR 3\r\n", "[pop3] C: RETR 3"},
        {"MAIL FROM:<a@b>\r\n", "[pop3] C: MAIL FROM:<a@b>"},
        {"QUIT \r\n", "[pop3] C: QUIT "},
        {".\r\n", "[pop3] C: ."},
        {"USER b\x01\xe9\r\n", "[pop3] C: USER b??"},
        {"line one\r\nPASS secret\r\n.\r\n", "[pop3] C: <message text: 26 bytes, 3 lines>"},
        {"no line end", "[pop3] C: <message text: 11 bytes, 0 lines>"},
    };
    trace::Configure(trace::kPop3, Capture);
    for (const Case& c : cases) {
        gLines.clear();
        trace::Sent(trace::kPop3, c.sent, std::string(c.sent).size());
        ASSERT_EQ(gLines.size(), 1u) << c.sent;
        EXPECT_EQ(gLines[0], c.shown) << c.sent;
    }
}

TEST_F(TraceTest, CategoriesFromTheEnvironmentsSpelling) {
    struct Case {
        const char* spec;
        unsigned categories;
    } cases[] = {
        {"", 0},
        {"smtp", trace::kSmtp},
        {"smtp,pop3,stream", trace::kSmtp | trace::kPop3 | trace::kStream},
        {" POP3 ; Udp ", trace::kPop3 | trace::kUdp},
        {"ftp,,nonsense", trace::kFtp},
        {"smtpx,pop", 0},
        {"all", trace::kAll},
    };
    for (const Case& c : cases) EXPECT_EQ(trace::ParseCategories(c.spec), c.categories) << c.spec;
}

// Off, or for a category not asked for, nothing reaches the output; a long
// line is cut, printable, and says so; an output that fails turns it off.
TEST_F(TraceTest, OffSilentLongLinesCutFailingOutputStops) {
    trace::Received(trace::kSmtp, "220 hello");
    trace::Configure(trace::kPop3, Capture);
    trace::Received(trace::kSmtp, "220 hello");
    EXPECT_TRUE(gLines.empty());

    const std::string longLine = "+OK " + std::string(3000, 'x') + "\r\x7f";
    trace::Received(trace::kPop3, longLine);
    ASSERT_EQ(gLines.size(), 1u);
    EXPECT_EQ(gLines[0].size(), trace::kLineCapacity - 1);
    EXPECT_EQ(gLines[0].substr(0, 14), "[pop3] S: +OK ");
    EXPECT_EQ(gLines[0].substr(gLines[0].size() - 3), "...");

    gOutputWorks = false;
    trace::Received(trace::kPop3, "+OK one");
    EXPECT_FALSE(trace::On(trace::kPop3));
    trace::Received(trace::kPop3, "+OK two");
    EXPECT_EQ(gLines.size(), 2u);
}

// A whole delivery: every state change by name, in order, each from the
// state the previous one entered, and every reply line as received.
TEST_F(TraceTest, SmtpDeliveryTracesStatesAndReplies) {
    trace::Configure(trace::kSmtp, Capture);
    testutil::FakeSmtpLink link(
        "Letters : 001\r\nFROM:<alice@example.org>\r\nBEGIN MESSAGE HEADER\r\nTO:<bob@example.org>\r\n"
        "END MESSAGE HEADER\r\nBEGIN DATA\r\nSubject: hi\r\n\r\ntext\r\nEND DATA\r\n");
    SmtpEngine engine(link);
    testutil::ScriptedServer server(engine, link);
    ASSERT_EQ(engine.SendMail("mail.example.org"), 0);
    server.Greet("220 test ESMTP\r\n");
    ASSERT_TRUE(engine.Finished());

    std::vector<std::string> states, replies;
    for (const std::string& line : gLines) {
        if (line.rfind("[smtp] state ", 0) == 0) states.push_back(line.substr(13));
        else if (line.rfind("[smtp] S: ", 0) == 0) replies.push_back(line.substr(10));
        else ADD_FAILURE() << "unexpected line " << line;
    }
    EXPECT_EQ(states, (std::vector<std::string>{
                          "greeting -> helo-sent", "helo-sent -> helo-reply", "helo-reply -> mail-sent",
                          "mail-sent -> mail-reply", "mail-reply -> rcpt-sent", "rcpt-sent -> rcpt-reply",
                          "rcpt-reply -> data-sent", "data-sent -> data-reply", "data-reply -> chunk-sent",
                          "chunk-sent -> end-reply", "end-reply -> quit-sent", "quit-sent -> quit-reply"}));
    EXPECT_EQ(replies, (std::vector<std::string>{"220 test ESMTP", "250 hello", "250 ok", "250 ok",
                                                 "354 go ahead", "250 queued", "221 bye"}));
}

}  // namespace
