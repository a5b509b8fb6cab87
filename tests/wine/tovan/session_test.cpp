// tovan32.dll against real FTP servers: login, re-login, gateway login,
// quit, cd, quote, options, several connections, servers that stop
// answering, the status box and ftp_lasterror.
#include <algorithm>
#include <thread>
#include <vector>

#include "ftp_fixture.h"

using namespace ftptest;

namespace {

std::string Quote(int h, const char* command, int* code = nullptr) {
    char reply[1024];
    int result = ftp_quote(h, command, reply, sizeof reply);
    if (code) *code = result;
    return reply;
}

TEST(Login, SucceedsAndQuitDropsTheHandle) {
    int h = ftp_login(kServer, "alice", "secret", "");
    ASSERT_GT(h, 0);
    EXPECT_EQ(LastMessage(), std::string("Logged in to ") + kServer + " as alice");
    EXPECT_EQ(ftp_quit(h), TOVAN_OK);
    EXPECT_EQ(LastMessage(), std::string("Disconnected from ") + kServer);
    EXPECT_EQ(ftp_cd(h, "sub"), TOVAN_ERR_HANDLE);
    EXPECT_EQ(LastMessage(), "No FTP connection has handle " + std::to_string(h));
    EXPECT_EQ(ftp_quit(h), TOVAN_ERR_HANDLE);
}

TEST(Login, HostWithPort) {
    int h = ftp_login((std::string(kServer) + ":21").c_str(), "alice", "secret", nullptr);
    ASSERT_GT(h, 0) << LastMessage();
    ftp_quit(h);
    EXPECT_EQ(ftp_login((std::string(kServer) + ":x1").c_str(), "alice", "secret", ""), TOVAN_ERR_ARGUMENT);
    EXPECT_NE(LastMessage().find("Bad host"), std::string::npos);
    EXPECT_EQ(ftp_login("", "", "", ""), TOVAN_ERR_ARGUMENT);
}

TEST(Login, FailuresSayWhy) {
    EXPECT_EQ(ftp_login(kServer, "alice", "wrong", ""), TOVAN_ERR_REFUSED);
    std::string m = LastMessage();
    EXPECT_EQ(m.rfind("Login failed: 530 ", 0), 0u) << m;

    EXPECT_EQ(ftp_login(kNobody, "alice", "secret", ""), TOVAN_ERR_CONNECT);
    m = LastMessage();
    EXPECT_EQ(m.rfind(std::string("Cannot connect to ") + kNobody + ":21: Connection refused", 0), 0u) << m;

    EXPECT_EQ(ftp_login("no-such-host.invalid", "alice", "secret", ""), TOVAN_ERR_CONNECT);
    EXPECT_EQ(LastMessage().rfind("Host no-such-host.invalid not found", 0), 0u);

    EXPECT_EQ(ftp_login(kServer, "alice\r\nDELE text.txt", "secret", ""), TOVAN_ERR_ARGUMENT);
    EXPECT_EQ(ftp_login(kServer, nullptr, "secret", ""), TOVAN_ERR_ARGUMENT);
    EXPECT_EQ(LastMessage(), "Missing argument: user");
}

TEST(Login, ReloginAndGatewayLogin) {
    int h = Login();
    EXPECT_EQ(ftp_relogin(h, "alice", "secret", ""), TOVAN_OK);
    EXPECT_EQ(LastMessage(), std::string("User alice logged in to ") + kServer);
    EXPECT_EQ(ftp_relogin(h, "alice", "bad", ""), TOVAN_ERR_REFUSED);
    EXPECT_EQ(LastMessage().rfind("Login failed: 530", 0), 0u);

    // The gateway sees "USER bob@target.example"; the server knows that user.
    EXPECT_EQ(ftp_gatelogin(h, "target.example", "bob", "gatepw", ""), TOVAN_OK) << LastMessage();
    EXPECT_EQ(LastMessage(), std::string("Logged in to target.example as bob through ") + kServer);
    EXPECT_EQ(ftp_gatelogin(h, "other.example", "bob", "gatepw", ""), TOVAN_ERR_REFUSED);
    EXPECT_EQ(ftp_gatelogin(h, "", "bob", "gatepw", ""), TOVAN_ERR_ARGUMENT);
    ftp_quit(h);
}

TEST(Commands, ChangeDirectoryAndQuote) {
    int h = Login();
    EXPECT_EQ(ftp_cd(h, "sub"), TOVAN_OK);
    EXPECT_EQ(LastMessage().rfind("Directory changed to sub: 250", 0), 0u);
    int code = 0;
    EXPECT_EQ(Quote(h, "PWD", &code).rfind("257 \"/sub\"", 0), 0u);
    EXPECT_EQ(code, 257);

    EXPECT_EQ(ftp_cd(h, "missing"), TOVAN_ERR_REFUSED);
    EXPECT_EQ(LastMessage().rfind("CWD missing failed: 550", 0), 0u);

    // A multi-line reply arrives whole, CR LF between its lines.
    std::string help = Quote(h, "HELP", &code);
    EXPECT_EQ(code, 214);
    EXPECT_EQ(help.rfind("214-", 0), 0u);
    EXPECT_NE(help.find("\r\n214 "), std::string::npos);

    // A short reply buffer gets a cut, terminated reply.
    char small[8];
    std::memset(small, 'x', sizeof small);
    EXPECT_EQ(ftp_quote(h, "NOOP", small, sizeof small), 200);
    EXPECT_STREQ(small, "200 I s");  // "200 I successfully done nothin'."
    EXPECT_EQ(ftp_quote(h, "NOOP\r\nDELE text.txt", small, sizeof small), TOVAN_ERR_ARGUMENT);
    EXPECT_STREQ(small, "");
    ftp_quit(h);
}

TEST(Commands, OptionsReportTheirState) {
    int h = Login();
    EXPECT_EQ(ftp_setascii(h), TOVAN_OK);
    EXPECT_EQ(LastMessage().rfind("Transfer type set to ASCII: 200", 0), 0u);
    EXPECT_EQ(ftp_setbinary(h), TOVAN_OK);
    EXPECT_EQ(LastMessage().rfind("Transfer type set to binary: 200", 0), 0u);
    EXPECT_EQ(ftp_localunique(h), TOVAN_OK);
    EXPECT_EQ(LastMessage().rfind("Local unique on", 0), 0u);
    EXPECT_EQ(ftp_localunique(h), TOVAN_OK);
    EXPECT_EQ(LastMessage().rfind("Local unique off", 0), 0u);
    EXPECT_EQ(ftp_storeunique(h), TOVAN_OK);
    EXPECT_EQ(LastMessage().rfind("Store unique on", 0), 0u);
    // Between calls, abort sends ABOR and reports the answer.
    EXPECT_EQ(ftp_abort(h), TOVAN_OK);
    EXPECT_EQ(LastMessage().rfind("ABOR: 225", 0), 0u);
    ftp_quit(h);
}

TEST(Connections, TwoAtOnceKeepTheirOwnState) {
    int a = Login();
    int b = Login();
    ASSERT_NE(a, b);
    EXPECT_EQ(ftp_cd(a, "sub"), TOVAN_OK);
    EXPECT_EQ(Quote(a, "PWD").rfind("257 \"/sub\"", 0), 0u);
    EXPECT_EQ(Quote(b, "PWD").rfind("257 \"/\"", 0), 0u);
    EXPECT_EQ(ftp_quit(a), TOVAN_OK);
    EXPECT_EQ(Quote(b, "NOOP").rfind("200", 0), 0u);
    EXPECT_EQ(ftp_quit(b), TOVAN_OK);
}

TEST(Connections, AtMostTheLimitAreOpen) {
    std::vector<int> handles;
    for (int i = 0; i < TOVAN_MAX_CONNECTIONS; ++i) {
        int h = ftp_login(kServer, "alice", "secret", "");
        ASSERT_GT(h, 0) << i << ": " << LastMessage();
        handles.push_back(h);
    }
    EXPECT_EQ(ftp_login(kServer, "alice", "secret", ""), TOVAN_ERR_LIMIT);
    EXPECT_EQ(LastMessage(), "Too many FTP connections (at most 64)");
    EXPECT_EQ(ftp_quit(handles.back()), TOVAN_OK);
    handles.pop_back();
    int again = Login();
    EXPECT_EQ(std::count(handles.begin(), handles.end(), again), 0);  // handles are not reused at once
    handles.push_back(again);
    for (int h : handles) EXPECT_EQ(ftp_quit(h), TOVAN_OK);
}

TEST(Connections, ThreadsTransferAtTheSameTime) {
    std::string dir = LocalDir();
    std::string expected = FileBytes(ServerHome() + "\\binary.bin");
    int results[2] = {1, 1};
    std::thread workers[2];
    for (int i = 0; i < 2; ++i) {
        workers[i] = std::thread([&, i] {
            int h = ftp_login(kServer, "alice", "secret", "");
            if (h <= 0) return;
            std::string local = dir + "\\thread" + std::to_string(i) + ".bin";
            for (int round = 0; round < 3; ++round) {
                results[i] = ftp_get(h, "binary.bin", local.c_str());
                if (results[i] != TOVAN_OK) break;
            }
            ftp_quit(h);
        });
    }
    for (auto& w : workers) w.join();
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(results[i], TOVAN_OK) << i;
        EXPECT_TRUE(FileBytes(dir + "\\thread" + std::to_string(i) + ".bin") == expected) << i;
    }
}

