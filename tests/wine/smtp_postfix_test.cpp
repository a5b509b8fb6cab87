// The SMTP client against a strict Postfix (127.0.2.20, started by
// tests/peers/smtp_postfix_runner.py), which refuses any bare line break:
// an outbox whose text holds bytes that become CR or LF once bit 7 is
// cleared is accepted as one message. The runner then checks that Postfix
// holds exactly that message, line for line.
#include <gtest/gtest.h>

#include "scratch_folder.h"
#include "smtp_test_util.h"

using namespace smtptest;

namespace {

TEST(SmtpPostfix, LineBreakBytesAreAcceptedAsOneMessage) {
    testutil::ScratchFolder scratch{"zenk_postfix_"};
    ASSERT_TRUE(scratch.entered);
    std::string outbox = scratch.path + "\\outbox.txt";
    WriteAll(outbox, kLineBreakOutbox);
    ZENKInit();
    ASSERT_EQ(ZENKStartWinSock(0x0101), 1);
    Collector c;
    void* session = nullptr;
    ASSERT_EQ(ZENKSMTPStartWindow(c.window, kNotify, outbox.c_str(), &session), 0);
    EXPECT_EQ(ZENKSMTPSendMail(session, "127.0.2.20"), 0);
    EXPECT_TRUE(c.WaitForEnd());
    EXPECT_EQ(ZENKSMTPClose(session), 0);
    EXPECT_EQ(WithoutTrailingClose(c.posts), (Posts{{ZENK_SMTP_CONNECTED, 0}, {ZENK_SMTP_SENT, 1}, {ZENK_SMTP_QUIT_DONE, 0}, {ZENK_SMTP_DONE, 0}}));
    ZENKEndWinSock();
}

}  // namespace
