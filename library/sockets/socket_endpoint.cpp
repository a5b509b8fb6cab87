#include "sockets/socket_endpoint.h"

#include <cstring>
#include <utility>
#include <vector>

#include "core/error_text.h"
#include "core/event_window.h"
#include "core/win_library_state.h"
#include "core/winsock_api.h"
#include "core/winsock_session.h"
#include "core/endpoint_memory.h"
#include "zenk32_defs.h"

namespace zenk {

SocketEndpoint::SocketEndpoint(WinSockSession& session, const OwnerNotify& owner)
    : session_(&session), owner_(owner) {
    staging_ = static_cast<std::uint8_t*>(Mem().allocate(bufferSize_));
}

SocketEndpoint::~SocketEndpoint() {
    Mem().release(staging_);
    staging_ = nullptr;
}

void* SocketEndpoint::operator new(std::size_t bytes, const std::nothrow_t&) noexcept {
    return Mem().allocate(bytes);
}
void SocketEndpoint::operator delete(void* block) noexcept { Mem().release(block); }
void SocketEndpoint::operator delete(void* block, const std::nothrow_t&) noexcept {
    Mem().release(block);
}

int SocketEndpoint::ReportLastError(int* code, char* text) const {
    if (!code || !text) return ZENK_FAILED;
    *code = lastError_;
    FormatErrorText(lastError_, text, kErrorTextCapacity);
    return ZENK_OK;
}

int SocketEndpoint::SetBufferSize(std::uint32_t size) {
    if (bufferSize_ >= size && staging_) return ZENK_OK;
    if (size > kMaxBufferSize) return ZENK_FAILED;
    if (size < bufferSize_) size = bufferSize_;  // a missing buffer is remade, never smaller
    auto* fresh = static_cast<std::uint8_t*>(Mem().allocate(size));
    if (!fresh) return ZENK_FAILED;  // the old buffer stays usable
    Mem().release(staging_);
    staging_ = fresh;
    bufferSize_ = size;
    return ZENK_OK;
}

void SocketEndpoint::Close() {
    if (closed_) return;
    closed_ = true;
    if (HWND window = LiveEventWindow(); window && socket_ != INVALID_SOCKET) {
        KillTimer(window, static_cast<UINT_PTR>(socket_));
        DropQueuedEvents(window);
    }
    Mem().release(staging_);
    staging_ = nullptr;
    if (WinSockSession* session = LiveSession()) session->Registry().Unregister(this);
    if (socket_ != INVALID_SOCKET) Ws().closesocket(socket_);
    socket_ = INVALID_SOCKET;
    receiveQueue_.Clear();
    sendQueue_.Clear();
}

bool SocketEndpoint::OpenSocket(int type, bool bindPort, long mask) {
    HWND window = LiveEventWindow();
    if (!window) {
        lastError_ = ZENK_ERR_API;
        return false;
    }
    socket_ = Ws().socket(AF_INET, type, 0);
    if (socket_ == INVALID_SOCKET) {
        lastError_ = Ws().WSAGetLastError();
        return false;
    }
    const BOOL dontLinger = TRUE;  // a close returns at once
    Ws().setsockopt(socket_, SOL_SOCKET, SO_DONTLINGER, reinterpret_cast<const char*>(&dontLinger),
                    sizeof dontLinger);
    bool ok = true;
    if (bindPort) {
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_port = htons(static_cast<u_short>(port_));
        local.sin_addr.s_addr = htonl(INADDR_ANY);
        ok = Ws().bind(socket_, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
    }
    if (ok) ok = Ws().WSAAsyncSelect(socket_, window, kSocketEventMessage, mask) == 0;
    if (!ok) {
        lastError_ = Ws().WSAGetLastError();
        Ws().closesocket(socket_);
        socket_ = INVALID_SOCKET;
        return false;
    }
    // An endpoint the registry cannot hold would never hear of its socket:
    // refuse it rather than report a socket that stays silent.
    if (!session_->Registry().Register(this)) {
        lastError_ = ZENK_ERR_NO_MEMORY;
        Ws().closesocket(socket_);
        socket_ = INVALID_SOCKET;
        return false;
    }
    return true;
}

bool SocketEndpoint::Resolve(const char* host, u_short networkPort, SocketAddress* address) {
    if (!host) {
        lastError_ = ZENK_ERR_BAD_VALUE;
        return false;
    }
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = networkPort;
    unsigned long dotted = Ws().inet_addr(host);
    if (dotted != INADDR_NONE) {
        to.sin_addr.s_addr = dotted;
    } else {
        const hostent* entry = Ws().gethostbyname(host);
        if (!entry) {
            int code = Ws().WSAGetLastError();
            lastError_ = code ? code : WSAHOST_NOT_FOUND;
            return false;
        }
        if (entry->h_addrtype != AF_INET || entry->h_length != 4 || !entry->h_addr_list ||
            !entry->h_addr_list[0]) {
            lastError_ = WSANO_DATA;  // a name without an IPv4 address
            return false;
        }
        std::memcpy(&to.sin_addr, entry->h_addr_list[0], 4);
    }
    static_assert(sizeof to == sizeof address->bytes, "a socket address is a sockaddr_in");
    std::memcpy(address->bytes, &to, sizeof to);
    return true;
}

int SocketEndpoint::QueueWrite(const void* data, std::uint32_t length, const SocketAddress& address) {
    std::uint32_t n = length < bufferSize_ ? length : bufferSize_;
    const bool idle = sendQueue_.Empty();
    if (!sendQueue_.Append(data, n, address)) {
        lastError_ = ZENK_ERR_NO_MEMORY;
        return ZENK_ERR_NO_MEMORY;
    }
    if (idle) SendSoon();  // otherwise the chunk before it leads on to it
    return lastError_;
}

int SocketEndpoint::TakeRead(void* buffer, std::uint32_t length, SocketAddress* address,
                             bool emptyChunkEnds) {
    receiveQueue_.Rewind();
    std::uint32_t chunk = 0;
    bool queued = receiveQueue_.Peek(&chunk);
    if (!queued || (emptyChunkEnds && chunk == 0) || (!buffer && length)) {
        lastError_ = ZENK_ERR_BAD_VALUE;
        return ZENK_FAILED;
    }
    receiveQueue_.Take(buffer, length, address, true);
    return ZENK_OK;
}

int SocketEndpoint::CheckWritable() {
    if (!LiveEventWindow()) return lastError_ = ZENK_ERR_API;
    if (!staging_) return lastError_ = ZENK_ERR_NO_MEMORY;
    return ZENK_ERR_NONE;
}

void SocketEndpoint::WriteEventTrace(trace::Category category, SOCKET socket, LPARAM selectReply) {
    const char* name = "FD_?";
    switch (WSAGETSELECTEVENT(selectReply)) {
    case FD_READ: name = "FD_READ"; break;
    case FD_WRITE: name = "FD_WRITE"; break;
    case FD_OOB: name = "FD_OOB"; break;
    case FD_ACCEPT: name = "FD_ACCEPT"; break;
    case FD_CONNECT: name = "FD_CONNECT"; break;
    case FD_CLOSE: name = "FD_CLOSE"; break;
    default: break;
    }
    trace::Line(category, "socket %lu %s error %d", static_cast<unsigned long>(socket), name,
                static_cast<int>(WSAGETSELECTERROR(selectReply)));
}

bool SocketEndpoint::TakeEventError(LPARAM selectReply) {
    int error = WSAGETSELECTERROR(selectReply);
    if (!error) return false;
    lastError_ = error;
    return true;
}

bool SocketEndpoint::NoteWinSockFailure() {
    int code = Ws().WSAGetLastError();
    if (code == WSAEWOULDBLOCK) {
        lastError_ = ZENK_ERR_NONE;
        return true;
    }
    lastError_ = code ? code : ZENK_ERR_API;  // a failure never reads as "no error"
    return false;
}

void SocketEndpoint::FinishReceive(int n, const SocketAddress& from, WPARAM received, WPARAM failed) {
    if (n == SOCKET_ERROR) {
        if (!NoteWinSockFailure()) owner_.Post(failed);
        return;  // would-block: WinSock tells us again when data is there
    }
    // A large chunk takes the staging buffer itself into the queue (the
    // queue hands back another), so its bytes are not copied once more.
    if (!receiveQueue_.AppendInPlace(&staging_, bufferSize_, static_cast<std::uint32_t>(n), from)) {
        lastError_ = ZENK_ERR_NO_MEMORY;
        owner_.Post(failed);
        return;
    }
    owner_.Post(received, n);
}

bool SocketEndpoint::NoStagingFor(WPARAM failed) {
    if (staging_) return false;
    lastError_ = ZENK_ERR_NO_MEMORY;
    owner_.Post(failed);
    return true;
}

bool SocketEndpoint::PostSocketEvent(long event) {
    HWND window = LiveEventWindow();
    return window && PostMessageA(window, kSocketEventMessage, static_cast<WPARAM>(socket_), event);
}

void SocketEndpoint::SendSoon() {
    if (!PostSocketEvent(FD_WRITE)) RetrySendLater();  // a full message queue: the timer still comes
}

// Events of this socket still waiting in the event window's queue would,
// once the handle value is reused by a new socket, reach that socket's
// endpoint. They are taken out; the others are put back in their order.
// (Only the thread that owns the window can see its queue: on any other
// thread nothing is found.)
void SocketEndpoint::DropQueuedEvents(HWND window) {
    std::vector<std::pair<WPARAM, LPARAM>> kept;
    MSG m;
    try {
        while (PeekMessageA(&m, window, kSocketEventMessage, kSocketEventMessage, PM_NOREMOVE)) {
            if (static_cast<SOCKET>(m.wParam) != socket_) kept.reserve(kept.size() + 1);  // may throw: nothing lost yet
            PeekMessageA(&m, window, kSocketEventMessage, kSocketEventMessage, PM_REMOVE);
            if (static_cast<SOCKET>(m.wParam) != socket_) kept.emplace_back(m.wParam, m.lParam);
        }
    } catch (...) {
        // No memory to hold the rest: they stay queued, behind the ones below.
    }
    for (const auto& [socket, event] : kept) PostMessageA(window, kSocketEventMessage, socket, event);
}

void SocketEndpoint::ContinueSending() {
    if (!sendQueue_.Empty()) SendSoon();
}

void SocketEndpoint::RetrySendLater() {
    if (HWND window = LiveEventWindow())
        SetTimer(window, static_cast<UINT_PTR>(socket_), kSendRetryMs, nullptr);
}

WinSockSession* SocketEndpoint::LiveSession() const {
    return session_ && session_ == CurrentSession() ? session_ : nullptr;
}

HWND SocketEndpoint::LiveEventWindow() const {
    WinSockSession* session = LiveSession();
    HWND window = session ? session->EventWindow() : nullptr;
    return window && IsWindow(window) ? window : nullptr;
}

}  // namespace zenk
