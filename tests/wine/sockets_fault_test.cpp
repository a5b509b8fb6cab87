// Endpoints under injected faults: the library's own objects linked into
// this program, with entries of the WinSock table (Ws()) and the endpoint
// memory table (Mem()) replaced to make sends partial, block or fail and
// allocations fail on demand - what a real socket will not do when asked.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

#include "core/win_library_state.h"
#include "core/winsock_api.h"
#include "core/winsock_session.h"
#include "core/endpoint_memory.h"
#include "sockets/stream_endpoint.h"
#include "sockets/udp_endpoint.h"
#include "sockets_test_util.h"

using namespace socktest;

namespace {

constexpr UINT kServerMsg = WM_APP + 21;
constexpr UINT kCommMsg = WM_APP + 22;
constexpr UINT kClientMsg = WM_APP + 23;
constexpr UINT kUdpMsg = WM_APP + 24;
constexpr int kPort = 47351;
constexpr int kUdpPort = 47352;

// What the next call of an injected function does.
struct Action {
    enum Kind { kReal, kPartial, kFail } kind;
    int value;  // kPartial: bytes to hand over; kFail: the WinSock error
};
Action Partial(int n) { return {Action::kPartial, n}; }
Action Fail(int code) { return {Action::kFail, code}; }

std::deque<Action> g_script;  // consumed one per call; empty = real calls
std::vector<int> g_lengths;   // lengths asked of each injected call

Action NextAction(int length) {
    g_lengths.push_back(length);
    if (g_script.empty()) return {Action::kReal, 0};
    Action a = g_script.front();
    g_script.pop_front();
    return a;
}

int PASCAL ScriptedSend(SOCKET s, const char* buf, int len, int flags) {
    Action a = NextAction(len);
    if (a.kind == Action::kFail) {
        zenk::RealWinSockApi().WSASetLastError(a.value);
        return SOCKET_ERROR;
    }
    if (a.kind == Action::kPartial && a.value < len) len = a.value;
    return zenk::RealWinSockApi().send(s, buf, len, flags);
}

int PASCAL ScriptedRecv(SOCKET s, char* buf, int len, int flags) {
    Action a = NextAction(len);
    if (a.kind == Action::kFail) {
        zenk::RealWinSockApi().WSASetLastError(a.value);
        return SOCKET_ERROR;
    }
    if (a.kind == Action::kPartial && a.value == 0) return 0;  // as when the peer has closed
    if (a.kind == Action::kPartial && a.value < len) len = a.value;
    return zenk::RealWinSockApi().recv(s, buf, len, flags);
}

int PASCAL ScriptedSendTo(SOCKET s, const char* buf, int len, int flags, const sockaddr* to, int tolen) {
    Action a = NextAction(len);
    if (a.kind == Action::kFail) {
        zenk::RealWinSockApi().WSASetLastError(a.value);
        return SOCKET_ERROR;
    }
    if (a.kind == Action::kPartial) return a.value;  // claims a short send
    return zenk::RealWinSockApi().sendto(s, buf, len, flags, to, tolen);
}

int PASCAL FailingSocketCall(SOCKET, const sockaddr*, int) {
    zenk::RealWinSockApi().WSASetLastError(WSAEADDRINUSE);
    return SOCKET_ERROR;
}

SOCKET PASCAL FailingSocket(int, int, int) {
    zenk::RealWinSockApi().WSASetLastError(WSAEMFILE);
    return INVALID_SOCKET;
}

int PASCAL FailingListen(SOCKET, int) {
    zenk::RealWinSockApi().WSASetLastError(WSAENOBUFS);
    return SOCKET_ERROR;
}

hostent* PASCAL AddresslessHost(const char*) {
    static char* none[] = {nullptr};
    static hostent entry{const_cast<char*>("v6only"), nullptr, AF_INET, 4, none};
    return &entry;
}

// Allocation number g_failAt (from 1, counted from arming) fails; 0 = none.
int g_failAt = 0;
int g_allocations = 0;
void* CountingAllocate(std::size_t bytes) {
    if (g_failAt && ++g_allocations == g_failAt) return nullptr;
    return zenk::RealMemoryApi().allocate(bytes);
}
void FailAllocation(int n) {
    g_allocations = 0;
    g_failAt = n;
}

class Faults : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        zenk::OnProcessEntry(GetModuleHandleA(nullptr), DLL_PROCESS_ATTACH);
        ZENKInit();
        ASSERT_EQ(ZENKStartWinSock(0x0101), 1);
    }
    void SetUp() override {
        g_script.clear();
        g_lengths.clear();
        g_failAt = 0;
        zenk::Mem().allocate = CountingAllocate;
    }
    void TearDown() override {
        zenk::Ws() = zenk::RealWinSockApi();
        zenk::Mem() = zenk::RealMemoryApi();
        for (void* h : {client, comm, server}) {
            if (h) ZENKCloseStream(h);
        }
    }
    // A library client connected to a library server's accepted endpoint.
    void Connect() {
        ASSERT_EQ(ZENKCreateStreamServerWindow(kPort, o.Window(), kServerMsg, &server), 0)
            << StreamError(server);
        ASSERT_EQ(ZENKCreateStreamClientWindow(o.Window(), kClientMsg, &client), 0);
        ASSERT_EQ(ZENKStreamConnectToPort(client, kHost, kPort), 0);
        ASSERT_TRUE(o.PumpUntil([&] { return o.Has(kServerMsg, ZENK_STREAM_ACCEPT_READY); }));
        ASSERT_EQ(ZENKCreateStreamCommWindow(o.Window(), kCommMsg, &comm), 0);
        ASSERT_EQ(ZENKStreamAccept(server, comm), 0);
        ASSERT_TRUE(o.PumpUntil([&] { return o.Has(kClientMsg, ZENK_STREAM_CONNECTED); }));
        o.notes.clear();
    }
    // Everything the accepted side receives within ms, in order.
    std::string Received(DWORD ms = 300) {
        o.Settle(ms);
        std::string all;
        for (const Note& n : o.For(kCommMsg)) {
            if (n.code != ZENK_STREAM_RECEIVED) continue;
            char buf[4096];
            EXPECT_EQ(ZENKStreamRead(comm, buf, sizeof buf), 0);
            all.append(buf, static_cast<std::size_t>(n.count));
        }
        return all;
    }
    std::vector<WPARAM> ClientCodes() const {
        std::vector<WPARAM> codes;
        for (const Note& n : o.For(kClientMsg)) codes.push_back(n.code);
        return codes;
    }
    Owner o;
    void* server = nullptr;
    void* comm = nullptr;
    void* client = nullptr;
};

