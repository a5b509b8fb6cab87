// Stream endpoints through zenk32.dll's exports, on real loopback sockets:
// a library server and a library client talking to each other.
//
// The gate checks come first (the initialised flag cannot be cleared), so
// the tests run in the order written.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "sockets_test_util.h"

using namespace socktest;

namespace {

constexpr UINT kServerMsg = WM_APP + 1;
constexpr UINT kCommMsg = WM_APP + 2;
constexpr UINT kClientMsg = WM_APP + 3;

// Ports of this program's servers (bound on every local address).
constexpr int kPortTalk = 47311;
constexpr int kPortThread = 47312;
constexpr int kPortOrder = 47313;
constexpr int kPortMany = 47314;
constexpr int kPortLimits = 47315;
constexpr int kPortClose = 47316;
constexpr int kPortRefused = 47319;  // nothing listens here
constexpr int kDiscardPort = 9;      // the "discard" service

TEST(StreamGates, BeforeInitAndWithoutSession) {
    void* out = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(ZENKCreateStreamClientWindow(nullptr, kClientMsg, &out), ZENK_NOT_READY);
    EXPECT_EQ(ZENKCloseStream(nullptr), ZENK_NOT_READY);
    EXPECT_EQ(ZENKStreamRead(nullptr, nullptr, 0), ZENK_NOT_READY);
    ZENKInit();
    EXPECT_EQ(ZENKCreateStreamClientWindow(nullptr, kClientMsg, &out), ZENK_NOT_READY);
    EXPECT_EQ(ZENKCreateStreamServerThread(kPortTalk, 0, kServerMsg, &out), ZENK_NOT_READY);
    EXPECT_EQ(out, reinterpret_cast<void*>(0x1234));  // untouched
    EXPECT_EQ(ZENKStreamWrite(nullptr, "x", 1), ZENK_NOT_READY);
    ASSERT_EQ(ZENKStartWinSock(0x0101), 1);
    // Null handles: -4 everywhere, both handles tested by accept.
    char buf[8];
    int code;
    EXPECT_EQ(ZENKStreamRead(nullptr, buf, sizeof buf), ZENK_BAD_HANDLE);
    EXPECT_EQ(ZENKStreamWrite(nullptr, "x", 1), ZENK_BAD_HANDLE);
    EXPECT_EQ(ZENKStreamConnectToPort(nullptr, kHost, 1), ZENK_BAD_HANDLE);
    EXPECT_EQ(ZENKStreamConnectToService(nullptr, kHost, "discard"), ZENK_BAD_HANDLE);
    EXPECT_EQ(ZENKSetStreamBufferSize(nullptr, 10), ZENK_BAD_HANDLE);
    EXPECT_EQ(ZENKLastStreamWinSockError(nullptr, &code, buf), ZENK_BAD_HANDLE);
    EXPECT_EQ(ZENKCloseStream(nullptr), ZENK_BAD_HANDLE);
    void* comm = nullptr;
    ASSERT_EQ(ZENKCreateStreamCommWindow(nullptr, kCommMsg, &comm), 0);
    EXPECT_EQ(ZENKStreamAccept(nullptr, comm), ZENK_BAD_HANDLE);
    EXPECT_EQ(ZENKStreamAccept(comm, nullptr), ZENK_BAD_HANDLE);
    // A null out-parameter is never written: nothing is created.
    EXPECT_EQ(ZENKCreateStreamClientWindow(nullptr, kClientMsg, nullptr), ZENK_FAILED);
    EXPECT_EQ(ZENKCloseStream(comm), 0);
}

// A server, a client connected to it and the accepted connection.
struct Connection {
    void* server = nullptr;
    void* comm = nullptr;
    void* client = nullptr;
    void CloseAll() {
        for (void* h : {client, comm, server}) {
            if (h) {
                EXPECT_EQ(ZENKCloseStream(h), 0);
            }
        }
        server = comm = client = nullptr;
    }
};

// Connects a client to a server on port, window or thread variants; the
// owner's notes start empty afterwards.
void Establish(Owner& o, int port, bool threads, Connection* c) {
    if (threads) {
        ASSERT_EQ(ZENKCreateStreamServerThread(port, Owner::Thread(), kServerMsg, &c->server), 0)
            << StreamError(c->server);
        ASSERT_EQ(ZENKCreateStreamClientThread(Owner::Thread(), kClientMsg, &c->client), 0);
    } else {
        ASSERT_EQ(ZENKCreateStreamServerWindow(port, o.Window(), kServerMsg, &c->server), 0)
            << StreamError(c->server);
        ASSERT_EQ(ZENKCreateStreamClientWindow(o.Window(), kClientMsg, &c->client), 0);
    }
    ASSERT_EQ(ZENKStreamConnectToPort(c->client, kHost, port), 0) << StreamError(c->client);
    ASSERT_TRUE(o.PumpUntil([&] { return o.Has(kServerMsg, ZENK_STREAM_ACCEPT_READY); }));
    if (threads) {
        ASSERT_EQ(ZENKCreateStreamCommThread(Owner::Thread(), kCommMsg, &c->comm), 0);
    } else {
        ASSERT_EQ(ZENKCreateStreamCommWindow(o.Window(), kCommMsg, &c->comm), 0);
    }
    ASSERT_EQ(ZENKStreamAccept(c->server, c->comm), 0) << StreamError(c->server);
    ASSERT_TRUE(o.PumpUntil([&] {
        return o.Has(kClientMsg, ZENK_STREAM_CONNECTED) && o.Has(kCommMsg, ZENK_STREAM_CONNECTED);
    }));
    for (const Note& n : o.notes) EXPECT_EQ(n.toThread, threads) << n.code;
    o.notes.clear();
}

// Reads every announced chunk of `message` into one string (buffer large
// enough for any chunk), checking that each read takes exactly one chunk.
std::string Drain(Owner& o, void* handle, UINT message, std::size_t* chunks = nullptr) {
    std::string all;
    std::size_t k = 0;
    for (const Note& n : o.For(message)) {
        if (n.code != ZENK_STREAM_RECEIVED || n.count == 0) continue;
        std::vector<char> buf(static_cast<std::size_t>(n.count) + 16, '\0');
        EXPECT_EQ(ZENKStreamRead(handle, buf.data(), static_cast<unsigned>(buf.size())), 0);
        all.append(buf.data(), static_cast<std::size_t>(n.count));
        ++k;
    }
    if (chunks) *chunks = k;
    return all;
}

TEST(Stream, ServerAndClientTalkWithWindowOwners) {
    Owner o;
    Connection c;
    Establish(o, kPortTalk, false, &c);

    ASSERT_EQ(ZENKStreamWrite(c.client, "hello", 5), 0);
    ASSERT_TRUE(o.PumpUntil([&] { return o.Has(kCommMsg, ZENK_STREAM_RECEIVED); }));
    ASSERT_EQ(o.Count(kClientMsg, ZENK_STREAM_SENT), 1u);
    EXPECT_EQ(o.For(kClientMsg)[0].count, 5);
    ASSERT_EQ(o.For(kCommMsg)[0].count, 5);
    char buf[1024] = {};
    EXPECT_EQ(ZENKStreamRead(c.comm, buf, sizeof buf), 0);
    EXPECT_EQ(std::string(buf, 5), "hello");
    // One read takes one chunk: the queue is empty now.
    EXPECT_EQ(ZENKStreamRead(c.comm, buf, sizeof buf), ZENK_FAILED);
    EXPECT_EQ(StreamError(c.comm), ZENK_ERR_BAD_VALUE);

    // A write returns the last error even when it queued its chunk.
    // A comm endpoint serves one accept.
    EXPECT_EQ(ZENKStreamAccept(c.server, c.comm), ZENK_FAILED);
    EXPECT_EQ(StreamError(c.server), ZENK_ERR_BAD_VALUE);
    EXPECT_EQ(ZENKStreamAccept(c.server, c.server), ZENK_FAILED);

    o.notes.clear();
    ASSERT_EQ(ZENKStreamWrite(c.comm, "welcome back", 12), ZENK_ERR_BAD_VALUE);
    ASSERT_TRUE(o.PumpUntil([&] { return o.Has(kClientMsg, ZENK_STREAM_RECEIVED); }));
    EXPECT_EQ(Drain(o, c.client, kClientMsg), "welcome back");
    EXPECT_EQ(o.Count(kCommMsg, ZENK_STREAM_SENT), 1u);

    // The client closes: the accepted side hears 15011, and once the empty
    // end-of-stream chunk is queued every read fails with 3, again and again.
    o.notes.clear();
    EXPECT_EQ(ZENKCloseStream(c.client), 0);
    c.client = nullptr;
    ASSERT_TRUE(o.PumpUntil([&] { return o.Has(kCommMsg, ZENK_STREAM_CLOSED); }));
    o.Settle(100);
    for (const Note& n : o.For(kCommMsg))
        if (n.code == ZENK_STREAM_RECEIVED) {
            EXPECT_EQ(n.count, 0);
        }
    if (o.Has(kCommMsg, ZENK_STREAM_RECEIVED)) {
        EXPECT_EQ(ZENKStreamRead(c.comm, buf, sizeof buf), ZENK_FAILED);
        EXPECT_EQ(ZENKStreamRead(c.comm, buf, sizeof buf), ZENK_FAILED);
        EXPECT_EQ(StreamError(c.comm), ZENK_ERR_BAD_VALUE);
    }
    c.CloseAll();
}

TEST(Stream, ThreadOwnersGetThreadMessages) {
    Owner o;
    Connection c;
    Establish(o, kPortThread, true, &c);  // checks every note came as a thread message
    ASSERT_EQ(ZENKStreamWrite(c.comm, "ping", 4), 0);
    ASSERT_TRUE(o.PumpUntil([&] { return o.Has(kClientMsg, ZENK_STREAM_RECEIVED); }));
    EXPECT_EQ(Drain(o, c.client, kClientMsg), "ping");
    for (const Note& n : o.notes) EXPECT_TRUE(n.toThread);
    c.CloseAll();
}

TEST(Stream, ThousandsOfWritesArriveWholeInOrderWithOneSentEach) {
    Owner o;
    Connection c;
    Establish(o, kPortOrder, false, &c);
    constexpr int kWrites = 3000;
    std::string expected;
    std::vector<unsigned> lengths;
    for (int i = 0; i < kWrites; ++i) {
        unsigned length = 1 + static_cast<unsigned>(i * 37) % 1024;
        std::string chunk;
        for (unsigned k = 0; k < length; ++k) chunk += Pattern(expected.size() + k);
        ASSERT_EQ(ZENKStreamWrite(c.client, chunk.data(), length), 0);
        expected += chunk;
        lengths.push_back(length);
    }
    std::string got;
    ASSERT_TRUE(o.PumpUntil([&] {
        got += Drain(o, c.comm, kCommMsg);
        // keep only notes not yet drained
        std::vector<Note> keep;
        for (const Note& n : o.notes)
            if (n.message != kCommMsg) keep.push_back(n);
        o.notes.swap(keep);
        return got.size() >= expected.size();
    }, 30000)) << got.size() << " of " << expected.size();
    EXPECT_TRUE(got == expected) << "stream differs";
    std::vector<Note> sent = o.For(kClientMsg);
    ASSERT_EQ(sent.size(), static_cast<std::size_t>(kWrites));
    for (int i = 0; i < kWrites; ++i) {
        ASSERT_EQ(sent[i].code, static_cast<WPARAM>(ZENK_STREAM_SENT)) << i;
        EXPECT_GT(sent[i].count, 0) << i;
        EXPECT_LE(sent[i].count, static_cast<LPARAM>(lengths[i])) << i;
    }
    c.CloseAll();
}

TEST(Stream, ManySimultaneousConnectionsOnOneServer) {
    Owner o;
    constexpr int kClients = 8;
    void* server = nullptr;
    ASSERT_EQ(ZENKCreateStreamServerWindow(kPortMany, o.Window(), kServerMsg, &server), 0);
    void* clients[kClients] = {};
    for (int i = 0; i < kClients; ++i) {
        ASSERT_EQ(ZENKCreateStreamClientWindow(o.Window(), kClientMsg + 10 + i, &clients[i]), 0);
        ASSERT_EQ(ZENKStreamConnectToPort(clients[i], kHost, kPortMany), 0);
    }
    // Each client greets once connected; the server accepts on every 15010.
    bool greeted[kClients] = {};
    auto greetConnected = [&] {
        for (int i = 0; i < kClients; ++i) {
            if (greeted[i] || !o.Has(kClientMsg + 10 + i, ZENK_STREAM_CONNECTED)) continue;
            std::string hello = "client " + std::to_string(i);
            EXPECT_EQ(ZENKStreamWrite(clients[i], hello.data(), static_cast<unsigned>(hello.size())), 0);
            greeted[i] = true;
        }
    };
    // Accept on every 15010 until every client is in.
    std::vector<void*> comms;
    std::size_t seenReady = 0;
    ASSERT_TRUE(o.PumpUntil([&] {
        greetConnected();
        std::size_t ready = o.Count(kServerMsg, ZENK_STREAM_ACCEPT_READY);
        for (; seenReady < ready; ++seenReady) {
            void* comm = nullptr;
            UINT msg = kCommMsg + 100 + static_cast<UINT>(comms.size());
            if (ZENKCreateStreamCommWindow(o.Window(), msg, &comm) != 0) return true;
            if (ZENKStreamAccept(server, comm) == 0) comms.push_back(comm);
            else ZENKCloseStream(comm);  // nothing waiting after all (10035)
        }
        return comms.size() == kClients;
    }, 15000));
    ASSERT_EQ(comms.size(), static_cast<std::size_t>(kClients));
    std::vector<std::string> greetings;
    ASSERT_TRUE(o.PumpUntil([&] {
        greetConnected();
        for (std::size_t i = 0; i < comms.size(); ++i)
            if (!o.Has(kCommMsg + 100 + static_cast<UINT>(i), ZENK_STREAM_RECEIVED)) return false;
        return true;
    }));
    for (std::size_t i = 0; i < comms.size(); ++i)
        greetings.push_back(Drain(o, comms[i], kCommMsg + 100 + static_cast<UINT>(i)));
    std::sort(greetings.begin(), greetings.end());
    for (int i = 0; i < kClients; ++i) EXPECT_EQ(greetings[i], "client " + std::to_string(i));
    for (void* h : comms) EXPECT_EQ(ZENKCloseStream(h), 0);
    for (void* h : clients) EXPECT_EQ(ZENKCloseStream(h), 0);
    EXPECT_EQ(ZENKCloseStream(server), 0);
}

TEST(Stream, WritesAreCutToTheBufferWhichOnlyGrows) {
    Owner o;
    Connection c;
    Establish(o, kPortLimits, false, &c);
    std::string big;
    for (int i = 0; i < 5000; ++i) big += Pattern(i);

    ASSERT_EQ(ZENKStreamWrite(c.client, big.data(), 3000), 0);
    ASSERT_TRUE(o.PumpUntil([&] { return o.Has(kClientMsg, ZENK_STREAM_SENT); }));
    o.Settle(200);
    EXPECT_EQ(Drain(o, c.comm, kCommMsg), big.substr(0, 1024));

    o.notes.clear();
    EXPECT_EQ(ZENKSetStreamBufferSize(c.client, 512), 0);  // never shrinks
    ASSERT_EQ(ZENKStreamWrite(c.client, big.data(), 3000), 0);
    ASSERT_TRUE(o.PumpUntil([&] { return o.Has(kClientMsg, ZENK_STREAM_SENT); }));
    o.Settle(200);
    EXPECT_EQ(Drain(o, c.comm, kCommMsg), big.substr(0, 1024));

    o.notes.clear();
    EXPECT_EQ(ZENKSetStreamBufferSize(c.client, 4096), 0);
    EXPECT_EQ(ZENKSetStreamBufferSize(c.comm, 4096), 0);
    ASSERT_EQ(ZENKStreamWrite(c.client, big.data(), 3000), 0);
    ASSERT_TRUE(o.PumpUntil([&] { return o.Has(kClientMsg, ZENK_STREAM_SENT); }));
    o.Settle(200);
    EXPECT_EQ(Drain(o, c.comm, kCommMsg), big.substr(0, 3000));

    // A length far beyond the data is cut to the buffer, never read past it.
    o.notes.clear();
    ASSERT_EQ(ZENKStreamWrite(c.client, big.data(), 0xFFFFFFFFu), 0);
    ASSERT_TRUE(o.PumpUntil([&] { return o.Has(kClientMsg, ZENK_STREAM_SENT); }));
    o.Settle(200);
    EXPECT_EQ(Drain(o, c.comm, kCommMsg), big.substr(0, 4096));
    // A buffer too large for any receive is refused; the old one stays.
    EXPECT_EQ(ZENKSetStreamBufferSize(c.client, 0xFFFFFFFFu), ZENK_FAILED);
    EXPECT_EQ(ZENKStreamWrite(c.client, "ok", 2), 0);
    c.CloseAll();
}

TEST(Stream, BadArgumentsAreRefusedSafely) {
    Owner o;
    Connection c;
    Establish(o, kPortLimits + 10, false, &c);
    char buf[64];
    int code = 0;
    EXPECT_EQ(ZENKStreamWrite(c.client, nullptr, 10), ZENK_FAILED);
    EXPECT_EQ(StreamError(c.client), ZENK_ERR_BAD_VALUE);
    // A zero-length write is a chunk like any other: one 15006, with 0.
    EXPECT_EQ(ZENKStreamWrite(c.client, nullptr, 0), ZENK_ERR_BAD_VALUE);  // last error still 3
    ASSERT_TRUE(o.PumpUntil([&] { return o.Has(kClientMsg, ZENK_STREAM_SENT); }));
    EXPECT_EQ(o.For(kClientMsg)[0].count, 0);

    o.notes.clear();
    ASSERT_EQ(ZENKStreamWrite(c.comm, "abcdef", 6), 0);
    ASSERT_TRUE(o.PumpUntil([&] { return o.Has(kClientMsg, ZENK_STREAM_RECEIVED); }));
    // A null buffer with a length takes nothing; the chunk stays for a real read.
    EXPECT_EQ(ZENKStreamRead(c.client, nullptr, 6), ZENK_FAILED);
    EXPECT_EQ(StreamError(c.client), ZENK_ERR_BAD_VALUE);
    EXPECT_EQ(Drain(o, c.client, kClientMsg), "abcdef");

    EXPECT_EQ(ZENKLastStreamWinSockError(c.client, nullptr, buf), ZENK_FAILED);
    EXPECT_EQ(ZENKLastStreamWinSockError(c.client, &code, nullptr), ZENK_FAILED);
    EXPECT_EQ(ZENKStreamConnectToPort(c.client, nullptr, 80), ZENK_FAILED);
    EXPECT_EQ(ZENKStreamConnectToService(c.client, kHost, nullptr), ZENK_FAILED);
    EXPECT_EQ(StreamError(c.client), ZENK_ERR_BAD_VALUE);
    EXPECT_EQ(ZENKStreamConnectToPort(c.client, kHost, 70000), ZENK_FAILED);
    EXPECT_EQ(StreamError(c.client), ZENK_ERR_BAD_VALUE);
    // The last error's text comes with it.
    char text[ZENK_ERRTEXT_SIZE];
    ASSERT_EQ(ZENKLastStreamWinSockError(c.client, &code, text), 0);
    EXPECT_STREQ(text, "Programmer passed illegal/bad value");
    c.CloseAll();
}

TEST(StreamFailures, ConnectionRefusedIsRecordedAndNotAnnounced) {
    Owner o;
    void* client = nullptr;
    ASSERT_EQ(ZENKCreateStreamClientWindow(o.Window(), kClientMsg, &client), 0);
    int code = -1;
    char text[ZENK_ERRTEXT_SIZE];
    ASSERT_EQ(ZENKLastStreamWinSockError(client, &code, text), 0);
    EXPECT_EQ(code, 0);
    EXPECT_STREQ(text, "No error at this time");
    ASSERT_EQ(ZENKStreamConnectToPort(client, kHost, kPortRefused), 0);
    ASSERT_TRUE(o.PumpUntil([&] { return StreamError(client) == WSAECONNREFUSED; }))
        << StreamError(client);
    o.Settle(200);
    EXPECT_FALSE(o.Has(kClientMsg, ZENK_STREAM_CONNECTED));
    EXPECT_EQ(ZENKCloseStream(client), 0);
}

TEST(StreamFailures, AWriteBeforeConnectingFailsItsChunk) {
    Owner o;
    void* client = nullptr;
    ASSERT_EQ(ZENKCreateStreamClientThread(Owner::Thread(), kClientMsg, &client), 0);
    ASSERT_EQ(ZENKStreamWrite(client, "early", 5), 0);
    ASSERT_EQ(ZENKStreamWrite(client, "later", 5), 0);
    ASSERT_TRUE(o.PumpUntil([&] { return o.Count(kClientMsg, ZENK_STREAM_SEND_ERROR) == 2; }));
    int code = StreamError(client);  // Wine says "reset" where Windows says "not connected"
    EXPECT_TRUE(code == WSAENOTCONN || code == WSAECONNRESET) << code;
    o.Settle(100);
    EXPECT_EQ(o.For(kClientMsg).size(), 2u);  // each chunk dropped with one 15007
    EXPECT_EQ(ZENKCloseStream(client), 0);
}

TEST(StreamFailures, UnknownHostAndServiceFailAtOnce) {
    Owner o;
    void* client = nullptr;
    ASSERT_EQ(ZENKCreateStreamClientWindow(o.Window(), kClientMsg, &client), 0);
    EXPECT_EQ(ZENKStreamConnectToPort(client, "no-such-host.invalid", 80), ZENK_FAILED);
    EXPECT_NE(StreamError(client), 0);
    EXPECT_GE(StreamError(client), 11001);
    EXPECT_EQ(ZENKStreamConnectToService(client, kHost, "no-such-service"), ZENK_FAILED);
    EXPECT_NE(StreamError(client), 0);
    EXPECT_EQ(ZENKCloseStream(client), 0);
}

TEST(StreamFailures, ConnectToAServiceByName) {
    Owner o;
    void* server = nullptr;
    void* client = nullptr;
    ASSERT_EQ(ZENKCreateStreamServerWindow(kDiscardPort, o.Window(), kServerMsg, &server), 0)
        << StreamError(server);
    ASSERT_EQ(ZENKCreateStreamClientWindow(o.Window(), kClientMsg, &client), 0);
    ASSERT_EQ(ZENKStreamConnectToService(client, kHost, "discard"), 0) << StreamError(client);
    EXPECT_TRUE(o.PumpUntil([&] { return o.Has(kServerMsg, ZENK_STREAM_ACCEPT_READY); }));
    EXPECT_EQ(ZENKCloseStream(client), 0);
    EXPECT_EQ(ZENKCloseStream(server), 0);
}

TEST(StreamFailures, AcceptOnAClientAndPortZeroServers) {
    Owner o;
    void* client = nullptr;
    void* comm = nullptr;
    ASSERT_EQ(ZENKCreateStreamClientWindow(o.Window(), kClientMsg, &client), 0);
    ASSERT_EQ(ZENKCreateStreamCommWindow(o.Window(), kCommMsg, &comm), 0);
    EXPECT_EQ(ZENKStreamAccept(client, comm), ZENK_FAILED);
    EXPECT_EQ(StreamError(client), ZENK_ERR_NOT_SERVER);
    EXPECT_EQ(StreamError(comm), 0);  // accept errors belong to the listening side
    char text[ZENK_ERRTEXT_SIZE];
    int code;
    ZENKLastStreamWinSockError(client, &code, text);
    EXPECT_STREQ(text, "A non-server socket cannot accept a connection");

    for (int port : {0, -5, 65536}) {
        void* server = nullptr;
        EXPECT_EQ(ZENKCreateStreamServerWindow(port, o.Window(), kServerMsg, &server), 0) << port;
        ASSERT_NE(server, nullptr);
        EXPECT_EQ(StreamError(server), ZENK_ERR_BAD_VALUE);
        // No socket: accepting and writing get nowhere, and nothing crashes.
        EXPECT_EQ(ZENKStreamAccept(server, comm), ZENK_FAILED);
        EXPECT_EQ(StreamError(server), ZENK_ERR_NOT_SERVER);  // it never became a server
        EXPECT_EQ(ZENKStreamWrite(server, "x", 1), ZENK_ERR_NOT_SERVER);  // queued: the last error
        EXPECT_EQ(ZENKCloseStream(server), 0);
    }
    o.Settle(100);
    EXPECT_TRUE(o.notes.empty());
    EXPECT_EQ(ZENKCloseStream(comm), 0);
    EXPECT_EQ(ZENKCloseStream(client), 0);
}

TEST(StreamFailures, ClosingWithChunksQueuedDropsThemAndTheirEvents) {
    Owner o;
    Connection c;
    Establish(o, kPortClose, false, &c);
    for (int i = 0; i < 5; ++i) ASSERT_EQ(ZENKStreamWrite(c.client, "queued", 6), 0);
    // The five FD_WRITE events are still in the event window's queue.
    EXPECT_EQ(ZENKCloseStream(c.client), 0);
    c.client = nullptr;
    o.Settle(300);
    EXPECT_EQ(o.For(kClientMsg).size(), 0u);
    EXPECT_EQ(Drain(o, c.comm, kCommMsg), "");
    c.CloseAll();
}

TEST(StreamZ, CallsAfterTheSessionEndedAreRefused) {
    Owner o;
    void* client = nullptr;
    ASSERT_EQ(ZENKCreateStreamClientWindow(o.Window(), kClientMsg, &client), 0);
    ASSERT_EQ(ZENKEndWinSock(), 1);
    EXPECT_EQ(ZENKStreamWrite(client, "x", 1), ZENK_NOT_READY);
    EXPECT_EQ(ZENKCloseStream(client), ZENK_NOT_READY);
    ASSERT_EQ(ZENKStartWinSock(0x0101), 1);
    // Made under the ended session: it can still be closed.
    EXPECT_EQ(ZENKCloseStream(client), 0);
}

}  // namespace
