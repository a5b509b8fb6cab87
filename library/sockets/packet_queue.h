// PacketQueue: the send and receive queues of an endpoint.
//
// A doubly linked list of heap copies of data chunks in arrival order, each
// with the 16-byte IPv4 socket address it was received from or is to be sent
// to (stream endpoints leave the address unused). A cursor walks the list:
// callers Rewind() before a Peek() or Take(). The tail is kept, so appending
// costs the same however long the queue is.
//
// The data blocks of the last few large chunks freed are kept as spares and
// take the next chunks that fit them: a stream of large chunks then reuses a
// few blocks instead of mapping and unmapping fresh pages for each (under
// Wine a large block costs more in page faults than its copy). At most
// kMaxSpares blocks of together kMaxSpareBytes (or one larger block) are
// kept, each at most twice the size of the chunk it takes, so what a queue
// holds stays near what it last had in use. Portable: no Windows header.
#pragma once
#include <cstddef>
#include <cstdint>

namespace zenk {

// Capacity of a socket address: family, port and address in network order,
// then 8 zero bytes (the platform's sockaddr_in).
constexpr std::size_t kSocketAddressSize = 16;

struct SocketAddress {
    std::uint8_t bytes[kSocketAddressSize];  // a sockaddr_in, byte for byte
};

class PacketQueue {
public:
    PacketQueue() = default;
    ~PacketQueue() { Clear(); }
    PacketQueue(const PacketQueue&) = delete;
    PacketQueue& operator=(const PacketQueue&) = delete;

    // Copies length bytes of data and the address into a new chunk at the
    // tail. False, changing nothing, when memory runs out or data is null
    // with a non-zero length. A length of 0 queues an empty chunk.
    [[nodiscard]] bool Append(const void* data, std::uint32_t length, const SocketAddress& address);

    // Queues the first length bytes of *block (capacity bytes, allocated
    // through Mem()) at the tail without copying them when they fill at least
    // half of it and it is large (kSpareMinimum): the queue then takes the
    // block and puts another of at least capacity bytes in *block (its
    // spare, or a fresh one). Otherwise the bytes are copied as by Append
    // and *block stays. False, changing nothing, when memory runs out.
    [[nodiscard]] bool AppendInPlace(std::uint8_t** block, std::uint32_t capacity, std::uint32_t length,
                       const SocketAddress& address);

    // Moves the cursor to the head.
    void Rewind() { cursor_ = head_; }

    // True with the length of the chunk at the cursor; false with 0 when the
    // cursor is past the end. With data given, *data points at the chunk's
    // bytes (valid until that chunk is taken with removal or cleared), so a
    // sender can hand them to the socket without copying them first.
    bool Peek(std::uint32_t* length, const std::uint8_t** data = nullptr) const;

    // Copies the smaller of the chunk's length and maximum bytes into
    // destination (which may be null only when maximum is 0) and its address
    // into *address (when not null), then moves the cursor to the next chunk.
    // With remove set the chunk is unlinked and freed. False when the cursor
    // is past the end.
    bool Take(void* destination, std::uint32_t maximum, SocketAddress* address, bool remove);

    // Frees every chunk, starting at the head, and the spare blocks.
    void Clear();

    bool Empty() const { return head_ == nullptr; }
    std::size_t Count() const;

    // Blocks from this size on are kept as spares when freed. Smaller ones
    // come cheaply from the heap's own free lists; Wine maps every block from
    // about 512 KiB (32-bit) or 1 MiB (64-bit) on afresh.
    static constexpr std::uint32_t kSpareMinimum = 256 * 1024;
    // Bounds of the spares: enough for a few large writes in flight.
    static constexpr std::size_t kMaxSpares = 4;
    static constexpr std::uint64_t kMaxSpareBytes = 4u << 20;

private:
    struct QueuedPacket {
        std::uint8_t* data;     // heap copy of the chunk (at least one byte allocated)
        std::uint32_t length;   // bytes of data in the chunk
        std::uint32_t capacity; // bytes allocated at data (at least length, at least 1)
        SocketAddress address;  // sender (receive queue) or destination (send queue)
        QueuedPacket* next;     // toward the tail
        QueuedPacket* previous; // toward the head
    };

    // A spare of minimum..maximum bytes (its size in *capacity), or null.
    std::uint8_t* TakeSpare(std::uint64_t minimum, std::uint64_t maximum, std::uint32_t* capacity);
    // Keeps a freed data block as a spare, or releases it.
    void KeepSpare(std::uint8_t* block, std::uint32_t capacity);
    void ReleaseOldestSpare();
    void Link(QueuedPacket* packet);
    void Unlink(QueuedPacket* packet);
    void Free(QueuedPacket* packet);

    QueuedPacket* head_ = nullptr;    // oldest chunk, or null when empty
    QueuedPacket* tail_ = nullptr;    // newest chunk, or null when empty
    QueuedPacket* cursor_ = nullptr;  // chunk the next Peek/Take looks at
    struct Spare {
        std::uint8_t* block;     // a freed large data block
        std::uint32_t capacity;  // its bytes
    };
    Spare spares_[kMaxSpares] = {};  // oldest first
    std::size_t spareCount_ = 0;     // spares_ in use
    std::uint64_t spareBytes_ = 0;   // bytes of all spares
};

}  // namespace zenk