std::string Block(char tag, std::size_t n) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i) s += static_cast<char>(tag + i % 23);
    return s;
}

TEST_F(Faults, AChunkSentAs600And424NotifiesOnceWith424) {
    Connect();
    zenk::Ws().send = ScriptedSend;
    g_script = {Partial(600)};
    std::string chunk = Block('a', 1024);
    ASSERT_EQ(ZENKStreamWrite(client, chunk.data(), 1024), 0);
    ASSERT_TRUE(o.PumpUntil([&] { return o.Has(kClientMsg, ZENK_STREAM_SENT); }));
    EXPECT_EQ(Received(), chunk);
    ASSERT_EQ(o.For(kClientMsg).size(), 1u);
    EXPECT_EQ(o.For(kClientMsg)[0].count, 424);
    EXPECT_EQ(g_lengths, (std::vector<int>{1024, 424}));
}

TEST_F(Faults, WouldBlockRetriesTheSameBytesAndClearsTheLastError) {
    Connect();
    char buf[8];
    ASSERT_EQ(ZENKStreamRead(client, buf, sizeof buf), ZENK_FAILED);  // last error 3
    zenk::Ws().send = ScriptedSend;
    g_script = {Partial(100), Fail(WSAEWOULDBLOCK), Fail(WSAEWOULDBLOCK), Partial(50)};
    std::string first = Block('A', 300), second = Block('k', 20);
    EXPECT_EQ(ZENKStreamWrite(client, first.data(), 300), ZENK_ERR_BAD_VALUE);
    EXPECT_EQ(ZENKStreamWrite(client, second.data(), 20), ZENK_ERR_BAD_VALUE);
    ASSERT_TRUE(o.PumpUntil([&] { return o.Count(kClientMsg, ZENK_STREAM_SENT) == 2; }));
    EXPECT_EQ(Received(), first + second);
    EXPECT_EQ(g_lengths, (std::vector<int>{300, 200, 200, 200, 150, 20}));
    std::vector<Note> sent = o.For(kClientMsg);
    EXPECT_EQ(sent[0].count, 150);  // the final send of the first chunk
    EXPECT_EQ(sent[1].count, 20);
    EXPECT_EQ(StreamError(client), 0);  // would-block cleared it
}

int g_ticks = 0;
void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) { ++g_ticks; }

