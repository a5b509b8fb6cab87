// StreamEndpoint: the library's TCP endpoint (server, accepted connection,
// client), each notifying a window or a thread.
//
// Using a client from inside the library (the mail sessions do this):
//
//     WinSockSession* session = CurrentSession();          // null: no WinSock session
//     auto* stream = new (std::nothrow) StreamEndpoint(
//         *session, OwnerNotify::ToWindow(myWindow, kMyMessage));
//     if (!stream) ...;                                    // no memory
//     if (stream->OpenClient() != 0) ...;                  // stream->LastError() says why
//     if (stream->ConnectToPort("mail.example", 25) != 0) ...;
//     // myWindow now receives kMyMessage with wParam = ZENK_STREAM_* code:
//     //   15009 connected; 15005 received (lParam = chunk length): call
//     //   stream->Read(buffer, stream->BufferSize()) once per 15005;
//     //   15006 one Write() fully sent; 15007 send failed; 15008 receive
//     //   failed; 15011 the peer closed. A failed connect posts nothing,
//     //   unless asked for with NoticeConnectFailure (below).
//     stream->Write(line, length);    // 0 = queued (cut to BufferSize() bytes)
//     stream->Close();                // or just delete: the destructor closes
//     delete stream;
//
// All socket work happens when the session's thread dispatches its messages.
#pragma once
#include "sockets/send_progress.h"
#include "sockets/socket_endpoint.h"
#include "zenk32_defs.h"

namespace zenk {

class StreamEndpoint : public SocketEndpoint {
public:
    StreamEndpoint(WinSockSession& session, const OwnerNotify& owner)
        : SocketEndpoint(session, owner) {}
    ~StreamEndpoint() override { Close(); }

    // Set-up of the three roles; exactly one is called, once.
    // Server listening on port (backlog 3): 0 or ZENK_FAILED; a port outside
    // 1..65535 gives 0 with last error 3 and no socket.
    int OpenServer(int port);
    // Endpoint for an accepted connection: registered now, socket at Accept.
    int OpenComm();
    // Unconnected client socket: 0 or ZENK_FAILED.
    int OpenClient();

    // On a listening endpoint: takes one waiting connection into `connection`
    // (made by OpenComm and not yet used), whose owner then receives 15009.
    // 0 or ZENK_FAILED; every failure is recorded in this endpoint.
    int Accept(StreamEndpoint& connection);

    // Starts connecting: 0 when connected or under way (15009 follows),
    // ZENK_FAILED with the last error set.
    int ConnectToPort(const char* host, int port);
    int ConnectToService(const char* host, const char* service);

    // Queues one chunk (cut to BufferSize() bytes). ZENK_FAILED when the
    // event window is gone (1), there is no staging buffer (2) or data is
    // null with a non-zero length (3); 2 when it cannot be queued; else the
    // last error (0 unless an earlier failure left a code).
    [[nodiscard]] int Write(const void* data, std::uint32_t length);
    // Takes the oldest received chunk: 0, or ZENK_FAILED with last error 3.
    int Read(void* buffer, std::uint32_t length);

    void OnSocketEvent(SOCKET socket, LPARAM selectReply) override;

    // For owners inside the library only: a connect that fails is then
    // posted as `code` (lParam: the WinSock code), so the owner need not
    // poll the last error to learn of it. The code must not be one of the
    // ZENK_STREAM_* codes. Endpoints made through the exports never set it,
    // so their owners hear nothing of a failed connect.
    void NoticeConnectFailure(WPARAM code) { connectFailureCode_ = code; }

private:
    // Connects to the host and a port in network order.
    int Connect(const char* host, u_short networkPort);
    // 0 when a connect may start; else last error 1 or 2, as for writes.
    bool CanConnect() { return CheckWritable() == ZENK_ERR_NONE; }
    // FD_READ's work: receives until the staging buffer is full, the socket
    // has nothing more, or kReceiveDrainLimit bytes came, and queues that as
    // one chunk. Returns the chunk's length, else the last recv result
    // (SOCKET_ERROR also without a staging buffer).
    int OnReadable();
    // FD_CLOSE: unread data first, then 15011.
    void OnClosed();
    // FD_WRITE's work: sends queued chunks in order until WinSock would
    // block, the queue is empty or the event's share is used up.
    void SendStep();
    // Removes the head chunk of the send queue and forgets its progress.
    void DropHeadChunk();

    // One FD_WRITE finishes at most this many chunks (each posts its 15006):
    // the owner's message queue is bounded (10000 messages on Windows).
    static constexpr std::uint32_t kSendChunksPerEvent = 64;
    // ...and hands over at most about this many bytes before the other
    // sockets of the thread get their turn.
    static constexpr std::uint32_t kSendBytesPerEvent = 4u << 20;
    // One FD_READ stops receiving once this many bytes came, for the same
    // reason (a chunk is never larger than the buffer size either).
    static constexpr std::uint32_t kReceiveDrainLimit = 4u << 20;

    SendProgress progress_;  // the head chunk, across partial sends
    WPARAM connectFailureCode_ = 0;  // 0: a failed connect posts nothing
};

}  // namespace zenk
