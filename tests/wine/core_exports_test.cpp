// The library frame and WinSock session through zenk32.dll's exports.
//
// The initialised flag cannot be cleared once set, so the tests run in the
// order written (no shuffling): the "before ZENKInit" checks come first.
#include <gtest/gtest.h>

#include <cstring>
#include <regex>
#include <string>

#include "wine_test_util.h"
#include "zenk32.h"

namespace {

TEST(Frame, GatesBeforeInit) {
    EXPECT_EQ(ZENKVersion(), 256);
    EXPECT_EQ(ZENKStartWinSock(0x0101), 0);
    EXPECT_EQ(ZENKEndWinSock(), 0);
    char name[ZENK_HOSTNAME_SIZE], addrs[ZENK_ADDRLIST_SIZE], text[ZENK_ERRTEXT_SIZE];
    int code = 77;
    EXPECT_EQ(ZENKGetMyName(name, addrs), ZENK_NOT_READY);
    EXPECT_EQ(ZENKGetServerIP("127.0.0.1", addrs), ZENK_NOT_READY);
    EXPECT_EQ(ZENKLastWinSockError(&code, text), ZENK_NOT_READY);
    EXPECT_EQ(code, 77);
    EXPECT_EQ(FindWindowA("ZENK_WINSOCK", nullptr), nullptr);
}

TEST(Frame, GatesAfterInitBeforeSession) {
    EXPECT_NE(ZENKInit(), 0);
    EXPECT_NE(ZENKInit(), 0);  // any number of times
    EXPECT_EQ(ZENKVersion(), 256);
    char addrs[ZENK_ADDRLIST_SIZE];
    int code = 77;
    char text[ZENK_ERRTEXT_SIZE];
    EXPECT_EQ(ZENKGetServerIP("127.0.0.1", addrs), ZENK_NOT_READY);
    EXPECT_EQ(ZENKLastWinSockError(&code, text), ZENK_NOT_READY);
    EXPECT_EQ(ZENKEndWinSock(), 1);  // no session: still 1
}

TEST(Session, StartTwiceKeepsTheFirst) {
    ASSERT_EQ(ZENKStartWinSock(0x0101), 1);
    HWND first = FindWindowA("ZENK_WINSOCK", "WinSock Message");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetWindowThreadProcessId(first, nullptr), GetCurrentThreadId());
    EXPECT_FALSE(IsWindowVisible(first));
    EXPECT_EQ(ZENKStartWinSock(0x0202), 1);
    EXPECT_EQ(FindWindowA("ZENK_WINSOCK", "WinSock Message"), first);

    WORD version = 0, maxSockets = 0, maxDatagram = 0;
    char description[ZENK_WSDESC_SIZE] = {}, status[ZENK_WSSTATUS_SIZE] = {};
    char vendor[ZENK_WSVENDOR_SIZE] = {};
    EXPECT_EQ(ZENKGetWinSockInfo(&version, description, status, &maxSockets, &maxDatagram, vendor), 0);
    EXPECT_NE(version, 0);
    EXPECT_GT(std::strlen(description), 0u);
}

TEST(Session, EventWindowPassesOtherMessagesToTheDefaultProcedure) {
    HWND window = FindWindowA("ZENK_WINSOCK", nullptr);
    ASSERT_NE(window, nullptr);
    char title[64] = {};
    // WM_GETTEXT is answered by DefWindowProcA from the window's title.
    EXPECT_EQ(SendMessageA(window, WM_GETTEXT, sizeof title, reinterpret_cast<LPARAM>(title)), 15);
    EXPECT_STREQ(title, "WinSock Message");
    EXPECT_EQ(SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Renamed")), TRUE);
    EXPECT_EQ(GetWindowTextA(window, title, sizeof title), 7);
    SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("WinSock Message"));
    // A socket event for a socket no endpoint has is dropped and answers 0.
    EXPECT_EQ(SendMessageA(window, ZENK_SOCKET_EVENT, 4321, FD_READ), 0);
}

TEST(Session, MyNameAndAddressList) {
    char name[ZENK_HOSTNAME_SIZE];
    char addrs[ZENK_ADDRLIST_SIZE];
    std::memset(addrs, 'x', sizeof addrs);
    ASSERT_EQ(ZENKGetMyName(name, addrs), 0);
    EXPECT_GT(std::strlen(name), 0u);
    std::string list(addrs);
    EXPECT_TRUE(std::regex_match(list, std::regex(R"(\d+\.\d+\.\d+\.\d+(\+\d+\.\d+\.\d+\.\d+)*)")))
        << list;
    for (size_t i = list.size(); i < sizeof addrs; ++i) ASSERT_EQ(addrs[i], 0) << i;
}

TEST(Session, ServerIPOfDottedAddress) {
    char addrs[ZENK_ADDRLIST_SIZE];
    ASSERT_EQ(ZENKGetServerIP("127.0.0.1", addrs), 0);
    EXPECT_STREQ(addrs, "127.0.0.1");
}

