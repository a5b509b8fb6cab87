// The endpoint registry: which endpoint owns which socket.
//
// A singly linked list in registration order. The key is not stored: a
// lookup compares each endpoint's socket at the time of the lookup, so an
// endpoint can be registered before it has a socket (an accepted connection)
// and is found once it has one.
#pragma once
#include <winsock.h>

#include "core/socket_event_target.h"

namespace zenk {

class EndpointRegistry {
public:
    EndpointRegistry() = default;
    ~EndpointRegistry() { Clear(); }
    EndpointRegistry(const EndpointRegistry&) = delete;
    EndpointRegistry& operator=(const EndpointRegistry&) = delete;

    // Appends the endpoint at the tail. Returns false when no element can be
    // allocated (the endpoint then receives no events).
    [[nodiscard]] bool Register(SocketEventTarget* endpoint);
    // Removes the first element holding endpoint. False if none (or null).
    bool Unregister(SocketEventTarget* endpoint);
    // The first endpoint, in list order, whose socket is `socket`, or null.
    SocketEventTarget* Lookup(SOCKET socket);
    // Frees every element; the endpoints themselves are untouched.
    void Clear();

private:
    struct Element {
        SocketEventTarget* endpoint;  // registered endpoint, never null
        Element* next;             // next element in registration order
    };
    Element* head_ = nullptr;    // first element, or null when empty
    Element* cursor_ = nullptr;  // scratch pointer for walks; starts at head
};

}  // namespace zenk
