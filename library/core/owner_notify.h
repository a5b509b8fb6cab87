// Telling a caller: post (message, code, count) to its window or thread.
//
// Endpoints and mail sessions keep one of these each. The result of the
// post is not examined: a notification to a window that is gone, or to a
// thread without a message queue, is lost and nothing else changes.
#pragma once
#include <windows.h>

#include "trace/trace.h"
#include "zenk32_defs.h"

namespace zenk {

// The endpoint notification's name in the trace; null for other codes (the
// mail clients' status codes, which their engines' traces explain).
inline const char* EndpointNotificationName(WPARAM code) {
    switch (code) {
    case ZENK_UDP_RECEIVED: return "udp-received";
    case ZENK_UDP_SENT: return "udp-sent";
    case ZENK_UDP_SEND_ERROR: return "udp-send-error";
    case ZENK_UDP_RECEIVE_ERROR: return "udp-receive-error";
    case ZENK_STREAM_RECEIVED: return "received";
    case ZENK_STREAM_SENT: return "sent";
    case ZENK_STREAM_SEND_ERROR: return "send-error";
    case ZENK_STREAM_RECEIVE_ERROR: return "receive-error";
    case ZENK_STREAM_CONNECTED: return "connected";
    case ZENK_STREAM_ACCEPT_READY: return "accept-ready";
    case ZENK_STREAM_CLOSED: return "closed";
    default: return nullptr;
    }
}

struct OwnerNotify {
    bool byWindow = true;   // true: PostMessageA to window; false: PostThreadMessageA
    HWND window = nullptr;  // owner window (window variants)
    DWORD thread = 0;       // owner thread identifier (thread variants)
    UINT message = 0;       // owner message number, chosen by the caller

    static OwnerNotify ToWindow(HWND window, UINT message) { return {true, window, 0, message}; }
    static OwnerNotify ToThread(DWORD thread, UINT message) { return {false, nullptr, thread, message}; }

    // Posts the owner message with wParam = code and lParam = count.
    void Post(WPARAM code, LPARAM count = 0) const {
        if (trace::gCategories) TracePost(code, count);
        if (byWindow)
            PostMessageA(window, message, code, count);
        else
            PostThreadMessageA(thread, message, code, count);
    }

    void TracePost(WPARAM code, LPARAM count) const {
        const trace::Category category = code <= ZENK_UDP_RECEIVE_ERROR ? trace::kUdp : trace::kStream;
        if (const char* name = EndpointNotificationName(code); name && trace::On(category))
            trace::Line(category, "notify %s (%u) count %ld", name, static_cast<unsigned>(code),
                        static_cast<long>(count));
    }
};

}  // namespace zenk
