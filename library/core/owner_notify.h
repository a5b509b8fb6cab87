// Telling a caller: post (message, code, count) to its window or thread.
//
// Endpoints and mail sessions keep one of these each. The result of the
// post is not examined: a notification to a window that is gone, or to a
// thread without a message queue, is lost and nothing else changes.
#pragma once
#include <windows.h>

namespace zenk {

struct OwnerNotify {
    bool byWindow = true;   // true: PostMessageA to window; false: PostThreadMessageA
    HWND window = nullptr;  // owner window (window variants)
    DWORD thread = 0;       // owner thread identifier (thread variants)
    UINT message = 0;       // owner message number, chosen by the caller

    static OwnerNotify ToWindow(HWND window, UINT message) { return {true, window, 0, message}; }
    static OwnerNotify ToThread(DWORD thread, UINT message) { return {false, nullptr, thread, message}; }

    // Posts the owner message with wParam = code and lParam = count.
    void Post(WPARAM code, LPARAM count = 0) const {
        if (byWindow)
            PostMessageA(window, message, code, count);
        else
            PostThreadMessageA(thread, message, code, count);
    }
};

}  // namespace zenk
