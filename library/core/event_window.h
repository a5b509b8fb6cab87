// The hidden socket event window: class "ZENK_WINSOCK", title "WinSock Message".
//
// WinSock (and the library itself) posts ZENK_SOCKET_EVENT (2984) here with
// wParam = socket and lParam = event | error << 16. The procedure looks the
// socket up in the current session's registry and hands the event to the
// endpoint; events of sockets no endpoint has are dropped. WM_TIMER with a
// socket as its id is that socket's FD_WRITE, due again after a send that
// would have blocked. Every other message goes to DefWindowProcA.
#pragma once
#include <windows.h>

namespace zenk {

constexpr UINT kSocketEventMessage = 2984;  // ZENK_SOCKET_EVENT
constexpr char kEventWindowClass[] = "ZENK_WINSOCK";
constexpr char kEventWindowTitle[] = "WinSock Message";

// Registers the class (an already registered class of ours is reused, so a
// session can start again after an earlier one ended; see win_window_classes.h)
// and creates the window.
// Returns null on failure.
HWND CreateEventWindow();

LRESULT CALLBACK EventWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace zenk
