#include "core/win_endpoint_registry.h"

#include <new>

#include "core/endpoint_memory.h"

namespace zenk {

bool EndpointRegistry::Register(SocketEventTarget* endpoint) {
    if (!endpoint) return false;
    // Through Mem(), like the endpoints, so tests can refuse it.
    void* block = Mem().allocate(sizeof(Element));
    if (!block) return false;
    Element* element = new (block) Element{endpoint, nullptr};
    if (!head_) {
        head_ = element;
        return true;
    }
    for (cursor_ = head_; cursor_->next; cursor_ = cursor_->next) {}
    cursor_->next = element;
    return true;
}

bool EndpointRegistry::Unregister(SocketEventTarget* endpoint) {
    if (!endpoint) return false;
    Element* previous = nullptr;
    for (cursor_ = head_; cursor_; previous = cursor_, cursor_ = cursor_->next) {
        if (cursor_->endpoint != endpoint) continue;
        (previous ? previous->next : head_) = cursor_->next;
        Mem().release(cursor_);
        cursor_ = nullptr;
        return true;
    }
    return false;
}

SocketEventTarget* EndpointRegistry::Lookup(SOCKET socket) {
    if (socket == INVALID_SOCKET) return nullptr;  // endpoints without a socket never match
    for (cursor_ = head_; cursor_; cursor_ = cursor_->next)
        if (cursor_->endpoint->EventSocket() == socket) return cursor_->endpoint;
    return nullptr;
}

void EndpointRegistry::Clear() {
    for (cursor_ = head_; cursor_;) {
        Element* next = cursor_->next;
        Mem().release(cursor_);
        cursor_ = next;
    }
    head_ = nullptr;
}

}  // namespace zenk
