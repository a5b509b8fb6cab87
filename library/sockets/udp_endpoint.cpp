#include "sockets/udp_endpoint.h"

#include <cstring>

#include "core/winsock_api.h"
#include "zenk32_defs.h"

namespace zenk {
namespace {

constexpr long kUdpEvents = FD_READ | FD_WRITE;

}  // namespace

int UdpEndpoint::OpenServer(int port) {
    if (!IsValidPort(port)) {
        lastError_ = ZENK_ERR_BAD_VALUE;
        return ZENK_OK;  // the handle exists without a socket
    }
    port_ = port;
    server_ = true;
    return OpenSocket(SOCK_DGRAM, true, kUdpEvents) ? ZENK_OK : ZENK_FAILED;
}

int UdpEndpoint::OpenClient() {
    server_ = false;
    return OpenSocket(SOCK_DGRAM, false, kUdpEvents) ? ZENK_OK : ZENK_FAILED;
}

bool UdpEndpoint::Refuses(bool reply, const void* data, std::uint32_t length, int* result) {
    *result = ZENK_OK;  // the early failures are seen only through the last error
    if (!LiveEventWindow()) {
        lastError_ = ZENK_ERR_API;
        return true;
    }
    if (reply && !server_) {
        lastError_ = ZENK_ERR_REPLY_NOT_SERVER;
        return true;
    }
    if (!staging_) {
        lastError_ = ZENK_ERR_NO_MEMORY;
        return true;
    }
    if (!data && length) {
        lastError_ = ZENK_ERR_BAD_VALUE;
        *result = ZENK_FAILED;
        return true;
    }
    return false;
}

int UdpEndpoint::WriteToPort(const void* data, std::uint32_t length, const char* host, int port) {
    int result;
    if (Refuses(false, data, length, &result)) return result;
    SocketAddress to;
    if (!IsValidPort(port)) {
        lastError_ = ZENK_ERR_BAD_VALUE;
        return ZENK_FAILED;
    }
    if (!Resolve(host, htons(static_cast<u_short>(port)), &to)) return ZENK_FAILED;
    return QueueWrite(data, length, to);
}

int UdpEndpoint::WriteToService(const void* data, std::uint32_t length, const char* host,
                                const char* service) {
    int result;
    if (Refuses(false, data, length, &result)) return result;
    if (!service) {
        lastError_ = ZENK_ERR_BAD_VALUE;
        return ZENK_FAILED;
    }
    const servent* entry = Ws().getservbyname(service, "udp");
    if (!entry) {
        int code = Ws().WSAGetLastError();
        lastError_ = code ? code : WSANO_DATA;
        return ZENK_FAILED;
    }
    SocketAddress to;
    if (!Resolve(host, static_cast<u_short>(entry->s_port), &to)) return ZENK_FAILED;
    return QueueWrite(data, length, to);
}

int UdpEndpoint::Reply(const void* data, std::uint32_t length, const void* destination) {
    int result;
    if (Refuses(true, data, length, &result)) return result;
    if (!destination) {
        lastError_ = ZENK_ERR_BAD_VALUE;
        return ZENK_FAILED;
    }
    SocketAddress to;
    std::memcpy(to.bytes, destination, sizeof to.bytes);
    return QueueWrite(data, length, to);
}

int UdpEndpoint::Read(void* buffer, std::uint32_t length, void* senderAddress) {
    SocketAddress from;
    int result = TakeRead(buffer, length, &from, false);
    if (result == ZENK_OK && senderAddress) std::memcpy(senderAddress, from.bytes, sizeof from.bytes);
    return result;
}

void UdpEndpoint::OnSocketEvent(SOCKET socket, LPARAM selectReply) {
    TraceEvent(trace::kUdp, socket, selectReply);
    if (TakeEventError(selectReply)) return;
    switch (WSAGETSELECTEVENT(selectReply)) {
    case FD_READ: OnReadable(); break;
    case FD_WRITE: SendStep(); break;
    default: break;
    }
}

void UdpEndpoint::OnReadable() {
    if (NoStagingFor(ZENK_UDP_RECEIVE_ERROR)) return;
    sockaddr_in sender{};
    int senderLength = sizeof sender;
    int n = Ws().recvfrom(socket_, reinterpret_cast<char*>(staging_), static_cast<int>(bufferSize_),
                          0, reinterpret_cast<sockaddr*>(&sender), &senderLength);
    // A datagram longer than the buffer fails with 10040 and is lost.
    SocketAddress from;
    std::memcpy(from.bytes, &sender, sizeof from.bytes);
    FinishReceive(n, from, ZENK_UDP_RECEIVED, ZENK_UDP_RECEIVE_ERROR);
}

void UdpEndpoint::SendStep() {
    sendQueue_.Rewind();
    std::uint32_t length = 0;
    if (!sendQueue_.Peek(&length)) return;
    if (!staging_ || length > bufferSize_) {
        lastError_ = ZENK_ERR_NO_MEMORY;  // the buffer went away: cannot send
        owner_.Post(ZENK_UDP_SEND_ERROR);
        DropHeadDatagram();
        return;
    }
    SocketAddress to;
    sendQueue_.Take(staging_, length, &to, false);
    int n = Ws().sendto(socket_, reinterpret_cast<const char*>(staging_), static_cast<int>(length), 0,
                        reinterpret_cast<const sockaddr*>(to.bytes), sizeof to.bytes);
    if (n == SOCKET_ERROR && NoteWinSockFailure()) {
        RetrySendLater();  // the datagram stays queued
        return;
    }
    if (n != SOCKET_ERROR && static_cast<std::uint32_t>(n) == length)
        owner_.Post(ZENK_UDP_SENT, n);
    else
        owner_.Post(ZENK_UDP_SEND_ERROR);  // failed, or short: never sent in pieces
    DropHeadDatagram();
}

void UdpEndpoint::DropHeadDatagram() {
    sendQueue_.Rewind();
    sendQueue_.Take(nullptr, 0, nullptr, true);
    ContinueSending();
}

}  // namespace zenk
