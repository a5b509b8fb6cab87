// UDP endpoints through zenk32.dll's exports, on real loopback sockets.
#include <gtest/gtest.h>

#include <winsock.h>

#include <cstring>
#include <string>

#include "sockets_test_util.h"

using namespace socktest;

namespace {

constexpr UINT kServerMsg = WM_APP + 11;
constexpr UINT kClientMsg = WM_APP + 12;
constexpr UINT kOtherMsg = WM_APP + 13;

constexpr int kPortThread = 47331;
constexpr int kPortTwo = 47332;
constexpr int kPortLimits = 47333;
constexpr int kDiscardPort = 9;  // the "discard" service

class Udp : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ZENKInit();
        ASSERT_EQ(ZENKStartWinSock(0x0101), 1);
    }
    void TearDown() override {
        for (void* h : handles) EXPECT_EQ(ZENKCloseUDP(h), 0);
    }
    void* Track(void* h) {
        handles.push_back(h);
        return h;
    }
    Owner o;
    std::vector<void*> handles;
};

TEST_F(Udp, ThreadServerHearsTheDatagramLength) {
    void* server = nullptr;
    void* client = nullptr;
    ASSERT_EQ(ZENKCreateUDPServer2(kPortThread, Owner::Thread(), kServerMsg, &server), 0)
        << UdpError(server);
    Track(server);
    ASSERT_EQ(ZENKCreateUDPClient2(Owner::Thread(), kClientMsg, &client), 0);
    Track(client);
    ASSERT_EQ(ZENKUDPWriteToPort(client, "datagram", 8, kHost, kPortThread), 0);
    ASSERT_TRUE(o.PumpUntil([&] { return o.Has(kServerMsg, ZENK_UDP_RECEIVED); }));
    std::vector<Note> got = o.For(kServerMsg);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].count, 8);
    EXPECT_TRUE(got[0].toThread);
    ASSERT_TRUE(o.PumpUntil([&] { return o.Has(kClientMsg, ZENK_UDP_SENT); }));
    EXPECT_EQ(o.For(kClientMsg)[0].count, 8);
    char buf[64] = {};
    unsigned char from[ZENK_SOCKADDR_SIZE] = {};
    EXPECT_EQ(ZENKUDPRead(server, buf, sizeof buf, from), 0);
    EXPECT_STREQ(buf, "datagram");
    EXPECT_EQ(ZENKUDPRead(server, buf, sizeof buf, from), ZENK_FAILED);
    EXPECT_EQ(UdpError(server), ZENK_ERR_BAD_VALUE);
}

