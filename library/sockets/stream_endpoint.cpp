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
    session_->Registry().Register(this);
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

void StreamEndpoint::OnSocketEvent(SOCKET, LPARAM selectReply) {
    // A connection that is reset or aborted arrives as FD_CLOSE with an
    // error word: the owner still hears 15011, with the code in the last
    // error. Any other event with an error is not handled.
    if (TakeEventError(selectReply) && WSAGETSELECTEVENT(selectReply) != FD_CLOSE) return;
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
    int n = Ws().recv(socket_, reinterpret_cast<char*>(staging_), static_cast<int>(bufferSize_), 0);
    // n is 0 when the peer has closed: the empty chunk marks the end.
    FinishReceive(n, SocketAddress{}, ZENK_STREAM_RECEIVED, ZENK_STREAM_RECEIVE_ERROR);
    return n;
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

void StreamEndpoint::SendStep() {
    sendQueue_.Rewind();
    std::uint32_t chunk = 0;
    if (!sendQueue_.Peek(&chunk)) return;
    if (!staging_ || chunk > bufferSize_) {
        // The buffer went away (no memory when it was remade): the chunk
        // cannot be sent, which the owner hears like any send failure.
        lastError_ = ZENK_ERR_NO_MEMORY;
        owner_.Post(ZENK_STREAM_SEND_ERROR);
        DropHeadChunk();
        return;
    }
    sendQueue_.Take(staging_, chunk, nullptr, false);
    SendProgress::Step step = progress_.Next(chunk);
    int n = Ws().send(socket_, reinterpret_cast<const char*>(staging_ + step.offset),
                      static_cast<int>(step.length), 0);
    if (n == SOCKET_ERROR) {
        if (NoteWinSockFailure()) {
            RetrySendLater();  // the chunk stays in progress
            return;
        }
        owner_.Post(ZENK_STREAM_SEND_ERROR);
        DropHeadChunk();
        return;
    }
    if (progress_.Advance(static_cast<std::uint32_t>(n))) {
        owner_.Post(ZENK_STREAM_SENT, n);  // the bytes of the chunk's final send
        DropHeadChunk();
    } else {
        SendSoon();  // the rest goes on a later FD_WRITE
    }
}

void StreamEndpoint::DropHeadChunk() {
    progress_.Reset();
    sendQueue_.Rewind();
    sendQueue_.Take(nullptr, 0, nullptr, true);
    ContinueSending();
}

}  // namespace zenk
