#include "sockets/packet_queue.h"

#include <cstring>
#include <new>

#include "core/endpoint_memory.h"

namespace zenk {

bool PacketQueue::Append(const void* data, std::uint32_t length, const SocketAddress& address) {
    if (!data && length) return false;
    void* block = Mem().allocate(sizeof(QueuedPacket));
    if (!block) return false;
    std::uint32_t capacity = length ? length : 1;
    // A spare fits when the chunk fills at least half of it.
    std::uint8_t* copy = TakeSpare(length, 2 * static_cast<std::uint64_t>(length), &capacity);
    if (!copy) copy = static_cast<std::uint8_t*>(Mem().allocate(capacity));
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
    std::uint32_t replacementCapacity = capacity;
    std::uint8_t* replacement =
        TakeSpare(capacity, 2 * static_cast<std::uint64_t>(capacity), &replacementCapacity);
    if (!replacement) replacement = static_cast<std::uint8_t*>(Mem().allocate(capacity));
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
    while (spareCount_) ReleaseOldestSpare();
}

std::uint8_t* PacketQueue::TakeSpare(std::uint64_t minimum, std::uint64_t maximum,
                                     std::uint32_t* capacity) {
    if (minimum < kSpareMinimum / 2) return nullptr;  // small: not worth a spare
    for (std::size_t i = spareCount_; i-- > 0;) {     // the newest first
        if (spares_[i].capacity < minimum || spares_[i].capacity > maximum) continue;
        Spare found = spares_[i];
        for (std::size_t k = i + 1; k < spareCount_; ++k) spares_[k - 1] = spares_[k];
        --spareCount_;
        spareBytes_ -= found.capacity;
        *capacity = found.capacity;
        return found.block;
    }
    return nullptr;
}

void PacketQueue::KeepSpare(std::uint8_t* block, std::uint32_t capacity) {
    if (capacity < kSpareMinimum) {
        Mem().release(block);
        return;
    }
    // Room is made by letting the oldest go: the newest fit the next chunks likeliest.
    while (spareCount_ && (spareCount_ == kMaxSpares || spareBytes_ + capacity > kMaxSpareBytes))
        ReleaseOldestSpare();
    spares_[spareCount_++] = {block, capacity};
    spareBytes_ += capacity;
}

void PacketQueue::ReleaseOldestSpare() {
    Mem().release(spares_[0].block);
    spareBytes_ -= spares_[0].capacity;
    for (std::size_t k = 1; k < spareCount_; ++k) spares_[k - 1] = spares_[k];
    --spareCount_;
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
    KeepSpare(packet->data, packet->capacity);
    packet->~QueuedPacket();
    Mem().release(packet);
}

}  // namespace zenk