TEST(Timeouts, SilentServerFailsTheLoginInTime) {
    DWORD start = GetTickCount();
    EXPECT_EQ(ftp_login(kSilent, "alice", "secret", ""), TOVAN_ERR_NETWORK);
    DWORD took = GetTickCount() - start;
    EXPECT_EQ(LastMessage(), "No reply from the server within " + std::to_string(kTimeoutSeconds) + " s");
    EXPECT_GE(took, kTimeoutSeconds * 1000u - 100);
    EXPECT_LT(took, kTimeoutSeconds * 1000u + 2000);
}

TEST(Timeouts, ServerThatStopsAnsweringAfterLogin) {
    int h = ftp_login(kStall, "alice", "secret", "");
    ASSERT_GT(h, 0) << LastMessage();
    // The wait pumps messages; a quit request met there is kept for us.
    PostQuitMessage(7);
    DWORD start = GetTickCount();
    EXPECT_EQ(ftp_cd(h, "sub"), TOVAN_ERR_NETWORK);
    EXPECT_LT(GetTickCount() - start, kTimeoutSeconds * 1000u + 2000);
    MSG quit;
    ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 7u);
    EXPECT_EQ(LastMessage(), "No reply from the server within " + std::to_string(kTimeoutSeconds) + " s");
    // The connection is gone, the handle stays until quit.
    EXPECT_EQ(ftp_setbinary(h), TOVAN_ERR_NETWORK);
    EXPECT_NE(LastMessage().find("log in again"), std::string::npos);
    EXPECT_EQ(ftp_quit(h), TOVAN_ERR_NETWORK);
    EXPECT_EQ(ftp_quit(h), TOVAN_ERR_HANDLE);
}

