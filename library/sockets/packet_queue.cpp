#include "sockets/packet_queue.h"

#include <cstring>
#include <new>

#include "sockets/endpoint_memory.h"

namespace zenk {

bool PacketQueue::Append(const void* data, std::uint32_t length, const SocketAddress& address) {
    if (!data && length) return false;
    void* block = Mem().allocate(sizeof(QueuedPacket));
    if (!block) return false;
    auto* copy = static_cast<std::uint8_t*>(Mem().allocate(length ? length : 1));
    if (!copy) {
        Mem().release(block);
        return false;
    }
    if (length) std::memcpy(copy, data, length);
    auto* packet = new (block) QueuedPacket{copy, length, address, nullptr, nullptr};
    if (!head_) {
        head_ = packet;
        return true;
    }
    QueuedPacket* tail = head_;
    while (tail->next) tail = tail->next;
    tail->next = packet;
    packet->previous = tail;
    return true;
}

bool PacketQueue::Peek(std::uint32_t* length) const {
    std::uint32_t n = cursor_ ? cursor_->length : 0;
    if (length) *length = n;
    return cursor_ != nullptr;
}

bool PacketQueue::Take(void* destination, std::uint32_t maximum, SocketAddress* address,
                       bool remove) {
    QueuedPacket* packet = cursor_;
    if (!packet) return false;
    std::uint32_t n = packet->length < maximum ? packet->length : maximum;
    if (n && destination) std::memcpy(destination, packet->data, n);
    if (address) *address = packet->address;
    cursor_ = packet->next;
    if (remove) {
        Unlink(packet);
        Free(packet);
    }
    return true;
}

void PacketQueue::Clear() {
    while (head_) {
        QueuedPacket* next = head_->next;
        Free(head_);
        head_ = next;
    }
    cursor_ = nullptr;
}

std::size_t PacketQueue::Count() const {
    std::size_t n = 0;
    for (const QueuedPacket* p = head_; p; p = p->next) ++n;
    return n;
}

void PacketQueue::Unlink(QueuedPacket* packet) {
    if (packet->previous) packet->previous->next = packet->next;
    else head_ = packet->next;
    if (packet->next) packet->next->previous = packet->previous;
}

void PacketQueue::Free(QueuedPacket* packet) {
    Mem().release(packet->data);
    packet->~QueuedPacket();
    Mem().release(packet);
}

}  // namespace zenk