// While sends would block, the endpoint waits for WinSock's next FD_WRITE
// or its retry timer: the thread does not spin on posted events, so its
// other timers keep firing. The chunk goes out whole once sending works.
TEST_F(Faults, ABlockedSendWaitsInsteadOfSpinning) {
    Connect();
    zenk::Ws().send = ScriptedSend;
    for (int i = 0; i < 100000; ++i) g_script.push_back(Fail(WSAEWOULDBLOCK));
    std::string chunk = Block('q', 500);
    ASSERT_EQ(ZENKStreamWrite(client, chunk.data(), 500), 0);
    g_ticks = 0;
    UINT_PTR timer = SetTimer(nullptr, 0, 20, CountTick);
    ASSERT_NE(timer, 0u);
    o.Settle(600);
    KillTimer(nullptr, timer);
    const std::size_t attempts = g_lengths.size();
    EXPECT_GE(attempts, 2u);    // retried...
    EXPECT_LE(attempts, 40u);   // ...but about every 50 ms, not thousands of times
    EXPECT_GE(g_ticks, 5);      // the thread's own timer was not starved
    EXPECT_FALSE(o.Has(kClientMsg, ZENK_STREAM_SENT));
    g_script.clear();
    ASSERT_TRUE(o.PumpUntil([&] { return o.Has(kClientMsg, ZENK_STREAM_SENT); }));
    EXPECT_EQ(Received(), chunk);
    EXPECT_EQ(o.Count(kClientMsg, ZENK_STREAM_SENT), 1u);
    EXPECT_EQ(StreamError(client), 0);
}

// A reset comes as FD_CLOSE with an error word: the owner hears 15011 and
// the code is the last error. Other events with an error word are not
// handled (here an FD_READ: no 15005).
TEST_F(Faults, AResetArrivingAsAnErrorWordIsAnnouncedAsAClose) {
    Connect();
    HWND events = zenk::CurrentSession()->EventWindow();
    WPARAM socket = static_cast<WPARAM>(static_cast<zenk::StreamEndpoint*>(client)->Socket());
    PostMessageA(events, 2984, socket, WSAMAKESELECTREPLY(FD_READ, WSAENETDOWN));
    o.Settle(100);
    EXPECT_TRUE(o.For(kClientMsg).empty());
    EXPECT_EQ(StreamError(client), WSAENETDOWN);
    PostMessageA(events, 2984, socket, WSAMAKESELECTREPLY(FD_CLOSE, WSAECONNRESET));
    ASSERT_TRUE(o.PumpUntil([&] { return o.Has(kClientMsg, ZENK_STREAM_CLOSED); }));
    EXPECT_EQ(StreamError(client), WSAECONNRESET);
}

// WinSock may report the close before the last data has been read. Here the
// data's FD_READ finds nothing (an injected would-block), so the bytes are
// still unread when FD_CLOSE comes: they are announced first, and 15011
// only once nothing is left.
TEST_F(Faults, ACloseReportedBeforeTheLastDataAnnouncesTheDataFirst) {
    Connect();
    zenk::Ws().recv = ScriptedRecv;
    g_script = {Fail(WSAEWOULDBLOCK)};
    ASSERT_EQ(ZENKStreamWrite(comm, "last words", 10), 0);
    ASSERT_TRUE(o.PumpUntil([&] { return !g_lengths.empty(); }));  // that FD_READ came and went
    o.Settle(50);
    ASSERT_TRUE(o.For(kClientMsg).empty());
    SOCKET socket = static_cast<zenk::StreamEndpoint*>(client)->Socket();
    PostMessageA(zenk::CurrentSession()->EventWindow(), 2984, static_cast<WPARAM>(socket),
                 WSAMAKESELECTREPLY(FD_CLOSE, 0));
    ASSERT_TRUE(o.PumpUntil([&] { return o.Has(kClientMsg, ZENK_STREAM_CLOSED); }));
    std::vector<Note> notes = o.For(kClientMsg);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].code, static_cast<WPARAM>(ZENK_STREAM_RECEIVED));
    EXPECT_EQ(notes[0].count, 10);
    EXPECT_EQ(notes[1].code, static_cast<WPARAM>(ZENK_STREAM_CLOSED));
    char buf[16];
    ASSERT_EQ(ZENKStreamRead(client, buf, sizeof buf), 0);
    EXPECT_EQ(std::string(buf, 10), "last words");
}