TEST(Timeouts, AReplyMustArriveWholeInTime) {
    int h = ftp_login(kStall, "alice", "secret", "");
    ASSERT_GT(h, 0) << LastMessage();
    // A byte every 250 ms: always some progress, but the reply takes 8 s.
    DWORD start = GetTickCount();
    char reply[256];
    EXPECT_EQ(ftp_quote(h, "SYST", reply, sizeof reply), TOVAN_ERR_NETWORK) << reply;
    EXPECT_LT(GetTickCount() - start, kTimeoutSeconds * 1000u + 2000);
    EXPECT_EQ(LastMessage(), "No reply from the server within " + std::to_string(kTimeoutSeconds) + " s");
    ftp_quit(h);
}

// A message handler that keeps the thread longer than the timeout, as a
// modal dialog opened from a menu command would.
void CALLBACK HoldTheThread(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    Sleep(kTimeoutSeconds * 1000 + 500);
}

TEST(Timeouts, AReplyThatCameDuringALongHandlerIsNoTimeout) {
    int h = ftp_login(kStall, "alice", "secret", "");
    ASSERT_GT(h, 0) << LastMessage();
    // The NOOP reply comes after 300 ms, while the handler still holds on.
    ASSERT_NE(SetTimer(nullptr, 0, 100, HoldTheThread), 0u);
    char reply[256];
    EXPECT_EQ(ftp_quote(h, "NOOP", reply, sizeof reply), 200) << LastMessage();
    EXPECT_STREQ(reply, "200 Late NOOP.");
    ftp_quit(h);
}

