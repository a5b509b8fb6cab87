#include "sockets/packet_queue.h"

#include <cstring>
#include <new>

#include "sockets/endpoint_memory.h"

namespace zenk {

bool PacketQueue::Append(const void* data, std::uint32_t length, const SocketAddress& address) {
    if (!data && length) return false;
    void* block = Mem().allocate(sizeof(QueuedPacket));
    if (!block) return false;
    std::uint8_t* copy = nullptr;
    std::uint32_t capacity = length ? length : 1;
    if (spare_ && length <= spareCapacity_ && length >= spareCapacity_ / 2) {
        copy = spare_;  // fits without wasting more than half of it
        capacity = spareCapacity_;
        spare_ = nullptr;
        spareCapacity_ = 0;
    } else {
        copy = static_cast<std::uint8_t*>(Mem().allocate(capacity));
    }
    if (!copy) {
        Mem().release(block);
        return false;
    }
    if (length) std::memcpy(copy, data, length);
    Link(new (block) QueuedPacket{copy, length, capacity, address, nullptr, nullptr});
    return true;
}

bool PacketQueue::AppendInPlace(std::uint8_t** block, std::uint32_t capacity, std::uint32_t length,
                                const SocketAddress& address) {
    if (!block || !*block || length > capacity) return false;
    if (capacity < kSpareMinimum || length < capacity / 2) return Append(*block, length, address);
    void* element = Mem().allocate(sizeof(QueuedPacket));
    if (!element) return false;
    std::uint8_t* replacement = nullptr;
    if (spare_ && spareCapacity_ >= capacity && spareCapacity_ / 2 <= capacity) {
        replacement = spare_;
        spare_ = nullptr;
        spareCapacity_ = 0;
    } else {
        replacement = static_cast<std::uint8_t*>(Mem().allocate(capacity));
    }
    if (!replacement) {
        Mem().release(element);
        return false;
    }
    Link(new (element) QueuedPacket{*block, length, capacity, address, nullptr, nullptr});
    *block = replacement;
    return true;
}

void PacketQueue::Link(QueuedPacket* packet) {
    if (!head_) {
        head_ = tail_ = packet;
        return;
    }
    tail_->next = packet;
    packet->previous = tail_;
    tail_ = packet;
}

bool PacketQueue::Peek(std::uint32_t* length, const std::uint8_t** data) const {
    std::uint32_t n = cursor_ ? cursor_->length : 0;
    if (length) *length = n;
    if (data) *data = cursor_ ? cursor_->data : nullptr;
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
    tail_ = cursor_ = nullptr;
    Mem().release(spare_);
    spare_ = nullptr;
    spareCapacity_ = 0;
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
    else tail_ = packet->previous;
}

void PacketQueue::Free(QueuedPacket* packet) {
    if (packet->capacity >= kSpareMinimum) {
        Mem().release(spare_);  // the newest block is kept: it fits the next chunk likeliest
        spare_ = packet->data;
        spareCapacity_ = packet->capacity;
    } else {
        Mem().release(packet->data);
    }
    packet->~QueuedPacket();
    Mem().release(packet);
}

}  // namespace zenk
