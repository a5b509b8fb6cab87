// The hidden window of a mail session ("ZENK_POP3WIND", "ZENK_SMTPWIND").
//
// The session's stream endpoint posts its events to this window with
// message 1025, and the session's timers fire here; the window procedure
// hands both to the session whose address it keeps at extra-data index 0
// (a pointer wide, so the same code serves 32- and 64-bit builds).
#pragma once
#include <windows.h>

namespace zenk {

// What a session window calls.
class SessionWindowClient {
public:
    virtual void OnStreamEvent(WPARAM code, LPARAM count) = 0;
    virtual void OnTimer(UINT_PTR timerId) = 0;

protected:
    ~SessionWindowClient() = default;
};

// One window class per session kind, registered on first use and
// unregistered when the library is unloaded (core/win_window_classes.h).
struct SessionWindowClass {
    const char* name;   // class name
    const char* title;  // window title (the window is never shown)
};

constexpr UINT kSessionStreamMessage = 1025;  // stream events to the session window
// Beside the ZENK_STREAM_* codes, the session's stream posts this when its
// connect fails (lParam: the WinSock code), so a refused connection ends the
// run at once rather than at the next tick.
constexpr WPARAM kSessionConnectFailed = 15100;

// Registers the class if needed and creates the hidden window for client:
// class style 3, white background, overlapped-window style, no parent.
// Null when the class or window cannot be made.
HWND CreateSessionWindow(SessionWindowClass& windowClass, SessionWindowClient* client);

// Forgets the client and destroys the window (null is allowed).
void DestroySessionWindow(HWND window);

}  // namespace zenk