TEST_F(Udp, TwoSendersAreReadInArrivalOrderAndAReplyReachesTheSender) {
    void* server = nullptr;
    void* first = nullptr;
    void* second = nullptr;
    ASSERT_EQ(ZENKCreateUDPServer1(kPortTwo, o.Window(), kServerMsg, &server), 0);
    Track(server);
    ASSERT_EQ(ZENKCreateUDPClient1(o.Window(), kClientMsg, &first), 0);
    Track(first);
    ASSERT_EQ(ZENKCreateUDPClient1(o.Window(), kOtherMsg, &second), 0);
    Track(second);
    ASSERT_EQ(ZENKUDPWriteToPort(first, "from first", 10, kHost, kPortTwo), 0);
    ASSERT_TRUE(o.PumpUntil([&] { return o.Count(kServerMsg, ZENK_UDP_RECEIVED) == 1; }));
    ASSERT_EQ(ZENKUDPWriteToPort(second, "second!", 7, kHost, kPortTwo), 0);
    ASSERT_TRUE(o.PumpUntil([&] { return o.Count(kServerMsg, ZENK_UDP_RECEIVED) == 2; }));
    EXPECT_FALSE(o.For(kServerMsg)[0].toThread);
    EXPECT_EQ(o.For(kServerMsg)[0].count, 10);
    EXPECT_EQ(o.For(kServerMsg)[1].count, 7);

    char buf[64] = {};
    sockaddr_in fromFirst{}, fromSecond{};
    ASSERT_EQ(ZENKUDPRead(server, buf, sizeof buf, &fromFirst), 0);
    EXPECT_EQ(std::string(buf, 10), "from first");
    ASSERT_EQ(ZENKUDPRead(server, buf, sizeof buf, &fromSecond), 0);
    EXPECT_EQ(std::string(buf, 7), "second!");
    EXPECT_EQ(fromFirst.sin_family, AF_INET);
    EXPECT_EQ(fromSecond.sin_family, AF_INET);
    EXPECT_NE(fromFirst.sin_port, fromSecond.sin_port);

    // The reply goes to the second sender only.
    ASSERT_EQ(ZENKUDPReply(server, "answer", 6, &fromSecond), 0);
    ASSERT_TRUE(o.PumpUntil([&] { return o.Has(kOtherMsg, ZENK_UDP_RECEIVED); }));
    o.Settle(100);
    EXPECT_FALSE(o.Has(kClientMsg, ZENK_UDP_RECEIVED));
    sockaddr_in fromServer{};
    ASSERT_EQ(ZENKUDPRead(second, buf, sizeof buf, &fromServer), 0);
    EXPECT_EQ(std::string(buf, 6), "answer");
    EXPECT_EQ(ntohs(fromServer.sin_port), kPortTwo);
}

TEST_F(Udp, DatagramsAreBoundedByTheBuffer) {
    void* server = nullptr;
    void* client = nullptr;
    ASSERT_EQ(ZENKCreateUDPServer1(kPortLimits, o.Window(), kServerMsg, &server), 0);
    Track(server);
    ASSERT_EQ(ZENKCreateUDPClient1(o.Window(), kClientMsg, &client), 0);
    Track(client);
    std::string big;
    for (int i = 0; i < 3000; ++i) big += Pattern(i);

    // 2000 bytes with the default buffer: one datagram of 1024.
    ASSERT_EQ(ZENKUDPWriteToPort(client, big.data(), 2000, kHost, kPortLimits), 0);
    ASSERT_TRUE(o.PumpUntil([&] { return o.Has(kServerMsg, ZENK_UDP_RECEIVED); }));
    EXPECT_EQ(o.For(kClientMsg)[0].code, static_cast<WPARAM>(ZENK_UDP_SENT));
    EXPECT_EQ(o.For(kClientMsg)[0].count, 1024);
    EXPECT_EQ(o.For(kServerMsg)[0].count, 1024);
    std::string got(1024, '\0');
    ASSERT_EQ(ZENKUDPRead(server, &got[0], 1024, nullptr), 0);  // no address wanted
    EXPECT_EQ(got, big.substr(0, 1024));

    // A read takes one datagram; what does not fit the buffer is discarded.
    o.notes.clear();
    ASSERT_EQ(ZENKUDPWriteToPort(client, big.data(), 600, kHost, kPortLimits), 0);
    ASSERT_EQ(ZENKUDPWriteToPort(client, "", 0, kHost, kPortLimits), 0);  // an empty datagram
    ASSERT_EQ(ZENKUDPWriteToPort(client, "last", 4, kHost, kPortLimits), 0);
    ASSERT_TRUE(o.PumpUntil([&] { return o.Count(kServerMsg, ZENK_UDP_RECEIVED) == 3; }));
    EXPECT_EQ(o.For(kServerMsg)[1].count, 0);
    char small[100];
    ASSERT_EQ(ZENKUDPRead(server, small, sizeof small, nullptr), 0);
    EXPECT_EQ(std::string(small, 100), big.substr(0, 100));
    char marker = 'm';
    ASSERT_EQ(ZENKUDPRead(server, &marker, 1, nullptr), 0);  // the empty one copies nothing
    EXPECT_EQ(marker, 'm');
    ASSERT_EQ(ZENKUDPRead(server, small, sizeof small, nullptr), 0);
    EXPECT_EQ(std::string(small, 4), "last");

    // Larger than the receiver's buffer: 10040 and 15003, the datagram is lost.
    o.notes.clear();
    ASSERT_EQ(ZENKSetUDPBufferSize(client, 4096), 0);
    ASSERT_EQ(ZENKUDPWriteToPort(client, big.data(), 2000, kHost, kPortLimits), 0);
    ASSERT_TRUE(o.PumpUntil([&] { return o.Has(kServerMsg, ZENK_UDP_RECEIVE_ERROR); }));
    EXPECT_EQ(UdpError(server), WSAEMSGSIZE);
    EXPECT_FALSE(o.Has(kServerMsg, ZENK_UDP_RECEIVED));
    EXPECT_EQ(o.For(kClientMsg)[0].count, 2000);
    EXPECT_EQ(ZENKUDPRead(server, small, sizeof small, nullptr), ZENK_FAILED);
    // After growing, the same datagram fits.
    o.notes.clear();
    ASSERT_EQ(ZENKSetUDPBufferSize(server, 2048), 0);
    ASSERT_EQ(ZENKUDPWriteToPort(client, big.data(), 2000, kHost, kPortLimits), 0);
    ASSERT_TRUE(o.PumpUntil([&] { return o.Has(kServerMsg, ZENK_UDP_RECEIVED); }));
    EXPECT_EQ(o.For(kServerMsg)[0].count, 2000);
}