// Closing an endpoint takes its socket's events out of the event window's
// queue (a new socket may get the same handle value at once); the events of
// other sockets stay, in order.
TEST_F(Faults, ClosingDropsOnlyTheClosedSocketsQueuedEvents) {
    Connect();
    HWND events = zenk::CurrentSession()->EventWindow();
    const WPARAM closed = static_cast<WPARAM>(static_cast<zenk::StreamEndpoint*>(client)->Socket());
    const WPARAM other = static_cast<WPARAM>(static_cast<zenk::StreamEndpoint*>(comm)->Socket());
    PostMessageA(events, 2984, closed, WSAMAKESELECTREPLY(FD_READ, 0));
    PostMessageA(events, 2984, other, WSAMAKESELECTREPLY(FD_READ, 0));
    PostMessageA(events, 2984, closed, WSAMAKESELECTREPLY(FD_CLOSE, 0));
    PostMessageA(events, 2984, other, WSAMAKESELECTREPLY(FD_CONNECT, 0));
    ASSERT_EQ(ZENKCloseStream(client), 0);
    client = nullptr;
    std::vector<long> left;  // events left for the other socket, in order
    MSG m;
    while (PeekMessageA(&m, events, 2984, 2984, PM_REMOVE)) {
        EXPECT_NE(m.wParam, closed);
        if (m.wParam == other) left.push_back(WSAGETSELECTEVENT(m.lParam));
    }
    // Ours are still there, FD_READ before FD_CONNECT (WinSock may have
    // added the comm's FD_CLOSE after them).
    auto connect = std::find(left.begin(), left.end(), FD_CONNECT);
    ASSERT_NE(connect, left.end());
    EXPECT_NE(std::find(left.begin(), connect, FD_READ), connect);
}

TEST_F(Faults, AFailedSendDropsItsChunkAndLaterChunksStillGo) {
    Connect();
    zenk::Ws().send = ScriptedSend;
    g_script = {Partial(300), Fail(WSAECONNABORTED)};
    std::string one = Block('1', 1000), two = Block('2', 500), three = Block('3', 40);
    ASSERT_EQ(ZENKStreamWrite(client, one.data(), 1000), 0);
    ASSERT_EQ(ZENKStreamWrite(client, two.data(), 500), 0);
    ASSERT_TRUE(o.PumpUntil([&] { return o.For(kClientMsg).size() == 2; }));
    EXPECT_EQ(StreamError(client), WSAECONNABORTED);
    // The write returns the last error, and the chunk still goes out.
    EXPECT_EQ(ZENKStreamWrite(client, three.data(), 40), WSAECONNABORTED);
    ASSERT_TRUE(o.PumpUntil([&] { return o.For(kClientMsg).size() == 3; }));
    EXPECT_EQ(ClientCodes(), (std::vector<WPARAM>{ZENK_STREAM_SEND_ERROR, ZENK_STREAM_SENT,
                                                  ZENK_STREAM_SENT}));
    EXPECT_EQ(o.For(kClientMsg)[0].count, 0);
    // The second chunk starts from its own beginning, not at offset 300.
    EXPECT_EQ(Received(), one.substr(0, 300) + two + three);
}

// One FD_READ takes what the socket holds, up to a full buffer, as one
// chunk; what ended the receiving (the peer's close, a failure) is
// announced after the data.
TEST_F(Faults, OneReadEventAnnouncesWhatTheSocketHoldsAsOneChunk) {
    struct Case {
        const char* name;
        std::vector<Action> script;      // for the comm's recv calls
        std::size_t bytes;               // the client writes this much first
        std::vector<WPARAM> codes;       // the comm's notifications, in order
        std::vector<LPARAM> counts;
        int lastError;
    } const cases[] = {
        {"segments gathered", {Partial(300), Partial(300), Partial(300)}, 900,
         {ZENK_STREAM_RECEIVED}, {900}, 0},
        {"cut at the buffer", {}, 3000,
         {ZENK_STREAM_RECEIVED, ZENK_STREAM_RECEIVED, ZENK_STREAM_RECEIVED}, {1024, 1024, 952}, 0},
        {"close behind the data", {Partial(200), Partial(0)}, 200,
         {ZENK_STREAM_RECEIVED, ZENK_STREAM_RECEIVED}, {200, 0}, 0},
        {"failure behind the data", {Partial(120), Fail(WSAECONNRESET)}, 120,
         {ZENK_STREAM_RECEIVED, ZENK_STREAM_RECEIVE_ERROR}, {120, 0}, WSAECONNRESET},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        client = comm = server = nullptr;
        Connect();
        zenk::Ws().recv = ScriptedRecv;
        g_script.assign(c.script.begin(), c.script.end());
        std::string data = Block('r', c.bytes);
        // All of it reaches the comm's socket before its FD_READ is handled:
        // the client's sends run first, on this same thread.
        ASSERT_EQ(ZENKStreamWrite(client, data.data(), static_cast<unsigned>(std::min<std::size_t>(c.bytes, 1024))), 0);
        if (c.bytes > 1024) {
            ASSERT_EQ(ZENKSetStreamBufferSize(client, 4096), 0);
            ASSERT_EQ(ZENKStreamWrite(client, data.data() + 1024, static_cast<unsigned>(c.bytes - 1024)), 0);
        }
        ASSERT_TRUE(o.PumpUntil([&] { return o.For(kCommMsg).size() >= c.codes.size(); }));
        o.Settle(100);
        std::vector<Note> notes = o.For(kCommMsg);
        ASSERT_EQ(notes.size(), c.codes.size());
        std::string got;
        for (std::size_t i = 0; i < notes.size(); ++i) {
            EXPECT_EQ(notes[i].code, c.codes[i]) << i;
            EXPECT_EQ(notes[i].count, c.counts[i]) << i;
            if (notes[i].code != ZENK_STREAM_RECEIVED || !notes[i].count) continue;
            char buf[1024];
            ASSERT_EQ(ZENKStreamRead(comm, buf, sizeof buf), 0);
            got.append(buf, static_cast<std::size_t>(notes[i].count));
        }
        EXPECT_EQ(got, data);
        EXPECT_EQ(StreamError(comm), c.lastError);
        zenk::Ws() = zenk::RealWinSockApi();
    }
}

