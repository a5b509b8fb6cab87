// Pop3Session white-box: the greeting and silence limits, shortened (the
// engine's own tests hold their defaults), against the scripted peers on
// 127.0.3.6, which never greets, and 127.0.3.15, which sends message 1
// whole and stops in the middle of message 2.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/win_library_state.h"
#include "inbox_test_files.h"
#include "mail/pop3_session.h"
#include "wine_test_util.h"
#include "zenk32.h"

namespace {

constexpr UINT kNotify = WM_APP + 9;
using Notes = std::vector<std::pair<int, long>>;

std::string Work(const std::string& leaf) {
    const char* linux = std::getenv("ZENK_POP3_WORK");
    std::string path = std::string("Z:") + (linux ? linux : "/tmp") + "/" + leaf;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

// Runs one transaction of a fresh session with shortened limits against a
// scripted peer, pumping until the final 0: the notifications and the time.
struct LimitedRun {
    Notes notes;
    DWORD took = 0;
};

LimitedRun RunWithLimits(const char* server, const std::string& inbox, int connectSeconds, int silenceSeconds) {
    zenk::OnProcessEntry(GetModuleHandleA(nullptr), DLL_PROCESS_ATTACH);
    ZENKInit();
    LimitedRun run;
    if (ZENKStartWinSock(0x0101) != 1) {
        ADD_FAILURE() << "WinSock cannot be started";
        return run;
    }
    MSG peek;
    PeekMessageA(&peek, nullptr, 0, 0, PM_NOREMOVE);
    auto* session = new zenk::Pop3Session(zenk::OwnerNotify::ToThread(GetCurrentThreadId(), kNotify), inbox.c_str());
    session->Engine().SetLimits(connectSeconds, silenceSeconds);
    const DWORD start = GetTickCount();
    EXPECT_EQ(session->Transaction(server, "bob", "secret", false, true), 0);
    bool ended = false;
    testutil::PumpUntil([&] { return ended; }, 15000, [&](const MSG& m) {
        if (m.hwnd == nullptr && m.message == kNotify) {
            run.notes.push_back({int(m.wParam), long(m.lParam)});
            ended = m.wParam == ZENK_POP3_DONE;
        }
    });
    run.took = GetTickCount() - start;
    delete session;
    ZENKEndWinSock();
    return run;
}

// A server that stops sending in the middle of a message: the run ends with
// 2 and 0 once the limit has passed, the cut message is not reported as
// stored, nothing more is deleted and no QUIT is sent, so the server
// commits none of the run's DELEs; the inbox keeps what had arrived.
TEST(Pop3SessionLimits, ServerSilentMidMessageEndsTheRunWithoutQuit) {
    const std::string inbox = Work("stall-inbox.txt");
    const LimitedRun run = RunWithLimits("127.0.3.15", inbox, 2, 2);
    EXPECT_EQ(run.notes, (Notes{{ZENK_POP3_CONNECTED, 0}, {ZENK_POP3_COUNT, 2}, {ZENK_POP3_STORED, 1}, {ZENK_POP3_ERR_RECEIVE, 0}, {ZENK_POP3_DONE, 0}}));
    EXPECT_GE(run.took, 1800u);
    EXPECT_LT(run.took, 8000u);
    const std::string one = "Subject: one\r\n\r\n..dotted\r\n" + std::string(1500, 'x') + "\r\nend one\r\n";
    EXPECT_EQ(inboxtest::ReadWholeFile(inbox),
              "Letters : 2\r\nBEGIN MESSAGE\r\n" + one + ".\r\nEND MESSAGE\r\nBEGIN MESSAGE\r\nSubject: ");
    const std::string record = "USER bob\r\nPASS secret\r\nSTAT\r\nRETR 1\r\nDELE 1\r\n#DELE 1 stored\r\nRETR 2\r\n#closed\r\n";
    testutil::PumpUntil([&] { return inboxtest::ReadWholeFile(Work("stall.record")) == record; }, 3000);
    EXPECT_EQ(inboxtest::ReadWholeFile(Work("stall.record")), record);
}

// A server that accepts the connection and never greets: status 4 and 0
// once the greeting limit has passed, no credential sent, nothing written
// to the inbox, and the connection closed.
TEST(Pop3SessionLimits, ServerThatNeverGreetsEndsTheRunAtTheGreetingLimit) {
    const std::string inbox = Work("silent-inbox.txt");
    // The runner's start-up probe may have left its own "#closed" line.
    std::string before = inboxtest::ReadWholeFile(Work("silent.record"));
    if (before == "<missing>") before.clear();
    const LimitedRun run = RunWithLimits("127.0.3.6", inbox, 2, 60);
    EXPECT_EQ(run.notes, (Notes{{ZENK_POP3_CONNECTED, 0}, {ZENK_POP3_ERR_CONNECT, 0}, {ZENK_POP3_DONE, 0}}));
    EXPECT_GE(run.took, 1800u);
    EXPECT_LT(run.took, 8000u);
    EXPECT_EQ(inboxtest::ReadWholeFile(inbox), "");
    const std::string after = before + "#closed\r\n";
    testutil::PumpUntil([&] { return inboxtest::ReadWholeFile(Work("silent.record")) == after; }, 3000);
    EXPECT_EQ(inboxtest::ReadWholeFile(Work("silent.record")), after);
}

}  // namespace