TEST_F(Udp, WriteToAServiceByName) {
    void* server = nullptr;
    void* client = nullptr;
    ASSERT_EQ(ZENKCreateUDPServer1(kDiscardPort, o.Window(), kServerMsg, &server), 0) << UdpError(server);
    Track(server);
    ASSERT_EQ(ZENKCreateUDPClient1(o.Window(), kClientMsg, &client), 0);
    Track(client);
    ASSERT_EQ(ZENKUDPWriteToService(client, "svc", 3, kHost, "discard"), 0) << UdpError(client);
    ASSERT_TRUE(o.PumpUntil([&] { return o.Has(kServerMsg, ZENK_UDP_RECEIVED); }));
    // Unknown service: -2, nothing queued, nothing sent.
    o.notes.clear();
    EXPECT_EQ(ZENKUDPWriteToService(client, "svc", 3, kHost, "no-such-service"), ZENK_FAILED);
    EXPECT_NE(UdpError(client), 0);
    EXPECT_EQ(ZENKUDPWriteToPort(client, "x", 1, "no-such-host.invalid", 9), ZENK_FAILED);
    EXPECT_GE(UdpError(client), 11001);
    o.Settle(200);
    EXPECT_TRUE(o.notes.empty());
}

TEST_F(Udp, EarlyFailuresAndBadArguments) {
    void* client = nullptr;
    ASSERT_EQ(ZENKCreateUDPClient1(o.Window(), kClientMsg, &client), 0);
    Track(client);
    // Null handles: -3 from WriteToPort alone, -4 from the rest.
    EXPECT_EQ(ZENKUDPWriteToPort(nullptr, "x", 1, kHost, 1), ZENK_UDP_NULL_HANDLE);
    EXPECT_EQ(ZENKUDPWriteToService(nullptr, "x", 1, kHost, "discard"), ZENK_BAD_HANDLE);
    EXPECT_EQ(ZENKUDPReply(nullptr, "x", 1, nullptr), ZENK_BAD_HANDLE);
    EXPECT_EQ(ZENKUDPRead(nullptr, nullptr, 0, nullptr), ZENK_BAD_HANDLE);
    EXPECT_EQ(ZENKSetUDPBufferSize(nullptr, 1), ZENK_BAD_HANDLE);
    EXPECT_EQ(ZENKCloseUDP(nullptr), ZENK_BAD_HANDLE);
    int code;
    char text[ZENK_ERRTEXT_SIZE];
    EXPECT_EQ(ZENKLastUDPWinSockError(nullptr, &code, text), ZENK_BAD_HANDLE);
    EXPECT_EQ(ZENKLastUDPWinSockError(client, nullptr, nullptr), ZENK_FAILED);

    // A reply from a client: 0, and the last error says -5.
    sockaddr_in to{};
    EXPECT_EQ(ZENKUDPReply(client, "x", 1, &to), 0);
    ASSERT_EQ(ZENKLastUDPWinSockError(client, &code, text), 0);
    EXPECT_EQ(code, ZENK_ERR_REPLY_NOT_SERVER);
    EXPECT_STREQ(text, "Not a WinSock error [Application Error]");

    EXPECT_EQ(ZENKUDPWriteToPort(client, nullptr, 5, kHost, 9), ZENK_FAILED);
    EXPECT_EQ(UdpError(client), ZENK_ERR_BAD_VALUE);
    EXPECT_EQ(ZENKUDPWriteToPort(client, "x", 1, nullptr, 9), ZENK_FAILED);
    EXPECT_EQ(ZENKUDPWriteToPort(client, "x", 1, kHost, 0), ZENK_FAILED);
    EXPECT_EQ(ZENKUDPWriteToPort(client, "x", 1, kHost, 65536), ZENK_FAILED);
    EXPECT_EQ(ZENKUDPWriteToService(client, "x", 1, kHost, nullptr), ZENK_FAILED);
    EXPECT_EQ(ZENKUDPRead(client, nullptr, 0, nullptr), ZENK_FAILED);  // nothing queued
    EXPECT_EQ(UdpError(client), ZENK_ERR_BAD_VALUE);
    void* none = reinterpret_cast<void*>(0x55);
    EXPECT_EQ(ZENKCreateUDPClient1(o.Window(), kClientMsg, nullptr), ZENK_FAILED);

    // Port 0 servers: 0, the handle, last error 3.
    for (int port : {0, -1, 70000}) {
        none = nullptr;
        EXPECT_EQ(ZENKCreateUDPServer1(port, o.Window(), kServerMsg, &none), 0);
        ASSERT_NE(none, nullptr);
        EXPECT_EQ(UdpError(none), ZENK_ERR_BAD_VALUE);
        Track(none);
    }
    o.Settle(100);
    EXPECT_TRUE(o.notes.empty());
}