TEST(Session, NullArgumentsFailWithoutPoisoningTheSession) {
    char addrs[ZENK_ADDRLIST_SIZE];
    char name[ZENK_HOSTNAME_SIZE];
    char text[ZENK_ERRTEXT_SIZE];
    int code = 0;
    EXPECT_EQ(ZENKGetServerIP(nullptr, addrs), ZENK_ERR_BAD_VALUE);
    EXPECT_EQ(ZENKGetServerIP("127.0.0.1", nullptr), ZENK_ERR_BAD_VALUE);
    EXPECT_EQ(ZENKGetMyName(nullptr, addrs), ZENK_ERR_BAD_VALUE);
    EXPECT_EQ(ZENKGetMyName(name, nullptr), ZENK_ERR_BAD_VALUE);
    EXPECT_EQ(ZENKGetWinSockInfo(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
              ZENK_ERR_BAD_VALUE);
    EXPECT_EQ(ZENKLastWinSockError(nullptr, text), ZENK_FAILED);
    EXPECT_EQ(ZENKLastWinSockError(&code, nullptr), ZENK_FAILED);
    EXPECT_EQ(ZENKGetServerIP("127.0.0.1", addrs), 0);  // still usable
    ASSERT_EQ(ZENKLastWinSockError(&code, text), 0);
    EXPECT_EQ(code, 0);
    EXPECT_STREQ(text, "No error at this time");
}

TEST(Session, FailedQueryIsSticky) {
    char addrs[ZENK_ADDRLIST_SIZE];
    int failure = ZENKGetServerIP("no-such-host.invalid", addrs);
    // Host not found, no address, or (with no name server reachable) try again.
    ASSERT_TRUE(failure == 11001 || failure == 11002 || failure == 11004) << failure;
    std::memset(addrs, 'q', sizeof addrs);
    EXPECT_EQ(ZENKGetServerIP("127.0.0.1", addrs), failure);
    EXPECT_EQ(addrs[0], 'q');  // nothing written
    char name[ZENK_HOSTNAME_SIZE] = "unchanged";
    EXPECT_EQ(ZENKGetMyName(name, addrs), failure);
    EXPECT_STREQ(name, "unchanged");
    int code = 0;
    char text[ZENK_ERRTEXT_SIZE];
    ASSERT_EQ(ZENKLastWinSockError(&code, text), 0);
    EXPECT_EQ(code, failure);
    EXPECT_EQ(std::string(text).rfind("WinSock error " + std::to_string(failure) + ": ", 0), 0u)
        << text;
}

TEST(Session, EndThenStartAgainGivesAFreshSession) {
    EXPECT_EQ(ZENKEndWinSock(), 1);
    EXPECT_EQ(FindWindowA("ZENK_WINSOCK", nullptr), nullptr);
    char addrs[ZENK_ADDRLIST_SIZE];
    EXPECT_EQ(ZENKGetServerIP("127.0.0.1", addrs), ZENK_NOT_READY);
    EXPECT_EQ(ZENKEndWinSock(), 1);
    ASSERT_EQ(ZENKStartWinSock(0x0101), 1);  // the class registration must not fail a restart
    EXPECT_NE(FindWindowA("ZENK_WINSOCK", "WinSock Message"), nullptr);
    EXPECT_EQ(ZENKGetServerIP("127.0.0.1", addrs), 0);
    EXPECT_STREQ(addrs, "127.0.0.1");
    EXPECT_EQ(ZENKEndWinSock(), 1);
}

TEST(ErrorTexts, AStartupFailureIsTheSessionsLastingError) {
    // WinSock refuses a request for major version 0; the session still
    // starts (its window can be made) and carries the start-up error.
    ASSERT_EQ(ZENKStartWinSock(0x0000), 1);
    char addrs[ZENK_ADDRLIST_SIZE];
    std::memset(addrs, 'q', sizeof addrs);
    EXPECT_EQ(ZENKGetServerIP("127.0.0.1", addrs), 10092);
    EXPECT_EQ(addrs[0], 'q');
    int code = 0;
    char text[ZENK_ERRTEXT_SIZE];
    ASSERT_EQ(ZENKLastWinSockError(&code, text), 0);
    EXPECT_EQ(code, 10092);
    EXPECT_STREQ(text, "WinSock error 10092: WinSock DLL version cannot support this application");
    EXPECT_EQ(ZENKEndWinSock(), 1);
}

TEST(ErrorTexts, EndpointErrorsRenderedByTheLastErrorCalls) {
    ASSERT_EQ(ZENKStartWinSock(0x0101), 1);
    // 10061: a connection to a port nobody listens on.
    void* client = nullptr;
    ASSERT_EQ(ZENKCreateStreamClientThread(GetCurrentThreadId(), WM_APP + 3, &client), 0);
    ASSERT_EQ(ZENKStreamConnectToPort(client, "127.0.0.1", 1), 0);
    int code = 0;
    char text[ZENK_ERRTEXT_SIZE];
    EXPECT_TRUE(testutil::PumpUntil([&] {
        ZENKLastStreamWinSockError(client, &code, text);
        return code == 10061;
    }));
    EXPECT_STREQ(text, "WinSock error 10061: Connection refused");
    // 3: a read with nothing queued.
    char buffer[16];
    EXPECT_EQ(ZENKStreamRead(client, buffer, sizeof buffer), ZENK_FAILED);
    ASSERT_EQ(ZENKLastStreamWinSockError(client, &code, text), 0);
    EXPECT_EQ(code, 3);
    EXPECT_STREQ(text, "Programmer passed illegal/bad value");
    EXPECT_EQ(ZENKCloseStream(client), 0);
    // -5: a reply asked of a UDP client.
    void* udp = nullptr;
    ASSERT_EQ(ZENKCreateUDPClient2(GetCurrentThreadId(), WM_APP + 4, &udp), 0);
    unsigned char to[ZENK_SOCKADDR_SIZE] = {};
    ZENKUDPReply(udp, "x", 1, to);
    ASSERT_EQ(ZENKLastUDPWinSockError(udp, &code, text), 0);
    EXPECT_EQ(code, -5);
    EXPECT_STREQ(text, "Not a WinSock error [Application Error]");
    EXPECT_EQ(ZENKCloseUDP(udp), 0);
    EXPECT_EQ(ZENKEndWinSock(), 1);
}

}  // namespace
