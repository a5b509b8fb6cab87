#include "win/data_channel.h"

#include "win/net_wait.h"

namespace tovan {

bool DataChannel::ConnectTo(in_addr host, unsigned short port, std::string& error) {
    Close();
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr = host;
    to.sin_port = htons(port);
    data_ = NewStreamSocket(error);
    if (data_ == INVALID_SOCKET) return false;
    if (ConnectWithin(data_, to, error)) return true;
    Close();
    return false;
}

bool DataChannel::Listen(in_addr local, DataAddress& where, std::string& error) {
    Close();
    listen_ = NewStreamSocket(error);
    if (listen_ == INVALID_SOCKET) return false;
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr = local;
    at.sin_port = 0;
    int len = sizeof at;
    if (bind(listen_, reinterpret_cast<sockaddr*>(&at), sizeof at) == SOCKET_ERROR ||
        listen(listen_, 1) == SOCKET_ERROR ||
        getsockname(listen_, reinterpret_cast<sockaddr*>(&at), &len) == SOCKET_ERROR) {
        error = "Cannot listen for a data connection: " + SocketErrorText(WSAGetLastError());
        Close();
        return false;
    }
    const unsigned char* ip = reinterpret_cast<const unsigned char*>(&at.sin_addr);
    for (int i = 0; i < 4; ++i) where.ip[i] = ip[i];
    where.port = ntohs(at.sin_port);
    return true;
}

DataChannel::Accepted DataChannel::Accept(in_addr server, const volatile LONG* abortFlag, std::string& error) {
    WaitResult waited = WaitSocket(listen_, false, abortFlag);
    if (waited == WaitResult::kAborted) return Accepted::kAborted;
    if (waited == WaitResult::kTimeout) {
        error = "the server did not open the data connection";
        return Accepted::kTimeout;
    }
    sockaddr_in from{};
    int len = sizeof from;
    data_ = accept(listen_, reinterpret_cast<sockaddr*>(&from), &len);
    closesocket(listen_);
    listen_ = INVALID_SOCKET;
    if (data_ == INVALID_SOCKET) {
        error = "Cannot accept the data connection: " + SocketErrorText(WSAGetLastError());
        return Accepted::kFailed;
    }
    if (from.sin_addr.s_addr != server.s_addr) {
        error = std::string("data connection from a foreign address ") + inet_ntoa(from.sin_addr) + " refused";
        Close();
        return Accepted::kFailed;
    }
    u_long nonBlocking = 1;
    ioctlsocket(data_, FIONBIO, &nonBlocking);
    return Accepted::kYes;
}

void DataChannel::Finish() {
    if (data_ != INVALID_SOCKET) shutdown(data_, SD_SEND);
    Close();
}

void DataChannel::Reset() {
    if (data_ != INVALID_SOCKET) {
        linger hard{1, 0};
        setsockopt(data_, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&hard), sizeof hard);
    }
    Close();
}

void DataChannel::Close() {
    if (data_ != INVALID_SOCKET) closesocket(data_);
    if (listen_ != INVALID_SOCKET) closesocket(listen_);
    data_ = listen_ = INVALID_SOCKET;
}

}  // namespace tovan
