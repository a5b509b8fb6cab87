// What the event window hands a socket event to.
//
// The core owns the hidden event window and the registry of who listens on
// which socket; what an event means is the sockets family's business (its
// endpoints implement this). So the core needs no endpoint header, and the
// sockets family builds on the core, never the other way round.
#pragma once
#include <windows.h>
#include <winsock.h>

namespace zenk {

class SocketEventTarget {
public:
    // The socket the registry matches events against (INVALID_SOCKET: none yet).
    virtual SOCKET EventSocket() const = 0;
    // Handles one event of that socket; selectReply is the lParam of
    // ZENK_SOCKET_EVENT (event in the low word, error in the high word).
    virtual void OnSocketEvent(SOCKET socket, LPARAM selectReply) = 0;

protected:
    ~SocketEventTarget() = default;
};

}  // namespace zenk