// Sending needs one FD_WRITE for many chunks, not one each; an event
// finishes at most 64 chunks and then posts the next FD_WRITE itself.
TEST_F(Faults, OneWriteEventSendsManyChunksInOrder) {
    Connect();
    HWND events = zenk::CurrentSession()->EventWindow();
    const WPARAM socket = static_cast<WPARAM>(static_cast<zenk::StreamEndpoint*>(client)->Socket());
    std::size_t offset = 0;
    for (int writes : {1, 10, 64, 65, 200}) {
        SCOPED_TRACE(writes);
        o.notes.clear();
        std::string expected;
        for (int i = 0; i < writes; ++i) {
            std::string chunk = Block(static_cast<char>('a' + i % 20), 1 + (offset++ * 37) % 900);
            ASSERT_EQ(ZENKStreamWrite(client, chunk.data(), static_cast<unsigned>(chunk.size())), 0);
            expected += chunk;
        }
        int writeEvents = 0;
        MSG m;
        DWORD start = GetTickCount();
        while (o.Count(kClientMsg, ZENK_STREAM_SENT) < static_cast<std::size_t>(writes) &&
               GetTickCount() - start < 5000) {
            if (!PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
                continue;
            }
            writeEvents += m.hwnd == events && m.message == ZENK_SOCKET_EVENT && m.wParam == socket &&
                           WSAGETSELECTEVENT(m.lParam) == FD_WRITE;
            DispatchMessageA(&m);
        }
        ASSERT_EQ(o.Count(kClientMsg, ZENK_STREAM_SENT), static_cast<std::size_t>(writes));
        EXPECT_EQ(writeEvents, (writes + 63) / 64);
        EXPECT_EQ(ClientCodes(), std::vector<WPARAM>(writes, ZENK_STREAM_SENT));
        EXPECT_EQ(Received(), expected);
    }
}

TEST_F(Faults, ReceiveFailuresAndWouldBlock) {
    Connect();
    zenk::Ws().recv = ScriptedRecv;
    g_script = {Fail(WSAEWOULDBLOCK)};
    ASSERT_EQ(ZENKStreamRead(comm, nullptr, 0), ZENK_FAILED);  // last error 3
    ASSERT_EQ(ZENKStreamWrite(client, "one", 3), 0);
    ASSERT_TRUE(o.PumpUntil([&] { return g_lengths.size() == 1; }));
    o.Settle(100);
    EXPECT_TRUE(o.For(kCommMsg).empty());  // would-block is no error, and no news
    EXPECT_EQ(StreamError(comm), 0);
    // The data is still there for the next FD_READ.
    SOCKET s = static_cast<zenk::StreamEndpoint*>(comm)->Socket();
    PostMessageA(FindWindowA("ZENK_WINSOCK", nullptr), ZENK_SOCKET_EVENT, static_cast<WPARAM>(s), FD_READ);
    EXPECT_EQ(Received(), "one");
    o.notes.clear();
    g_script = {Fail(WSAECONNRESET)};
    ASSERT_EQ(ZENKStreamWrite(client, "two", 3), 0);
    ASSERT_TRUE(o.PumpUntil([&] { return o.Has(kCommMsg, ZENK_STREAM_RECEIVE_ERROR); }));
    EXPECT_EQ(StreamError(comm), WSAECONNRESET);
    EXPECT_EQ(o.For(kCommMsg)[0].count, 0);
}

