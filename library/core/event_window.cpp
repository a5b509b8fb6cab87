#include "core/event_window.h"

#include "core/win_library_state.h"
#include "core/win_window_classes.h"
#include "core/winsock_session.h"

namespace zenk {

HWND CreateEventWindow() {
    HINSTANCE instance = static_cast<HINSTANCE>(InstanceHandle());
    if (!RegisterLibraryClass(kEventWindowClass, EventWindowProc, 0)) return nullptr;
    // Never shown: it exists only to receive socket events on this thread.
    return CreateWindowExA(0, kEventWindowClass, kEventWindowTitle, WS_OVERLAPPEDWINDOW,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                           nullptr, instance, nullptr);
}

LRESULT CALLBACK EventWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER) {
        // A send that would have blocked, due again: the timer's id is the
        // socket (the endpoint's RetrySendLater). One shot.
        KillTimer(window, wParam);
        lParam = FD_WRITE;
    } else if (message != kSocketEventMessage) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    WinSockSession* session = EventWindowSession();
    if (!session) return 0;
    SocketEventTarget* endpoint = session->Registry().Lookup(static_cast<SOCKET>(wParam));
    if (!endpoint) return 0;  // closed already: the event is dropped
    try {
        endpoint->OnSocketEvent(static_cast<SOCKET>(wParam), lParam);
    } catch (...) {
        // Nothing may unwind through the window manager.
    }
    return 0;
}

}  // namespace zenk
