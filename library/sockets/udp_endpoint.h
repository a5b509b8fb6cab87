// UdpEndpoint: the library's datagram endpoint. A server is bound to a port
// on every local address and may answer the senders it hears from; a client
// is unbound (WinSock binds it at its first send). Datagrams to send are
// queued with their destination and sent one per FD_WRITE on the session's
// thread; received datagrams are queued with their sender until read.
#pragma once
#include "sockets/socket_endpoint.h"

namespace zenk {

class UdpEndpoint : public SocketEndpoint {
public:
    UdpEndpoint(WinSockSession& session, const OwnerNotify& owner)
        : SocketEndpoint(session, owner) {}
    ~UdpEndpoint() override { Close(); }

    // Server bound to port: 0 or ZENK_FAILED; a port outside 1..65535 gives
    // 0 with last error 3 and no socket.
    int OpenServer(int port);
    // Unbound client: 0 or ZENK_FAILED.
    int OpenClient();

    // The sending calls queue min(length, buffer size) bytes as one datagram.
    // Early failures (event window gone, reply from a client, no staging
    // buffer) return 0 with the last error set; bad arguments (null data
    // with a length, null host, service or destination, a port outside
    // 1..65535) and failed lookups return ZENK_FAILED; no memory for the
    // queue returns 2; otherwise the last error.
    [[nodiscard]] int WriteToPort(const void* data, std::uint32_t length, const char* host, int port);
    [[nodiscard]] int WriteToService(const void* data, std::uint32_t length, const char* host, const char* service);
    int Reply(const void* data, std::uint32_t length, const void* destination);

    // Takes the oldest datagram into buffer (cut to length) and its sender's
    // 16-byte address into senderAddress (when not null). 0 or ZENK_FAILED
    // with last error 3.
    int Read(void* buffer, std::uint32_t length, void* senderAddress);

    void OnSocketEvent(SOCKET socket, LPARAM selectReply) override;

private:
    // Checks 1 to 3 of every sending call, and the data. True when the call
    // must end now with *result.
    bool Refuses(bool reply, const void* data, std::uint32_t length, int* result);
    void OnReadable();
    // Sends the head datagram whole or drops it: one FD_WRITE's work.
    void SendStep();
    void DropHeadDatagram();
};

}  // namespace zenk