TEST_F(Faults, TheEmptyEndChunkStaysAtTheHeadBeforeLaterData) {
    Connect();
    zenk::Ws().recv = ScriptedRecv;
    g_script = {Partial(0)};
    SOCKET s = static_cast<zenk::StreamEndpoint*>(comm)->Socket();
    SendMessageA(FindWindowA("ZENK_WINSOCK", nullptr), ZENK_SOCKET_EVENT, static_cast<WPARAM>(s), FD_READ);
    ASSERT_TRUE(o.PumpUntil([&] { return o.Has(kCommMsg, ZENK_STREAM_RECEIVED); }));
    EXPECT_EQ(o.For(kCommMsg)[0].count, 0);
    // Data arriving later queues behind the empty chunk, which blocks it.
    ASSERT_EQ(ZENKStreamWrite(client, "after", 5), 0);
    ASSERT_TRUE(o.PumpUntil([&] { return o.Count(kCommMsg, ZENK_STREAM_RECEIVED) == 2; }));
    EXPECT_EQ(o.For(kCommMsg)[1].count, 5);
    char buf[16];
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(ZENKStreamRead(comm, buf, sizeof buf), ZENK_FAILED);
        EXPECT_EQ(StreamError(comm), ZENK_ERR_BAD_VALUE);
    }
}

TEST_F(Faults, OutOfMemoryOnCreationWritesNoHandle) {
    void* out = reinterpret_cast<void*>(0x77);
    FailAllocation(1);  // the endpoint object
    EXPECT_EQ(ZENKCreateStreamClientWindow(o.Window(), kClientMsg, &out), ZENK_BAD_HANDLE);
    FailAllocation(1);
    EXPECT_EQ(ZENKCreateUDPServer1(kUdpPort, o.Window(), kUdpMsg, &out), ZENK_BAD_HANDLE);
    EXPECT_EQ(out, reinterpret_cast<void*>(0x77));
}

// The registry's element is the third allocation of a creation (after the
// object and its staging buffer): an endpoint it cannot hold would never
// hear of its socket, so the creation fails with last error 2 and keeps no
// socket; the handle is written, to read the error and close.
TEST_F(Faults, AnEndpointTheRegistryCannotHoldIsRefused) {
    using Create = int (*)(HWND owner, void** out);
    struct Case {
        const char* name;
        Create create;
        bool udp;
    } cases[] = {
        {"stream client", [](HWND w, void** out) { return ZENKCreateStreamClientWindow(w, kClientMsg, out); }, false},
        {"stream server", [](HWND w, void** out) { return ZENKCreateStreamServerWindow(kPort + 7, w, kClientMsg, out); },
         false},
        {"stream comm", [](HWND w, void** out) { return ZENKCreateStreamCommWindow(w, kClientMsg, out); }, false},
        {"udp client", [](HWND w, void** out) { return ZENKCreateUDPClient1(w, kUdpMsg, out); }, true},
    };
    for (const Case& c : cases) {
        void* made = nullptr;
        FailAllocation(3);
        EXPECT_EQ(c.create(o.Window(), &made), ZENK_FAILED) << c.name;
        ASSERT_NE(made, nullptr) << c.name;
        EXPECT_EQ(c.udp ? UdpError(made) : StreamError(made), ZENK_ERR_NO_MEMORY) << c.name;
        EXPECT_EQ(static_cast<zenk::SocketEndpoint*>(made)->Socket(), INVALID_SOCKET) << c.name;
        EXPECT_EQ(c.udp ? ZENKCloseUDP(made) : ZENKCloseStream(made), 0) << c.name;
    }
}

