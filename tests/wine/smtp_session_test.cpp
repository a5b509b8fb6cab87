// SmtpSession white-box: the silence limit, shortened, against the
// scripted peer on 127.0.2.4 that accepts and never answers.
#include <gtest/gtest.h>

#include "core/win_library_state.h"
#include "mail/smtp_session.h"
#include "smtp_test_util.h"

using namespace smtptest;

namespace {

TEST(SmtpSessionLimits, SilentServerEndsTheRunWithStatus2) {
    zenk::OnProcessEntry(GetModuleHandleA(nullptr), DLL_PROCESS_ATTACH);
    ZENKInit();
    ASSERT_EQ(ZENKStartWinSock(0x0101), 1);
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string outbox = std::string(temp) + "zenk_smtp_silent_" + std::to_string(GetCurrentProcessId()) + ".txt";
    ASSERT_TRUE(Compose(outbox, "alice@example.org", {Message{{"bob@example.org"}, {}, {}, "s", "x\r\n"}}));

    Collector c;
    auto* session = new zenk::SmtpSession(zenk::OwnerNotify::ToWindow(c.window, kNotify), outbox.c_str());
    session->Engine().SetLimits(2, 2);
    DWORD start = GetTickCount();
    ASSERT_EQ(session->SendMail("127.0.2.4"), 0);
    EXPECT_TRUE(c.WaitForEnd(10000));
    DWORD took = GetTickCount() - start;
    EXPECT_EQ(c.posts, (Posts{{ZENK_SMTP_CONNECTED, 0}, {ZENK_SMTP_ERR_RECEIVE, 0}, {ZENK_SMTP_DONE, 0}}));
    EXPECT_GE(took, 1500u);
    EXPECT_LT(took, 6000u);
    // The connection was dropped: the peer saw it end without a byte.
    testutil::PumpUntil([] { return false; }, 200);
    EXPECT_EQ(LatestRecord("127.0.2.4"), "");
    delete session;
    ZENKEndWinSock();
    DeleteFileA(outbox.c_str());
}

}  // namespace
