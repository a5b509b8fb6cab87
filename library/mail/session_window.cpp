// The hidden window of a mail session.
#include "mail/session_window.h"

#include "core/win_library_state.h"
#include "core/win_window_classes.h"

namespace zenk {
namespace {

LRESULT CALLBACK SessionWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* client = reinterpret_cast<SessionWindowClient*>(GetWindowLongPtrA(window, 0));
    if (message == kSessionStreamMessage) {
        if (client) client->OnStreamEvent(wParam, lParam);
        return 0;
    }
    if (message == WM_TIMER) {
        if (client) client->OnTimer(wParam);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

HWND CreateSessionWindow(SessionWindowClass& windowClass, SessionWindowClient* client) {
    HINSTANCE instance = static_cast<HINSTANCE>(InstanceHandle());
    if (!RegisterLibraryClass(windowClass.name, SessionWindowProc, sizeof(LONG_PTR))) return nullptr;
    HWND window = CreateWindowExA(0, windowClass.name, windowClass.title, WS_OVERLAPPEDWINDOW,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                                  nullptr, instance, nullptr);
    if (window) SetWindowLongPtrA(window, 0, reinterpret_cast<LONG_PTR>(client));
    return window;
}

void DestroySessionWindow(HWND window) {
    if (!window) return;
    SetWindowLongPtrA(window, 0, 0);
    DestroyWindow(window);
}

}  // namespace zenk
