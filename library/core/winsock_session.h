// WinSockSession: the one object through which the library uses WinSock.
#pragma once
#include <windows.h>
#include <winsock.h>

#include "core/win_endpoint_registry.h"

namespace zenk {

class WinSockSession {
public:
    // Calls WSAStartup(version); its result becomes the last error.
    explicit WinSockSession(WORD version);
    // Clears the current-session pointer, destroys the event window and frees
    // the registry elements. WinSock's own clean-up call is never made.
    ~WinSockSession();
    WinSockSession(const WinSockSession&) = delete;
    WinSockSession& operator=(const WinSockSession&) = delete;

    // Becomes the current session and creates the hidden event window.
    // False (last error ZENK_ERR_API) when the class or window cannot be made.
    bool Start();

    // Host queries: return the last error; do nothing once it is not 0.
    int GetInfo(WORD* version, char* description, char* systemStatus, WORD* maxSockets,
                WORD* maxDatagram, char* vendorInfo);
    int GetMyName(char* hostName, char* addresses);
    int GetServerIP(const char* hostName, char* addresses);

    int LastError() const { return lastError_; }
    HWND EventWindow() const { return eventWindow_; }
    EndpointRegistry& Registry() { return registry_; }

private:
    // gethostbyname of the name, then its address list; the query's code on failure.
    int Resolve(const char* hostName, char* addresses);
    // Makes WSAGetLastError() the lasting last error (ZENK_ERR_API if it is 0).
    int RecordFailure();
    // Writes the addresses of a host entry as "a.b.c.d+e.f.g.h".
    static void WriteAddressList(const hostent* host, char* addresses);

    WSADATA startup_{};          // as filled by WSAStartup
    HWND eventWindow_ = nullptr; // the hidden "ZENK_WINSOCK" window
    int lastError_ = 0;          // WSAStartup result, ZENK_ERR_API, or a failed query's code
    EndpointRegistry registry_;  // endpoints served by the event window
};

// The session the event window's procedure reaches (null when none).
WinSockSession* EventWindowSession();

}  // namespace zenk
