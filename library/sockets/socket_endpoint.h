// SocketEndpoint: the base of every endpoint the event window serves.
//
// One non-blocking socket, the owner to notify, a last error, a staging
// buffer that bounds every chunk (received chunks are at most buffer-size
// bytes; written chunks are cut to it), and two PacketQueues: the send queue,
// which write calls fill and the event window's thread empties, and the
// receive queue, which event handling fills and read calls empty. Reads and
// writes never touch the socket; the socket is used only from OnSocketEvent
// and the set-up steps. All WinSock calls go through Ws(), all memory
// through Mem(). No locks: everything runs on the session's thread.
#pragma once
#include <windows.h>
#include <winsock.h>

#include <cstdint>
#include <new>

#include "core/owner_notify.h"
#include "core/socket_event_target.h"
#include "trace/trace.h"
#include "sockets/packet_queue.h"

namespace zenk {

class WinSockSession;

// Size of a fresh endpoint's staging buffer; it can only grow.
constexpr std::uint32_t kDefaultBufferSize = 1024;
// Largest staging buffer: a receive or send length must fit an int.
constexpr std::uint32_t kMaxBufferSize = 0x7FFFFFFF;

class SocketEndpoint : public SocketEventTarget {
public:
    // Allocates the staging buffer (left null when there is no memory: the
    // endpoint's writes and receives then report ZENK_ERR_NO_MEMORY).
    SocketEndpoint(WinSockSession& session, const OwnerNotify& owner);
    // Releases both queues and the staging buffer. Does not close the socket
    // (the endpoint kinds' destructors Close() first).
    virtual ~SocketEndpoint();
    SocketEndpoint(const SocketEndpoint&) = delete;
    SocketEndpoint& operator=(const SocketEndpoint&) = delete;

    // Endpoints are allocated through Mem() so tests can refuse them.
    static void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept;
    static void operator delete(void* block) noexcept;
    static void operator delete(void* block, const std::nothrow_t&) noexcept;

    // SocketEventTarget: the registry matches events against the socket
    // (INVALID_SOCKET: none yet); each endpoint kind handles its own events.
    SOCKET EventSocket() const final { return socket_; }

    SOCKET Socket() const { return socket_; }
    int LastError() const { return lastError_; }
    bool IsServer() const { return server_; }
    std::uint32_t BufferSize() const { return bufferSize_; }

    // ZENKLast...WinSockError: writes the last error and its text (73 bytes);
    // 0, or ZENK_FAILED when either output is null. Does not reset it.
    int ReportLastError(int* code, char* text) const;

    // ZENKSet...BufferSize: grows the staging buffer to size bytes; a smaller
    // size changes nothing. 0, or ZENK_FAILED when the size is above
    // kMaxBufferSize or there is no memory (the old buffer and size are then
    // kept). The last error is not changed.
    int SetBufferSize(std::uint32_t size);

    // Frees the staging buffer, leaves the registry, closes the socket and
    // discards both queues (chunks not yet sent are dropped without a
    // notification). Safe to call more than once.
    void Close();

protected:
    // Opens a non-blocking socket of the type (SOCK_STREAM or SOCK_DGRAM),
    // bound to INADDR_ANY and port_ when bindPort, selecting `mask` events to
    // the event window, and registers the endpoint. False with the last error
    // set (1 when the event window is gone, 2 when the registry cannot hold
    // the endpoint: no socket is kept then, else the WinSock code).
    bool OpenSocket(int type, bool bindPort, long mask);

    // The host (dotted address or name) and a port in network order as a
    // socket address. False with the last error set: 3 for a null host, the
    // resolver's code otherwise.
    bool Resolve(const char* host, u_short networkPort, SocketAddress* address);

    // Queues min(length, buffer size) bytes of data for the address and asks
    // the event window to send them. 2 when the chunk cannot be queued (last
    // error 2), else the last error. The kind checks the window, the buffer
    // and the data first.
    int QueueWrite(const void* data, std::uint32_t length, const SocketAddress& address);

