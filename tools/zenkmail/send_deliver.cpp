// zenkmail send: the delivery, driven by a message loop on this thread.
//
// The SMTP session posts its notifications to a hidden window of ours; the
// loop prints each as a line. While a long delivery runs, a timer on the
// same window prints how long it has been going.
#include <windows.h>

#include <cstdio>

#include "print.h"
#include "send_parts.h"
#include "zenk32.h"

namespace {

constexpr UINT kNotify = WM_APP + 25;
constexpr UINT_PTR kProgressTimer = 1;
constexpr DWORD kProgressAfterMs = 2000;  // quiet for short deliveries

const char* FailureText(int status) {
    switch (status) {
    case ZENK_SMTP_ERR_READ: return "a reply from the server could not be read";
    case ZENK_SMTP_ERR_RECEIVE: return "receiving from the server failed, or it stopped answering";
    case ZENK_SMTP_ERR_SEND: return "sending to the server failed (or the outbox has a bad line)";
    case ZENK_SMTP_ERR_CONNECT: return "cannot connect to the server";
    case ZENK_SMTP_ERR_REPLY: return "the server refused the request";
    case ZENK_SMTP_ERR_OUTBOX: return "the outbox file cannot be opened";
    case ZENK_SMTP_ERR_COUNT: return "the outbox file announces no message";
    case ZENK_SMTP_ERR_NO_WINDOW: return "the session window cannot be created";
    case ZENK_SMTP_ERR_NO_SERVER: return "no server name";
    case ZENK_SMTP_ERR_STREAM: return "no connection endpoint (WinSock not started?)";
    case ZENK_SMTP_ERR_SENDER: return "the outbox file has no usable sender line";
    case ZENK_SMTP_ERR_NO_MARKER: return "the outbox file is incomplete";
    default: return SecureFailureText(status);
    }
}

struct Loop {
    DeliveryResult result;
    const char* server = "";
    int messages = 0;
    DWORD start = 0;
    bool progressShown = false;
};

void OnNotification(Loop& loop, int status, long value) {
    DeliveryResult& r = loop.result;
    if (loop.progressShown) {
        std::fputc('\n', stderr);
        loop.progressShown = false;
    }
    switch (status) {
    case ZENK_SMTP_DONE:
        if (value != 0) {
            ++r.refused;
            Print("  [%d] a recipient of message %ld was refused\n", status, value);
        } else {
            r.ended = true;
        }
        break;
    case ZENK_SMTP_CONNECTED: Print("  [%d] connected to %s\n", status, loop.server); break;
    case ZENK_SMTP_SENT:
        ++r.accepted;
        Print("  [%d] message %ld of %d accepted by the server\n", status, value, loop.messages);
        break;
    case ZENK_SMTP_QUIT_DONE: Print("  [%d] the server said goodbye\n", status); break;
    case ZENK_SMTP_CLOSED: Print("  [%d] the server closed the connection\n", status); break;
    default:
        if (!r.failure) r.failure = status;
        if (const char* text = FailureText(status))
            Print("  [%d] %s\n", status, text);
        else
            Print("  [%d] unknown status\n", status);
    }
    std::fflush(stdout);
}

LRESULT CALLBACK NotifyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* loop = reinterpret_cast<Loop*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (loop && message == kNotify) {
        OnNotification(*loop, static_cast<int>(wParam), static_cast<long>(lParam));
        return 0;
    }
    if (loop && message == WM_TIMER && wParam == kProgressTimer) {
        DWORD ms = GetTickCount() - loop->start;
        if (ms >= kProgressAfterMs) {
            PrintError("\r  ... delivering, %lu s", static_cast<unsigned long>(ms / 1000));
            std::fflush(stderr);
            loop->progressShown = true;
        }
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateNotifyWindow(Loop* loop) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = NotifyWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "ZenkmailNotify";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, wc.lpszClassName, "zenkmail", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  wc.hInstance, nullptr);
    if (window) SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(loop));
    return window;
}

// Hands the secure-mail settings to the session; false (reported) when one is refused.
bool ApplySecure(void* session, const SecureOptions& o, int port) {
    const char* refused = nullptr;
    if (ZENKSMTPSetPort(session, port) != 0) refused = "port";
    else if (ZENKSMTPSetSecurity(session, o.security) != 0) refused = "security mode";
    else if (ZENKSMTPSetTrust(session, o.caFile.c_str(), o.certName.c_str()) != 0) refused = "--cafile or --tls-name";
    else if (!o.user.empty() && ZENKSMTPSetLogin(session, o.user.c_str(), o.password.c_str(), 0) != 0)
        refused = "user name or password (at most 255 characters each, no line breaks)";
    if (refused) PrintError("zenkmail send: the library refused the %s\n", refused);
    return !refused;
}

const char* SecurityText(int security) {
    return security == ZENK_SECURITY_STARTTLS ? " with STARTTLS" : security == ZENK_SECURITY_TLS ? " with TLS" : "";
}

}  // namespace

DeliveryResult Deliver(const std::string& server, const std::string& outbox, int messages,
                       const SecureOptions& secure) {
    Loop loop;
    loop.server = server.c_str();
    loop.messages = messages;
    HWND window = CreateNotifyWindow(&loop);
    if (!window) {
        PrintError("zenkmail send: cannot create a window for the notifications\n");
        loop.result.failure = -1;
        return loop.result;
    }
    void* session = nullptr;
    if (ZENKSMTPStartWindow(window, kNotify, outbox.c_str(), &session) != 0) {
        PrintError("zenkmail send: no memory for an SMTP session\n");
        DestroyWindow(window);
        loop.result.failure = -1;
        return loop.result;
    }
    const int port = PortFor(secure, 25, 465);
    if (!ApplySecure(session, secure, port)) {
        ZENKSMTPClose(session);
        DestroyWindow(window);
        loop.result.failure = -1;
        return loop.result;
    }
    Print("delivering to %s:%d%s%s\n", loop.server, port, SecurityText(secure.security),
                secure.user.empty() ? "" : ", logging in");
    std::fflush(stdout);
    loop.start = GetTickCount();
    SetTimer(window, kProgressTimer, 1000, nullptr);
    // A start failure has been posted already: the loop prints it and the 0.
    ZENKSMTPSendMail(session, server.c_str());
    MSG msg;
    while (!loop.result.ended && GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    KillTimer(window, kProgressTimer);
    ZENKSMTPClose(session);
    DestroyWindow(window);
    return loop.result;
}
