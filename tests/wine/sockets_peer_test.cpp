// Stream clients against a Python peer (tests/peers/sockets_peers.py) that
// holds data back behind a tiny receive window, closes early, resets, or
// sends a burst: sends really block and really go out in pieces. The
// library's objects are linked in so that the real send can be counted
// (nothing is injected here).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/win_library_state.h"
#include "core/winsock_api.h"
#include "sockets/stream_endpoint.h"
#include "sockets_test_util.h"

using namespace socktest;

namespace {

constexpr UINT kClientMsg = WM_APP + 31;
constexpr int kHoldPort = 47401, kByePort = 47402, kBurstPort = 47403, kResetPort = 47404;
constexpr int kHoldChunk = 16384;  // bytes per write, larger than our send buffer
constexpr int kHoldChunks = 25;    // the peer expects 400 KB

// The real send, counted: how often it would block or hand over only part.
int g_wouldBlock = 0;
int g_partial = 0;
int PASCAL CountingSend(SOCKET s, const char* buf, int len, int flags) {
    int n = zenk::RealWinSockApi().send(s, buf, len, flags);
    if (n == SOCKET_ERROR && zenk::RealWinSockApi().WSAGetLastError() == WSAEWOULDBLOCK) {
        ++g_wouldBlock;
        zenk::RealWinSockApi().WSASetLastError(WSAEWOULDBLOCK);
    }
    if (n >= 0 && n < len) ++g_partial;
    return n;
}

const char* PeerHost() {
    const char* host = std::getenv("ZENK_SOCKETS_PEER");
    return host ? host : "127.0.1.2";
}

class Peer : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        zenk::OnProcessEntry(GetModuleHandleA(nullptr), DLL_PROCESS_ATTACH);
        zenk::Ws().send = CountingSend;
        ZENKInit();
        ASSERT_EQ(ZENKStartWinSock(0x0101), 1);
    }
    void TearDown() override {
        if (client) {
            EXPECT_EQ(ZENKCloseStream(client), 0);
        }
    }
    void ConnectTo(int port) {
        ASSERT_EQ(ZENKCreateStreamClientWindow(o.Window(), kClientMsg, &client), 0);
        ASSERT_EQ(ZENKStreamConnectToPort(client, PeerHost(), port), 0) << StreamError(client);
        ASSERT_TRUE(o.PumpUntil([&] { return o.Has(kClientMsg, ZENK_STREAM_CONNECTED); }))
            << "no connection to the peer on port " << port << ": " << StreamError(client);
    }
    // Reads every announced non-empty chunk not read yet.
    std::string ReadAnnounced() {
        std::string all;
        std::vector<Note> notes = o.For(kClientMsg);
        for (; readUpTo < notes.size(); ++readUpTo) {
            const Note& n = notes[readUpTo];
            if (n.code != ZENK_STREAM_RECEIVED || n.count == 0) continue;
            EXPECT_LE(n.count, 1024);  // never more than the staging buffer
            char buf[1024];
            EXPECT_EQ(ZENKStreamRead(client, buf, sizeof buf), 0);
            all.append(buf, static_cast<std::size_t>(n.count));
        }
        return all;
    }
    Owner o;
    void* client = nullptr;
    std::size_t readUpTo = 0;
};

TEST_F(Peer, HeldBackDataIsSentWholeInOrderThroughBlockedAndPartialSends) {
    ConnectTo(kHoldPort);
    // A small send buffer on our side too, so that the peer's held-back
    // window fills it after a few chunks.
    int sendBuffer = 4096;
    setsockopt(static_cast<zenk::StreamEndpoint*>(client)->Socket(), SOL_SOCKET, SO_SNDBUF,
               reinterpret_cast<const char*>(&sendBuffer), sizeof sendBuffer);
    ASSERT_EQ(ZENKSetStreamBufferSize(client, kHoldChunk), 0);
    std::size_t offset = 0;
    for (int i = 0; i < kHoldChunks; ++i) {
        std::string chunk(kHoldChunk, '\0');
        for (char& c : chunk) c = Pattern(offset++);
        ASSERT_EQ(ZENKStreamWrite(client, chunk.data(), kHoldChunk), 0);
    }
    std::string reply;
    ASSERT_TRUE(o.PumpUntil([&] {
        reply += ReadAnnounced();
        return reply.find("\r\n") != std::string::npos;
    }, 30000)) << "sent " << o.Count(kClientMsg, ZENK_STREAM_SENT);
    EXPECT_EQ(reply, "OK " + std::to_string(kHoldChunks * kHoldChunk) + "\r\n");
    // Exactly one 15006 per write, none failed; a partial send shows as a
    // final send shorter than the chunk.
    std::size_t partial = 0;
    for (const Note& n : o.For(kClientMsg)) {
        EXPECT_NE(n.code, static_cast<WPARAM>(ZENK_STREAM_SEND_ERROR));
        if (n.code == ZENK_STREAM_SENT) {
            EXPECT_GT(n.count, 0);
            partial += n.count < kHoldChunk;
        }
    }
    EXPECT_EQ(o.Count(kClientMsg, ZENK_STREAM_SENT), static_cast<std::size_t>(kHoldChunks));
    std::printf("sends: %d would block, %d partial; chunks finished by a partial send: %zu\n",
                g_wouldBlock, g_partial, partial);
    EXPECT_GT(g_wouldBlock, 0) << "the peer's window never filled";
    EXPECT_GT(g_partial, 0) << "no send went out in pieces";
    EXPECT_EQ(partial > 0, g_partial > 0);
    EXPECT_EQ(StreamError(client), 0);
}

