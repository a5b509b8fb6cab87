// Exports of the UDP endpoint family: the gate, then one call into the
// UdpEndpoint behind the handle.
#include "core/gate.h"
#include "sockets/endpoint_create.h"
#include "sockets/udp_endpoint.h"
#include "zenk32.h"

using namespace zenk;

namespace {

UdpEndpoint* Udp(void* handle) { return static_cast<UdpEndpoint*>(handle); }

}  // namespace

/***********************************************************************
 *      ZENKCreateUDPServer1
 */
extern "C" int ZENKAPI ZENKCreateUDPServer1(int port, HWND owner, UINT message, void** out) {
    return Guarded(kGateFS, nullptr, [&] {
        return CreateEndpoint<UdpEndpoint>(out, OwnerNotify::ToWindow(owner, message),
                                           [&](UdpEndpoint& e) { return e.OpenServer(port); });
    });
}

/***********************************************************************
 *      ZENKCreateUDPServer2
 */
extern "C" int ZENKAPI ZENKCreateUDPServer2(int port, DWORD threadId, UINT message, void** out) {
    return Guarded(kGateFS, nullptr, [&] {
        return CreateEndpoint<UdpEndpoint>(out, OwnerNotify::ToThread(threadId, message),
                                           [&](UdpEndpoint& e) { return e.OpenServer(port); });
    });
}

/***********************************************************************
 *      ZENKCreateUDPClient1
 */
extern "C" int ZENKAPI ZENKCreateUDPClient1(HWND owner, UINT message, void** out) {
    return Guarded(kGateFS, nullptr, [&] {
        return CreateEndpoint<UdpEndpoint>(out, OwnerNotify::ToWindow(owner, message),
                                           [](UdpEndpoint& e) { return e.OpenClient(); });
    });
}

/***********************************************************************
 *      ZENKCreateUDPClient2
 */
extern "C" int ZENKAPI ZENKCreateUDPClient2(DWORD threadId, UINT message, void** out) {
    return Guarded(kGateFS, nullptr, [&] {
        return CreateEndpoint<UdpEndpoint>(out, OwnerNotify::ToThread(threadId, message),
                                           [](UdpEndpoint& e) { return e.OpenClient(); });
    });
}

/***********************************************************************
 *      ZENKSetUDPBufferSize
 */
extern "C" int ZENKAPI ZENKSetUDPBufferSize(void* handle, unsigned int size) {
    return Guarded(kGateFSH, handle, [&] { return Udp(handle)->SetBufferSize(size); });
}

/***********************************************************************
 *      ZENKUDPWriteToPort
 */
extern "C" int ZENKAPI ZENKUDPWriteToPort(void* handle, const void* data, unsigned int length,
                                          const char* host, int port) {
    return Guarded(kGateUdpWriteToPort, handle,
                   [&] { return Udp(handle)->WriteToPort(data, length, host, port); });
}

/***********************************************************************
 *      ZENKUDPWriteToService
 */
extern "C" int ZENKAPI ZENKUDPWriteToService(void* handle, const void* data, unsigned int length,
                                             const char* host, const char* service) {
    return Guarded(kGateFSH, handle,
                   [&] { return Udp(handle)->WriteToService(data, length, host, service); });
}

/***********************************************************************
 *      ZENKUDPRead
 */
extern "C" int ZENKAPI ZENKUDPRead(void* handle, void* buffer, unsigned int length,
                                   void* senderAddress) {
    return Guarded(kGateFSH, handle, [&] { return Udp(handle)->Read(buffer, length, senderAddress); });
}

/***********************************************************************
 *      ZENKUDPReply
 */
extern "C" int ZENKAPI ZENKUDPReply(void* handle, const void* data, unsigned int length,
                                    const void* destinationAddress) {
    return Guarded(kGateFSH, handle,
                   [&] { return Udp(handle)->Reply(data, length, destinationAddress); });
}

/***********************************************************************
 *      ZENKLastUDPWinSockError
 */
extern "C" int ZENKAPI ZENKLastUDPWinSockError(void* handle, int* code, char* text) {
    return Guarded(kGateFSH, handle, [&] { return Udp(handle)->ReportLastError(code, text); });
}

/***********************************************************************
 *      ZENKCloseUDP
 */
extern "C" int ZENKAPI ZENKCloseUDP(void* handle) {
    return Guarded(kGateFSH, handle, [&] {
        delete Udp(handle);  // the destructor closes: socket, registry, queues
        return ZENK_OK;
    });
}
