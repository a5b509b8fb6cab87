#include "sockets/stream_endpoint.h"

#include "core/winsock_api.h"
#include "core/winsock_session.h"
#include "zenk32_defs.h"

namespace zenk {
namespace {

constexpr long kClientEvents = FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE;  // also accepted
constexpr long kServerEvents = FD_READ | FD_WRITE | FD_ACCEPT | FD_CLOSE;
constexpr int kListenBacklog = 3;

}  // namespace

int StreamEndpoint::OpenServer(int port) {
    if (!IsValidPort(port)) {
        lastError_ = ZENK_ERR_BAD_VALUE;
        return ZENK_OK;  // the handle exists without a socket
    }
    port_ = port;
    server_ = true;
    if (!OpenSocket(SOCK_STREAM, true, kServerEvents)) return ZENK_FAILED;
    if (Ws().listen(socket_, kListenBacklog) != 0) {
        lastError_ = Ws().WSAGetLastError();
        session_->Registry().Unregister(this);
        Ws().closesocket(socket_);
        socket_ = INVALID_SOCKET;
        return ZENK_FAILED;
    }
    return ZENK_OK;
}

int StreamEndpoint::OpenComm() {
    server_ = true;
    if (!session_->Registry().Register(this)) {  // it could never hear of its connection
        lastError_ = ZENK_ERR_NO_MEMORY;
        return ZENK_FAILED;
    }
    return ZENK_OK;
}

int StreamEndpoint::OpenClient() {
    server_ = false;
    return OpenSocket(SOCK_STREAM, false, kClientEvents) ? ZENK_OK : ZENK_FAILED;
}

int StreamEndpoint::Accept(StreamEndpoint& connection) {
    if (!server_) {
        lastError_ = ZENK_ERR_NOT_SERVER;
        return ZENK_FAILED;
    }
    if (connection.socket_ != INVALID_SOCKET || &connection == this || connection.LiveSession() != LiveSession()) {
        lastError_ = ZENK_ERR_BAD_VALUE;  // a connection endpoint serves one accept, in this session
        return ZENK_FAILED;
    }
    HWND window = LiveEventWindow();
    if (!window) {
        lastError_ = ZENK_ERR_API;
        return ZENK_FAILED;
    }
    SOCKET accepted = Ws().accept(socket_, nullptr, nullptr);
    if (accepted == INVALID_SOCKET) {
        lastError_ = Ws().WSAGetLastError();
        return ZENK_FAILED;
    }
    const BOOL dontLinger = TRUE;
    Ws().setsockopt(accepted, SOL_SOCKET, SO_DONTLINGER,
                    reinterpret_cast<const char*>(&dontLinger), sizeof dontLinger);
    if (Ws().WSAAsyncSelect(accepted, window, ZENK_SOCKET_EVENT, kClientEvents) != 0) {
        lastError_ = Ws().WSAGetLastError();
        Ws().closesocket(accepted);
        return ZENK_FAILED;
    }
    connection.socket_ = accepted;
    // Events find the connection by its socket from now on. One that is not
    // registered (no memory when it was made, or a failed client handed in)
    // is registered here, or the accept fails.
    EndpointRegistry& registry = LiveSession()->Registry();
    if (registry.Lookup(accepted) != &connection && !registry.Register(&connection)) {
        connection.socket_ = INVALID_SOCKET;
        Ws().closesocket(accepted);
        lastError_ = ZENK_ERR_NO_MEMORY;
        return ZENK_FAILED;
    }
    connection.PostSocketEvent(FD_CONNECT);  // its owner hears 15009
    return ZENK_OK;
}

int StreamEndpoint::ConnectToPort(const char* host, int port) {
    if (!CanConnect()) return ZENK_FAILED;
    if (!IsValidPort(port)) {
        lastError_ = ZENK_ERR_BAD_VALUE;
        return ZENK_FAILED;
    }
    return Connect(host, htons(static_cast<u_short>(port)));
}

int StreamEndpoint::ConnectToService(const char* host, const char* service) {
    if (!CanConnect()) return ZENK_FAILED;
    if (!service) {
        lastError_ = ZENK_ERR_BAD_VALUE;
        return ZENK_FAILED;
    }
    const servent* entry = Ws().getservbyname(service, "tcp");
    if (!entry) {
        int code = Ws().WSAGetLastError();
        lastError_ = code ? code : WSANO_DATA;
        return ZENK_FAILED;
    }
    return Connect(host, static_cast<u_short>(entry->s_port));  // already in network order
}

int StreamEndpoint::Connect(const char* host, u_short networkPort) {
    SocketAddress to;
    if (!Resolve(host, networkPort, &to)) return ZENK_FAILED;
    if (Ws().connect(socket_, reinterpret_cast<const sockaddr*>(to.bytes), sizeof to.bytes) == 0)
        return ZENK_OK;
    return NoteWinSockFailure() ? ZENK_OK : ZENK_FAILED;  // would-block: FD_CONNECT follows
}

int StreamEndpoint::Write(const void* data, std::uint32_t length) {
    if (CheckWritable() != ZENK_ERR_NONE) return ZENK_FAILED;
    if (!data && length) {
        lastError_ = ZENK_ERR_BAD_VALUE;
        return ZENK_FAILED;
    }
    return QueueWrite(data, length, SocketAddress{});
}

int StreamEndpoint::Read(void* buffer, std::uint32_t length) {
    return TakeRead(buffer, length, nullptr, true);
}

void StreamEndpoint::OnSocketEvent(SOCKET socket, LPARAM selectReply) {
    TraceEvent(trace::kStream, socket, selectReply);
    // A connection that is reset or aborted arrives as FD_CLOSE with an
    // error word: the owner still hears 15011, with the code in the last
    // error. Any other event with an error is not handled, except that an
    // owner inside the library may have asked to hear of a failed connect.
    if (TakeEventError(selectReply) && WSAGETSELECTEVENT(selectReply) != FD_CLOSE) {
        if (WSAGETSELECTEVENT(selectReply) == FD_CONNECT && connectFailureCode_ != 0)
            owner_.Post(connectFailureCode_, lastError_);
        return;
    }
    switch (WSAGETSELECTEVENT(selectReply)) {
    case FD_READ: OnReadable(); break;
    case FD_WRITE: SendStep(); break;
    case FD_ACCEPT: owner_.Post(ZENK_STREAM_ACCEPT_READY); break;
    case FD_CONNECT: owner_.Post(ZENK_STREAM_CONNECTED); break;
    case FD_CLOSE: OnClosed(); break;
    default: break;
    }
}

int StreamEndpoint::OnReadable() {
    if (NoStagingFor(ZENK_STREAM_RECEIVE_ERROR)) return SOCKET_ERROR;
    // One event takes what the socket holds, up to a full staging buffer,
    // and announces it as one chunk: the owner hears one 15005 per buffer
    // rather than one per segment that happened to be there.
    std::uint32_t filled = 0;
    int n = 0;
    do {
        n = Ws().recv(socket_, reinterpret_cast<char*>(staging_ + filled),
                      static_cast<int>(bufferSize_ - filled), 0);
        if (n > 0) filled += static_cast<std::uint32_t>(n);
    } while (n > 0 && filled < bufferSize_ && filled < kReceiveDrainLimit);
    if (filled == 0) {
        // n is 0 when the peer has closed: the empty chunk marks the end.
        FinishReceive(n, SocketAddress{}, ZENK_STREAM_RECEIVED, ZENK_STREAM_RECEIVE_ERROR);
        return n;
    }
    const int failure = n == SOCKET_ERROR ? Ws().WSAGetLastError() : 0;
    FinishReceive(static_cast<int>(filled), SocketAddress{}, ZENK_STREAM_RECEIVED,
                  ZENK_STREAM_RECEIVE_ERROR);
    if (n == 0) {
        // The peer closed right behind the data: its empty chunk follows.
        FinishReceive(0, SocketAddress{}, ZENK_STREAM_RECEIVED, ZENK_STREAM_RECEIVE_ERROR);
    } else if (n == SOCKET_ERROR && failure != WSAEWOULDBLOCK) {
        // The data went first; now the failure. (A would-block that only
        // ends the drain is no news and leaves the last error alone.)
        Ws().WSASetLastError(failure);
        FinishReceive(SOCKET_ERROR, SocketAddress{}, ZENK_STREAM_RECEIVED, ZENK_STREAM_RECEIVE_ERROR);
    }
    return static_cast<int>(filled);
}

// WinSock may report the close while data is still unread. That data comes
// first, one chunk per event as always, and 15011 only once none is left:
// an owner that stops at 15011 then has had every byte.
void StreamEndpoint::OnClosed() {
    u_long unread = 0;
    if (Ws().ioctlsocket(socket_, FIONREAD, &unread) == 0 && unread > 0 && OnReadable() > 0) {
        PostSocketEvent(FD_CLOSE);
        return;
    }
    owner_.Post(ZENK_STREAM_CLOSED);
}

// One FD_WRITE sends chunk after chunk, straight from the queue, until the
// queue is empty or WinSock would block (then its next FD_WRITE, or the
// retry timer, carries on). So that one endpoint neither floods its owner's
// message queue nor keeps the thread from its other sockets, an event stops
// after kSendChunksPerEvent chunks or kSendBytesPerEvent bytes and posts
// the next FD_WRITE itself.
void StreamEndpoint::SendStep() {
    std::uint32_t chunks = 0;
    std::uint32_t bytes = 0;
    for (;;) {
        sendQueue_.Rewind();
        std::uint32_t chunk = 0;
        const std::uint8_t* data = nullptr;
        if (!sendQueue_.Peek(&chunk, &data)) return;
        if (chunks >= kSendChunksPerEvent || bytes >= kSendBytesPerEvent) {
            SendSoon();
            return;
        }
        if (!staging_ || chunk > bufferSize_) {
            // The buffer went away (no memory when it was remade): the chunk
            // cannot be sent, which the owner hears like any send failure.
            lastError_ = ZENK_ERR_NO_MEMORY;
            owner_.Post(ZENK_STREAM_SEND_ERROR);
            DropHeadChunk();
            ++chunks;
            continue;
        }
        SendProgress::Step step = progress_.Next(chunk);
        int n = Ws().send(socket_, reinterpret_cast<const char*>(data + step.offset),
                          static_cast<int>(step.length), 0);
        if (n == SOCKET_ERROR) {
            if (NoteWinSockFailure()) {
                RetrySendLater();  // the chunk stays in progress
                return;
            }
            owner_.Post(ZENK_STREAM_SEND_ERROR);
            DropHeadChunk();
            ++chunks;
            continue;
        }
        bytes += static_cast<std::uint32_t>(n);
        if (progress_.Advance(static_cast<std::uint32_t>(n))) {
            owner_.Post(ZENK_STREAM_SENT, n);  // the bytes of the chunk's final send
            DropHeadChunk();
            ++chunks;
        }
        // A partial send goes on at once: the send that then would block is
        // what makes WinSock report FD_WRITE again when there is room.
    }
}

void StreamEndpoint::DropHeadChunk() {
    progress_.Reset();
    sendQueue_.Rewind();
    sendQueue_.Take(nullptr, 0, nullptr, true);
}

}  // namespace zenk