TEST(Timeouts, DataThatStopsFlowingEndsTheTransfer) {
    int h = ftp_login(kStall, "alice", "secret", "");
    ASSERT_GT(h, 0) << LastMessage();
    std::string local = LocalDir() + "\\stalled.bin";
    DWORD start = GetTickCount();
    // One wait for the data, one for the server's closing reply.
    EXPECT_EQ(ftp_get(h, "big.bin", local.c_str()), TOVAN_ERR_NETWORK);
    EXPECT_LT(GetTickCount() - start, 2 * kTimeoutSeconds * 1000u + 2000);
    EXPECT_NE(LastMessage().find("within " + std::to_string(kTimeoutSeconds) + " s"), std::string::npos);
    EXPECT_FALSE(Exists(local));
    ftp_quit(h);
}

std::string StatusBoxText() {
    HWND box = FindWindowA("TOVAN_STATUSBOX", nullptr);
    HWND edit = box ? FindWindowExA(box, nullptr, "EDIT", nullptr) : nullptr;
    if (!edit) return "<no status box>";
    char text[32768] = {};
    GetWindowTextA(edit, text, sizeof text);
    return text;
}

TEST(StatusBox, ShowsTheExchangeWithoutPasswords) {
    int h = Login();
    EXPECT_EQ(FindWindowA("TOVAN_STATUSBOX", nullptr), nullptr);
    EXPECT_EQ(ftp_statusbox(h, 1), TOVAN_OK);
    HWND box = FindWindowA("TOVAN_STATUSBOX", nullptr);
    ASSERT_NE(box, nullptr);
    char title[100] = {};
    GetWindowTextA(box, title, sizeof title);
    EXPECT_EQ(std::string(title), std::string("FTP status - ") + kServer);
    EXPECT_TRUE(IsWindowVisible(box));

    // Opened after the login, the box still shows it.
    std::string text = StatusBoxText();
    EXPECT_EQ(text.rfind("< 220", 0), 0u) << text;
    EXPECT_NE(text.find("> USER alice\r\n< 331"), std::string::npos) << text;

    ftp_cd(h, "sub");
    ftp_relogin(h, "alice", "secret", "");
    text = StatusBoxText();
    EXPECT_NE(text.find("> CWD sub\r\n< 250"), std::string::npos) << text;
    EXPECT_NE(text.find("> PASS ****\r\n< 230"), std::string::npos) << text;
    EXPECT_EQ(text.find("secret"), std::string::npos) << text;

    EXPECT_EQ(ftp_statusbox(h, 0), TOVAN_OK);
    EXPECT_EQ(FindWindowA("TOVAN_STATUSBOX", nullptr), nullptr);
    ftp_statusbox(h, 1);
    ftp_quit(h);  // closes the box too
    EXPECT_EQ(FindWindowA("TOVAN_STATUSBOX", nullptr), nullptr);
}

TEST(LastError, CutsToTheBufferAndReportsTheLength) {
    ftp_cd(987654, "x");
    char buffer[10];
    EXPECT_EQ(ftp_lasterror(buffer, sizeof buffer), 9);
    EXPECT_STREQ(buffer, "No FTP co");
    EXPECT_EQ(ftp_lasterror(buffer, 0), 0);
    EXPECT_EQ(ftp_lasterror(nullptr, 100), 0);
    EXPECT_EQ(ftp_lasterror(buffer, 1), 0);
    EXPECT_STREQ(buffer, "");
}

}  // namespace
