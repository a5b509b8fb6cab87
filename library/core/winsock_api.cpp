#include "core/winsock_api.h"

namespace zenk {
namespace {

const WinSockApi kReal = {
    ::WSAStartup, ::WSAGetLastError, ::WSASetLastError, ::WSAAsyncSelect,
    ::socket, ::bind, ::listen, ::accept, ::connect, ::send, ::recv,
    ::sendto, ::recvfrom, ::closesocket, ::shutdown, ::setsockopt, ::getsockname, ::ioctlsocket,
    ::gethostname, ::gethostbyname, ::getservbyname, ::inet_addr, ::inet_ntoa,
};

WinSockApi g_api = kReal;

}  // namespace

WinSockApi& Ws() { return g_api; }
const WinSockApi& RealWinSockApi() { return kReal; }

}  // namespace zenk