// Last: destroys the library's event window behind its back.
TEST_F(Udp, ZEventWindowGoneGivesZeroWithLastErrorOne) {
    void* client = nullptr;
    ASSERT_EQ(ZENKCreateUDPClient1(o.Window(), kClientMsg, &client), 0);
    Track(client);
    HWND events = FindWindowA("ZENK_WINSOCK", nullptr);
    ASSERT_NE(events, nullptr);
    ASSERT_TRUE(DestroyWindow(events));
    EXPECT_EQ(ZENKUDPWriteToPort(client, "x", 1, kHost, 9), 0);
    EXPECT_EQ(UdpError(client), ZENK_ERR_API);
    void* late = nullptr;
    EXPECT_EQ(ZENKCreateUDPClient1(o.Window(), kClientMsg, &late), ZENK_FAILED);
    EXPECT_EQ(UdpError(late), ZENK_ERR_API);
    Track(late);
    void* stream = nullptr;
    EXPECT_EQ(ZENKCreateStreamClientWindow(o.Window(), kClientMsg, &stream), ZENK_FAILED);
    EXPECT_EQ(ZENKStreamWrite(stream, "x", 1), ZENK_FAILED);
    EXPECT_EQ(StreamError(stream), ZENK_ERR_API);
    EXPECT_EQ(ZENKCloseStream(stream), 0);
}

}  // namespace
