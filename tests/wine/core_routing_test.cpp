// Routing of socket events by the event window, and owner notification to a
// window and to a thread, with a test-only endpoint.
#include <gtest/gtest.h>

#include <vector>

#include "core/event_window.h"
#include "core/win_library_state.h"
#include "core/owner_notify.h"
#include "core/winsock_session.h"
#include "sockets/socket_endpoint.h"
#include "wine_test_util.h"

namespace {

constexpr UINT kOwnerMessage = WM_APP + 7;

// Records its events and tells its owner (code 15005, count = event word).
class ProbeEndpoint : public zenk::SocketEndpoint {
public:
    ProbeEndpoint(zenk::WinSockSession& s, const zenk::OwnerNotify& owner, SOCKET sock)
        : SocketEndpoint(s, owner) { socket_ = sock; }
    void SetSocket(SOCKET sock) { socket_ = sock; }
    void OnSocketEvent(SOCKET, LPARAM reply) override {
        events.push_back(reply);
        if (HIWORD(reply)) { lastError_ = HIWORD(reply); return; }
        owner_.Post(15005, LOWORD(reply));
    }
    std::vector<LPARAM> events;
};

class Routing : public ::testing::Test {
protected:
    void SetUp() override {
        zenk::OnProcessEntry(GetModuleHandleA(nullptr), DLL_PROCESS_ATTACH);
        session = new zenk::WinSockSession(0x0101);
        ASSERT_TRUE(session->Start());
        window = session->EventWindow();
    }
    void TearDown() override { delete session; }
    zenk::WinSockSession* session = nullptr;
    HWND window = nullptr;
};

TEST_F(Routing, EventsReachTheEndpointOwningTheSocket) {
    ProbeEndpoint a(*session, zenk::OwnerNotify::ToThread(GetCurrentThreadId(), kOwnerMessage), 100);
    ProbeEndpoint b(*session, zenk::OwnerNotify::ToThread(GetCurrentThreadId(), kOwnerMessage), 200);
    ASSERT_TRUE(session->Registry().Register(&a));
    ASSERT_TRUE(session->Registry().Register(&b));
    EXPECT_EQ(SendMessageA(window, zenk::kSocketEventMessage, 200, FD_READ), 0);
    EXPECT_EQ(SendMessageA(window, zenk::kSocketEventMessage, 100, FD_WRITE), 0);
    EXPECT_EQ(SendMessageA(window, zenk::kSocketEventMessage, 300, FD_READ), 0);  // nobody's
    ASSERT_EQ(a.events.size(), 1u);
    EXPECT_EQ(a.events[0], FD_WRITE);
    ASSERT_EQ(b.events.size(), 1u);
    EXPECT_EQ(b.events[0], FD_READ);

    // An error word is recorded, and the owner is not told.
    SendMessageA(window, zenk::kSocketEventMessage, 100, MAKELONG(FD_CONNECT, 10061));
    EXPECT_EQ(a.LastError(), 10061);

    // Unregistered: a queued event arrives and is dropped.
    PostMessageA(window, zenk::kSocketEventMessage, 100, FD_WRITE);
    EXPECT_TRUE(session->Registry().Unregister(&a));
    EXPECT_FALSE(session->Registry().Unregister(&a));
    std::vector<MSG> notes;
    testutil::PumpUntil([] { return false; }, 200,
                        [&](const MSG& m) { if (m.message == kOwnerMessage) notes.push_back(m); });
    EXPECT_EQ(a.events.size(), 2u);
    // Notifications arrived as thread messages, in event order.
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].hwnd, nullptr);
    EXPECT_EQ(notes[0].wParam, 15005u);
    EXPECT_EQ(notes[0].lParam, FD_READ);
    EXPECT_EQ(notes[1].lParam, FD_WRITE);
    session->Registry().Unregister(&b);
}