TEST_F(Faults, WithoutAStagingBufferNothingIsSentOrReceived) {
    Connect();
    void* bare = nullptr;
    FailAllocation(2);  // the object succeeds, its staging buffer does not
    ASSERT_EQ(ZENKCreateStreamClientWindow(o.Window(), kClientMsg + 50, &bare), 0);
    EXPECT_EQ(ZENKStreamWrite(bare, "x", 1), ZENK_FAILED);
    EXPECT_EQ(StreamError(bare), ZENK_ERR_NO_MEMORY);
    EXPECT_EQ(ZENKStreamConnectToPort(bare, kHost, kPort), ZENK_FAILED);
    EXPECT_EQ(StreamError(bare), ZENK_ERR_NO_MEMORY);
    // An FD_READ on it: 15008 and last error 2.
    HWND events = FindWindowA("ZENK_WINSOCK", nullptr);
    SOCKET s = static_cast<zenk::StreamEndpoint*>(bare)->Socket();
    SendMessageA(events, ZENK_SOCKET_EVENT, static_cast<WPARAM>(s), FD_READ);
    ASSERT_TRUE(o.PumpUntil([&] { return o.Has(kClientMsg + 50, ZENK_STREAM_RECEIVE_ERROR); }));
    // Setting a buffer size makes one again.
    EXPECT_EQ(ZENKSetStreamBufferSize(bare, 100), 0);
    EXPECT_EQ(ZENKStreamWrite(bare, "x", 1), ZENK_ERR_NO_MEMORY);  // queued; last error stays
    EXPECT_EQ(ZENKCloseStream(bare), 0);

    void* udp = nullptr;
    FailAllocation(2);
    ASSERT_EQ(ZENKCreateUDPClient1(o.Window(), kUdpMsg, &udp), 0);
    EXPECT_EQ(ZENKUDPWriteToPort(udp, "x", 1, kHost, kUdpPort), 0);  // an early failure
    EXPECT_EQ(UdpError(udp), ZENK_ERR_NO_MEMORY);
    s = static_cast<zenk::UdpEndpoint*>(udp)->Socket();
    SendMessageA(events, ZENK_SOCKET_EVENT, static_cast<WPARAM>(s), FD_READ);
    ASSERT_TRUE(o.PumpUntil([&] { return o.Has(kUdpMsg, ZENK_UDP_RECEIVE_ERROR); }));
    EXPECT_EQ(ZENKCloseUDP(udp), 0);
}

TEST_F(Faults, OutOfMemoryForQueueElements) {
    Connect();
    FailAllocation(1);  // the chunk's element
    EXPECT_EQ(ZENKStreamWrite(client, "lost", 4), ZENK_ERR_NO_MEMORY);
    EXPECT_EQ(StreamError(client), ZENK_ERR_NO_MEMORY);
    FailAllocation(2);  // the chunk's data
    EXPECT_EQ(ZENKStreamWrite(client, "lost", 4), ZENK_ERR_NO_MEMORY);
    o.Settle(100);
    EXPECT_TRUE(o.For(kClientMsg).empty());  // nothing was queued, nothing announced

    // A receive with no memory for its chunk: 15008, the data is lost.
    FailAllocation(3);  // after the write's element and data: the receive's element
    ASSERT_EQ(ZENKStreamWrite(client, "dropped", 7), ZENK_ERR_NO_MEMORY);
    ASSERT_TRUE(o.PumpUntil([&] { return o.Has(kCommMsg, ZENK_STREAM_RECEIVE_ERROR); }));
    EXPECT_EQ(StreamError(comm), ZENK_ERR_NO_MEMORY);
    char buf[16];
    EXPECT_EQ(ZENKStreamRead(comm, buf, sizeof buf), ZENK_FAILED);

    // Growing the buffer without memory keeps the old one working.
    FailAllocation(1);
    EXPECT_EQ(ZENKSetStreamBufferSize(client, 8192), ZENK_FAILED);
    FailAllocation(0);
    o.notes.clear();
    std::string chunk = Block('z', 2000);
    ZENKStreamWrite(client, chunk.data(), 2000);
    ASSERT_TRUE(o.PumpUntil([&] { return o.Has(kClientMsg, ZENK_STREAM_SENT); }));
    EXPECT_EQ(Received(), chunk.substr(0, 1024));
}

TEST_F(Faults, UdpShortAndBlockedSends) {
    void* udp = nullptr;
    void* peer = nullptr;
    ASSERT_EQ(ZENKCreateUDPServer1(kUdpPort, o.Window(), kUdpMsg + 1, &peer), 0);
    ASSERT_EQ(ZENKCreateUDPClient1(o.Window(), kUdpMsg, &udp), 0);
    zenk::Ws().sendto = ScriptedSendTo;
    g_script = {Partial(10), Fail(WSAEWOULDBLOCK), Fail(WSAEWOULDBLOCK), {Action::kReal, 0},
                Fail(WSAENETUNREACH)};
    for (const char* d : {"short one", "blocked twice", "unreachable"})
        ASSERT_EQ(ZENKUDPWriteToPort(udp, d, static_cast<unsigned>(strlen(d)), kHost, kUdpPort), 0);
    ASSERT_TRUE(o.PumpUntil([&] { return o.For(kUdpMsg).size() == 3; }));
    std::vector<Note> notes = o.For(kUdpMsg);
    EXPECT_EQ(notes[0].code, static_cast<WPARAM>(ZENK_UDP_SEND_ERROR));  // 10 of 9: not whole
    EXPECT_EQ(notes[1].code, static_cast<WPARAM>(ZENK_UDP_SENT));
    EXPECT_EQ(notes[1].count, 13);
    EXPECT_EQ(notes[2].code, static_cast<WPARAM>(ZENK_UDP_SEND_ERROR));
    EXPECT_EQ(UdpError(udp), WSAENETUNREACH);
    ASSERT_TRUE(o.PumpUntil([&] { return o.Has(kUdpMsg + 1, ZENK_UDP_RECEIVED); }));
    o.Settle(100);
    EXPECT_EQ(o.Count(kUdpMsg + 1, ZENK_UDP_RECEIVED), 1u);  // only the blocked one arrived
    EXPECT_EQ(ZENKCloseUDP(udp), 0);
    EXPECT_EQ(ZENKCloseUDP(peer), 0);
}