    // Takes the oldest received chunk into buffer (cut to length bytes, the
    // rest discarded) and its address into *address (when not null). 0, or
    // ZENK_FAILED with last error 3 when nothing is queued, when buffer is
    // null with a non-zero length, or (emptyChunkEnds) when the head chunk is
    // the empty one that marks a closed stream, which then stays.
    int TakeRead(void* buffer, std::uint32_t length, SocketAddress* address, bool emptyChunkEnds);

    // 0 when writes can be queued; else the library code that says why not
    // (1: event window gone, 2: no staging buffer), also set as last error.
    int CheckWritable();

    // Common rule of every event: a non-zero error word becomes the last
    // error and the event is not handled. True when that happened.
    bool TakeEventError(LPARAM selectReply);

    // The trace line of one socket event (category kStream or kUdp).
    static void TraceEvent(trace::Category category, SOCKET socket, LPARAM selectReply) {
        if (trace::On(category)) WriteEventTrace(category, socket, selectReply);
    }
    static void WriteEventTrace(trace::Category category, SOCKET socket, LPARAM selectReply);

    // Records a failed WinSock call: would-block clears the last error and
    // gives true; any other code becomes the last error and gives false.
    bool NoteWinSockFailure();

    // Finishes one receive into the staging buffer: n bytes (or
    // SOCKET_ERROR) from `from`. Queues the chunk and tells the owner
    // `received` with n; on a failure or no memory tells it `failed` with the
    // last error set; a would-block only clears the last error. A large
    // chunk is queued in the staging buffer itself, which the queue replaces
    // with another of the same size. A null staging buffer is reported as
    // no memory before any receive is made.
    void FinishReceive(int n, const SocketAddress& from, WPARAM received, WPARAM failed);
    // True when there is no staging buffer to receive into; the owner has
    // then been told `failed` and the last error is 2.
    bool NoStagingFor(WPARAM failed);

    // Posts (socket, event) to the event window, as WinSock would. False
    // when there is no window or its queue is full.
    bool PostSocketEvent(long event);
    // Sending runs as a chain with one FD_WRITE under way per endpoint: a
    // write into an empty queue starts it; each FD_WRITE sends what it may
    // (a UDP endpoint one datagram, a stream as many chunks as the socket
    // takes within its share) and, while chunks wait, either posts the next
    // FD_WRITE or, when a send would block, leaves it to WinSock and the
    // retry timer. SendSoon posts it, or falls back to the retry timer when
    // the post fails, so the chain never breaks.
    void SendSoon();
    // A send that would block is tried again on WinSock's next FD_WRITE, or
    // at the latest after kSendRetryMs by a timer of the event window (its
    // id is the socket). Posting FD_WRITE at once instead would spin while
    // the peer does not read: posted messages come before timers, painting
    // and input, so the thread would run hot and its timers (the mail
    // clients' time limits among them) would never fire.
    void RetrySendLater();
    static constexpr UINT kSendRetryMs = 50;
    // After the head chunk has gone (sent or dropped): SendSoon while more
    // chunks wait. An extra FD_WRITE (WinSock's own after a would-block)
    // finds the queue empty in the end and does nothing.
    void ContinueSending();
    // Removes this socket's events from the event window's queue (Close).
    void DropQueuedEvents(HWND window);

    // The session this endpoint was made under, while it is still the
    // library's session (null once it has ended).
    WinSockSession* LiveSession() const;
    // Its event window, while it is still a window (else null).
    HWND LiveEventWindow() const;

    WinSockSession* session_;        // the session this endpoint was made under
    OwnerNotify owner_;              // where notifications go
    SOCKET socket_ = INVALID_SOCKET; // the endpoint's socket, once it has one
    bool server_ = false;            // servers and accepted stream connections
    int port_ = 0;                   // port a server binds
    int lastError_ = 0;              // library or WinSock code; see error_text.h
    PacketQueue sendQueue_;          // chunks written, not yet sent
    PacketQueue receiveQueue_;       // chunks received, not yet read
    std::uint32_t bufferSize_ = kDefaultBufferSize;  // bytes of staging_
    std::uint8_t* staging_ = nullptr;                // buffer of bufferSize_ bytes, or null

private:
    bool closed_ = false;            // Close() has run
};

// The valid range of port numbers a caller may give.
inline bool IsValidPort(int port) { return port > 0 && port <= 0xFFFF; }

}  // namespace zenk