TEST_F(Peer, APeerThatClosesAtOnce) {
    ConnectTo(kByePort);
    std::string got;
    ASSERT_TRUE(o.PumpUntil([&] {
        got += ReadAnnounced();
        return o.Has(kClientMsg, ZENK_STREAM_CLOSED) && got.size() >= 5;
    }));
    EXPECT_EQ(got, "bye\r\n");
    o.Settle(100);
    got += ReadAnnounced();
    // Nothing more to read, whether or not the empty end chunk came.
    char buf[16];
    EXPECT_EQ(ZENKStreamRead(client, buf, sizeof buf), ZENK_FAILED);
    EXPECT_EQ(ZENKStreamRead(client, buf, sizeof buf), ZENK_FAILED);
    EXPECT_EQ(StreamError(client), ZENK_ERR_BAD_VALUE);
}

TEST_F(Peer, ABurstArrivesInBufferSizedChunksInOrder) {
    ConnectTo(kBurstPort);
    std::string got;
    ASSERT_TRUE(o.PumpUntil([&] {
        got += ReadAnnounced();
        return got.size() >= 100000 && o.Has(kClientMsg, ZENK_STREAM_CLOSED);
    }, 15000)) << got.size();
    ASSERT_EQ(got.size(), 100000u);
    for (std::size_t i = 0; i < got.size(); ++i)
        ASSERT_EQ(got[i], Pattern(i)) << "at " << i;
    EXPECT_GE(o.Count(kClientMsg, ZENK_STREAM_RECEIVED), 100000u / 1024);
}

// A peer that resets an idle connection: the owner hears 15011 (a reset
// arrives as FD_CLOSE with an error word, which is not swallowed).
TEST_F(Peer, AResetOfAnIdleConnectionIsAnnounced) {
    ConnectTo(kResetPort);
    ASSERT_EQ(ZENKStreamWrite(client, "0123456789", 10), 0);  // the peer resets after 10 bytes
    ASSERT_TRUE(o.PumpUntil([&] { return o.Has(kClientMsg, ZENK_STREAM_CLOSED); }, 10000))
        << "last error " << StreamError(client);
    int code = StreamError(client);
    EXPECT_TRUE(code == 0 || code == WSAECONNRESET || code == WSAECONNABORTED) << code;
}

TEST_F(Peer, AResetPeerTurnsLaterWritesIntoSendErrors) {
    ConnectTo(kResetPort);
    std::string chunk(1024, 'r');
    int writes = 0;
    for (; writes < 20; ++writes) ASSERT_EQ(ZENKStreamWrite(client, chunk.data(), 1024), 0);
    // The reset arrives as an FD_CLOSE with an error word (recorded and
    // announced) or as a failed send.
    ASSERT_TRUE(o.PumpUntil([&] {
        return StreamError(client) != 0 || o.Has(kClientMsg, ZENK_STREAM_CLOSED) ||
               o.Has(kClientMsg, ZENK_STREAM_SEND_ERROR);
    }, 10000));
    ASSERT_TRUE(o.PumpUntil([&] {
        return o.Count(kClientMsg, ZENK_STREAM_SENT) + o.Count(kClientMsg, ZENK_STREAM_SEND_ERROR) ==
               static_cast<std::size_t>(writes);
    }));
    std::size_t failedBefore = o.Count(kClientMsg, ZENK_STREAM_SEND_ERROR);
    for (int i = 0; i < 5; ++i, ++writes) ZENKStreamWrite(client, chunk.data(), 1024);
    ASSERT_TRUE(o.PumpUntil([&] {
        return o.Count(kClientMsg, ZENK_STREAM_SENT) + o.Count(kClientMsg, ZENK_STREAM_SEND_ERROR) ==
               static_cast<std::size_t>(writes);
    }));
    EXPECT_EQ(o.Count(kClientMsg, ZENK_STREAM_SEND_ERROR), failedBefore + 5);
    int code = StreamError(client);
    EXPECT_TRUE(code == WSAECONNRESET || code == WSAECONNABORTED || code == WSAESHUTDOWN ||
                code == WSAENOTCONN) << code;
}

}  // namespace