// An endpoint that never got a socket of its own (here a client whose set-up
// failed, so it is in no registry) can take an accepted connection: it is
// registered then, so its events reach it.
TEST_F(Faults, AcceptIntoAnUnregisteredEndpointStillRoutesItsEvents) {
    ASSERT_EQ(ZENKCreateStreamServerWindow(kPort, o.Window(), kServerMsg, &server), 0);
    zenk::Ws().socket = FailingSocket;
    ASSERT_EQ(ZENKCreateStreamClientWindow(o.Window(), kCommMsg, &comm), ZENK_FAILED);
    zenk::Ws() = zenk::RealWinSockApi();
    ASSERT_EQ(ZENKCreateStreamClientWindow(o.Window(), kClientMsg, &client), 0);
    ASSERT_EQ(ZENKStreamConnectToPort(client, kHost, kPort), 0);
    ASSERT_TRUE(o.PumpUntil([&] { return o.Has(kServerMsg, ZENK_STREAM_ACCEPT_READY); }));
    ASSERT_EQ(ZENKStreamAccept(server, comm), 0);
    ASSERT_TRUE(o.PumpUntil([&] { return o.Has(kCommMsg, ZENK_STREAM_CONNECTED); }));
    ASSERT_EQ(ZENKStreamWrite(client, "hello", 5), 0);
    EXPECT_EQ(Received(), "hello");
}

TEST_F(Faults, SetUpFailuresKeepTheHandleForClosing) {
    zenk::Ws().socket = FailingSocket;
    ASSERT_EQ(ZENKCreateStreamClientThread(Owner::Thread(), kClientMsg, &client), ZENK_FAILED);
    ASSERT_NE(client, nullptr);
    EXPECT_EQ(StreamError(client), WSAEMFILE);
    void* udp = nullptr;
    EXPECT_EQ(ZENKCreateUDPClient2(Owner::Thread(), kUdpMsg, &udp), ZENK_FAILED);
    EXPECT_EQ(UdpError(udp), WSAEMFILE);
    EXPECT_EQ(ZENKCloseUDP(udp), 0);
    zenk::Ws() = zenk::RealWinSockApi();

    zenk::Ws().bind = FailingSocketCall;
    EXPECT_EQ(ZENKCreateStreamServerWindow(kPort, o.Window(), kServerMsg, &server), ZENK_FAILED);
    EXPECT_EQ(StreamError(server), WSAEADDRINUSE);
    EXPECT_EQ(ZENKCloseStream(server), 0);
    server = nullptr;
    zenk::Ws() = zenk::RealWinSockApi();
    zenk::Ws().listen = FailingListen;
    EXPECT_EQ(ZENKCreateStreamServerWindow(kPort, o.Window(), kServerMsg, &server), ZENK_FAILED);
    EXPECT_EQ(StreamError(server), WSAENOBUFS);
    EXPECT_EQ(static_cast<zenk::StreamEndpoint*>(server)->Socket(), INVALID_SOCKET);
    zenk::Ws() = zenk::RealWinSockApi();

    // A connect refused at once (not would-block) fails with its code.
    zenk::Ws().connect = FailingSocketCall;
    ZENKCloseStream(client);
    ASSERT_EQ(ZENKCreateStreamClientWindow(o.Window(), kClientMsg, &client), 0);
    EXPECT_EQ(ZENKStreamConnectToPort(client, kHost, kPort), ZENK_FAILED);
    EXPECT_EQ(StreamError(client), WSAEADDRINUSE);
    // A name whose entry carries no IPv4 address.
    zenk::Ws().gethostbyname = AddresslessHost;
    EXPECT_EQ(ZENKStreamConnectToPort(client, "v6only", kPort), ZENK_FAILED);
    EXPECT_EQ(StreamError(client), WSANO_DATA);
}

}  // namespace
