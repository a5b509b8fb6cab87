// SocketEndpoint: the base of every endpoint the event window serves.
#pragma once
#include <windows.h>
#include <winsock.h>

#include "core/owner_notify.h"

namespace zenk {

class WinSockSession;

class SocketEndpoint {
public:
    SocketEndpoint(WinSockSession& session, const OwnerNotify& owner)
        : session_(session), owner_(owner) {}
    virtual ~SocketEndpoint() = default;
    SocketEndpoint(const SocketEndpoint&) = delete;
    SocketEndpoint& operator=(const SocketEndpoint&) = delete;

    // Handles one event of this endpoint's socket; selectReply is the lParam
    // of ZENK_SOCKET_EVENT (event in the low word, error in the high word).
    virtual void OnSocketEvent(SOCKET socket, LPARAM selectReply) = 0;

    // The socket the registry matches events against (INVALID_SOCKET: none yet).
    SOCKET Socket() const { return socket_; }
    int LastError() const { return lastError_; }

protected:
    WinSockSession& session_;        // the session this endpoint was made under
    OwnerNotify owner_;              // where notifications go
    SOCKET socket_ = INVALID_SOCKET; // the endpoint's socket, once it has one
    int lastError_ = 0;              // library or WinSock code; see error_text.h
};

}  // namespace zenk
