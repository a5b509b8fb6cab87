#include "win/net_wait.h"

#include <mutex>

#include "win/settings.h"

namespace tovan {

namespace {

constexpr DWORD kSliceMs = 50;  // longest stretch without pumping messages

thread_local DWORD t_lastPump = 0;  // when this thread's messages were last dispatched

// One select on s for at most ms: kReady, kFailed, or kTimeout when
// nothing happened.
WaitResult PollOnce(SOCKET s, bool forWrite, DWORD ms) {
    fd_set ready, failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(s, &ready);
    FD_SET(s, &failed);
    timeval wait{static_cast<long>(ms / 1000), static_cast<long>(ms % 1000 * 1000)};
    int n = select(0, forWrite ? nullptr : &ready, forWrite ? &ready : nullptr, &failed, &wait);
    if (n == SOCKET_ERROR) return WaitResult::kFailed;
    if (n == 0) return WaitResult::kTimeout;
    return FD_ISSET(s, &failed) && !FD_ISSET(s, &ready) ? WaitResult::kFailed : WaitResult::kReady;
}

}  // namespace

bool StartWinSock(std::string& error) {
    static std::once_flag once;
    static int result = 0;
    std::call_once(once, [] {
        WSADATA data;
        result = WSAStartup(MAKEWORD(2, 2), &data);
    });
    if (result != 0) error = "WinSock is not available: " + SocketErrorText(result);
    return result == 0;
}

std::string SocketErrorText(int code) {
    const char* text = nullptr;
    switch (code) {
    case WSAECONNREFUSED: text = "Connection refused"; break;
    case WSAECONNRESET: text = "Connection reset by the server"; break;
    case WSAECONNABORTED: text = "Connection aborted"; break;
    case WSAETIMEDOUT: text = "Connection timed out"; break;
    case WSAENETUNREACH: text = "Network unreachable"; break;
    case WSAEHOSTUNREACH: text = "Host unreachable"; break;
    case WSAHOST_NOT_FOUND: text = "Host not found"; break;
    case WSATRY_AGAIN: text = "Host not found, try again"; break;
    case WSAENOTCONN: text = "Not connected"; break;
    case WSAEADDRINUSE: text = "Address in use"; break;
    case WSAEADDRNOTAVAIL: text = "Address not available"; break;
    case WSAENOBUFS: text = "No buffer space"; break;
    case WSAEMFILE: text = "Too many sockets"; break;
    case WSASYSNOTREADY: text = "Network not ready"; break;
    case WSAVERNOTSUPPORTED: text = "WinSock version not supported"; break;
    default: text = "WinSock error"; break;
    }
    return std::string(text) + " (" + std::to_string(code) + ")";
}

bool ResolveHost(const std::string& host, in_addr& out, std::string& error) {
    unsigned long dotted = inet_addr(host.c_str());
    if (dotted != INADDR_NONE || host == "255.255.255.255") {
        out.s_addr = dotted;
        return true;
    }
    hostent* entry = gethostbyname(host.c_str());
    if (!entry || entry->h_addrtype != AF_INET || !entry->h_addr_list || !entry->h_addr_list[0]) {
        error = "Host " + host + " not found: " + SocketErrorText(WSAGetLastError());
        return false;
    }
    memcpy(&out, entry->h_addr_list[0], sizeof out);
    return true;
}

SOCKET NewStreamSocket(std::string& error) {
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) {
        error = "Cannot create a socket: " + SocketErrorText(WSAGetLastError());
        return s;
    }
    u_long nonBlocking = 1;
    ioctlsocket(s, FIONBIO, &nonBlocking);
    return s;
}

bool ConnectWithin(SOCKET s, const sockaddr_in& to, std::string& error) {
    std::string where = std::string(inet_ntoa(to.sin_addr)) + ":" + std::to_string(ntohs(to.sin_port));
    if (connect(s, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0) return true;
    int code = WSAGetLastError();
    if (code != WSAEWOULDBLOCK && code != WSAEINPROGRESS) {
        error = "Cannot connect to " + where + ": " + SocketErrorText(code);
        return false;
    }
    WaitResult waited = WaitSocket(s, true, nullptr);
    int soError = 0;
    int len = sizeof soError;
    getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &len);
    if (waited == WaitResult::kReady && soError == 0) return true;
    if (waited == WaitResult::kTimeout)
        error = "Cannot connect to " + where + ": no answer within " + std::to_string(NetworkTimeoutMs() / 1000) + " s";
    else
        error = "Cannot connect to " + where + ": " + SocketErrorText(soError ? soError : WSAECONNREFUSED);
    return false;
}

WaitResult WaitSocket(SOCKET s, bool forWrite, const volatile LONG* abortFlag) {
    return WaitSocketWithin(s, forWrite, abortFlag, static_cast<DWORD>(NetworkTimeoutMs()));
}

WaitResult WaitSocketWithin(SOCKET s, bool forWrite, const volatile LONG* abortFlag, DWORD limitMs) {
    DWORD start = GetTickCount();
    bool pumping = true;  // until a WM_QUIT turns up
    for (;;) {
        if (abortFlag && *abortFlag) return WaitResult::kAborted;
        WaitResult polled = PollOnce(s, forWrite, kSliceMs);
        // A busy socket is no reason to stop pumping: a transfer on a fast
        // link finds data ready at every wait, and ftp_abort must still get
        // in. The clock runs across waits, so it is the thread's own.
        // (Not on a failure: the handlers could overwrite its error code.)
        if (pumping && polled != WaitResult::kFailed &&
            (polled == WaitResult::kTimeout || GetTickCount() - t_lastPump >= kSliceMs)) {
            pumping = PumpMessages();
            t_lastPump = GetTickCount();
        }
        if (abortFlag && *abortFlag) return WaitResult::kAborted;
        if (polled != WaitResult::kTimeout) return polled;
        // The time is up; but a message handler (a modal dialog, say) may
        // have held the thread past it while the socket became ready.
        if (GetTickCount() - start >= limitMs) return PollOnce(s, forWrite, 0);
    }
}

bool SendAll(SOCKET s, const char* data, int size, const volatile LONG* abortFlag, std::string& error) {
    int sent = 0;
    while (sent < size) {
        WaitResult waited = WaitSocket(s, true, abortFlag);
        if (waited == WaitResult::kAborted) {
            error = "aborted";
            return false;
        }
        if (waited == WaitResult::kTimeout) {
            error = "no progress within " + std::to_string(NetworkTimeoutMs() / 1000) + " s";
            return false;
        }
        if (waited == WaitResult::kFailed) {
            error = SocketErrorText(WSAGetLastError());
            return false;
        }
        int n = send(s, data + sent, size - sent, 0);
        if (n == SOCKET_ERROR) {
            int code = WSAGetLastError();
            if (code == WSAEWOULDBLOCK) continue;
            error = SocketErrorText(code);
            return false;
        }
        sent += n;
    }
    return true;
}

bool PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return true;
}

}  // namespace tovan