TEST_F(Routing, EndpointWithoutSocketIsFoundOnceItHasOne) {
    ProbeEndpoint late(*session, zenk::OwnerNotify::ToThread(GetCurrentThreadId(), kOwnerMessage),
                       INVALID_SOCKET);
    ProbeEndpoint other(*session, zenk::OwnerNotify::ToThread(GetCurrentThreadId(), kOwnerMessage), 55);
    ASSERT_TRUE(session->Registry().Register(&late));
    ASSERT_TRUE(session->Registry().Register(&other));
    SendMessageA(window, zenk::kSocketEventMessage, static_cast<WPARAM>(INVALID_SOCKET), FD_READ);
    EXPECT_TRUE(late.events.empty());
    late.SetSocket(55);  // earlier in the list than `other`: it wins the lookup
    SendMessageA(window, zenk::kSocketEventMessage, 55, FD_READ);
    EXPECT_EQ(late.events.size(), 1u);
    EXPECT_TRUE(other.events.empty());
    session->Registry().Clear();
}

LRESULT CALLBACK RecordingProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == kOwnerMessage) {
        auto* seen = reinterpret_cast<std::vector<std::pair<WPARAM, LPARAM>>*>(
            GetWindowLongPtrA(w, GWLP_USERDATA));
        seen->push_back({wp, lp});
        return 0;
    }
    return DefWindowProcA(w, m, wp, lp);
}

TEST_F(Routing, NotificationsReachAWindow) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = RecordingProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "RoutingOwner";
    RegisterClassA(&wc);
    HWND owner = CreateWindowA("RoutingOwner", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               wc.hInstance, nullptr);
    ASSERT_NE(owner, nullptr);
    std::vector<std::pair<WPARAM, LPARAM>> seen;
    SetWindowLongPtrA(owner, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&seen));

    ProbeEndpoint ep(*session, zenk::OwnerNotify::ToWindow(owner, kOwnerMessage), 77);
    ASSERT_TRUE(session->Registry().Register(&ep));
    PostMessageA(window, zenk::kSocketEventMessage, 77, FD_CLOSE);
    PostMessageA(window, zenk::kSocketEventMessage, 77, FD_READ);
    EXPECT_TRUE(testutil::PumpUntil([&] { return seen.size() == 2; }));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], std::make_pair(WPARAM{15005}, LPARAM{FD_CLOSE}));
    EXPECT_EQ(seen[1], std::make_pair(WPARAM{15005}, LPARAM{FD_READ}));
    session->Registry().Clear();
    DestroyWindow(owner);
}

struct OwnerThreadContext {
    HANDLE ready;
    std::vector<MSG> got;
};

// Makes a message queue, then collects two owner notifications (or gives up).
DWORD WINAPI OwnerThread(LPVOID p) {
    auto* c = static_cast<OwnerThreadContext*>(p);
    MSG m;
    PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE);
    SetEvent(c->ready);
    while (c->got.size() < 2 &&
           MsgWaitForMultipleObjects(0, nullptr, FALSE, 5000, QS_ALLINPUT) == WAIT_OBJECT_0)
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
            if (m.message == kOwnerMessage) c->got.push_back(m);
    return 0;
}

TEST_F(Routing, NotificationsReachAnotherThread) {
    OwnerThreadContext ctx{CreateEventA(nullptr, TRUE, FALSE, nullptr), {}};
    HANDLE thread = CreateThread(nullptr, 0, OwnerThread, &ctx, 0, nullptr);
    DWORD threadId = GetThreadId(thread);
    ASSERT_EQ(WaitForSingleObject(ctx.ready, 5000), WAIT_OBJECT_0);

    ProbeEndpoint ep(*session, zenk::OwnerNotify::ToThread(threadId, kOwnerMessage), 88);
    ASSERT_TRUE(session->Registry().Register(&ep));
    SendMessageA(window, zenk::kSocketEventMessage, 88, FD_ACCEPT);
    SendMessageA(window, zenk::kSocketEventMessage, 88, FD_CONNECT);
    ASSERT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
    ASSERT_EQ(ctx.got.size(), 2u);
    EXPECT_EQ(ctx.got[0].wParam, 15005u);
    EXPECT_EQ(ctx.got[0].lParam, FD_ACCEPT);
    EXPECT_EQ(ctx.got[1].lParam, FD_CONNECT);
    session->Registry().Clear();
    CloseHandle(thread);
    CloseHandle(ctx.ready);
}

}  // namespace
