// Exports of the stream endpoint family: the gate, then one call into the
// StreamEndpoint behind the handle.
#include "core/gate.h"
#include "sockets/endpoint_create.h"
#include "sockets/stream_endpoint.h"
#include "zenk32.h"

using namespace zenk;

namespace {

StreamEndpoint* Stream(void* handle) { return static_cast<StreamEndpoint*>(handle); }

}  // namespace

/***********************************************************************
 *      ZENKCreateStreamServerWindow
 */
extern "C" int ZENKAPI ZENKCreateStreamServerWindow(int port, HWND owner, UINT message, void** out) {
    return Guarded(kGateFS, nullptr, [&] {
        return CreateEndpoint<StreamEndpoint>(out, OwnerNotify::ToWindow(owner, message),
                                              [&](StreamEndpoint& e) { return e.OpenServer(port); });
    });
}

/***********************************************************************
 *      ZENKCreateStreamServerThread
 */
extern "C" int ZENKAPI ZENKCreateStreamServerThread(int port, DWORD threadId, UINT message, void** out) {
    return Guarded(kGateFS, nullptr, [&] {
        return CreateEndpoint<StreamEndpoint>(out, OwnerNotify::ToThread(threadId, message),
                                              [&](StreamEndpoint& e) { return e.OpenServer(port); });
    });
}

/***********************************************************************
 *      ZENKCreateStreamCommWindow
 */
extern "C" int ZENKAPI ZENKCreateStreamCommWindow(HWND owner, UINT message, void** out) {
    return Guarded(kGateFS, nullptr, [&] {
        return CreateEndpoint<StreamEndpoint>(out, OwnerNotify::ToWindow(owner, message),
                                              [](StreamEndpoint& e) { return e.OpenComm(); });
    });
}

/***********************************************************************
 *      ZENKCreateStreamCommThread
 */
extern "C" int ZENKAPI ZENKCreateStreamCommThread(DWORD threadId, UINT message, void** out) {
    return Guarded(kGateFS, nullptr, [&] {
        return CreateEndpoint<StreamEndpoint>(out, OwnerNotify::ToThread(threadId, message),
                                              [](StreamEndpoint& e) { return e.OpenComm(); });
    });
}

/***********************************************************************
 *      ZENKStreamAccept
 */
extern "C" int ZENKAPI ZENKStreamAccept(void* listening, void* connection) {
    return Guarded(kGateFS, nullptr, [&] {
        if (!listening || !connection) return ZENK_BAD_HANDLE;
        return Stream(listening)->Accept(*Stream(connection));
    });
}

/***********************************************************************
 *      ZENKCreateStreamClientWindow
 */
extern "C" int ZENKAPI ZENKCreateStreamClientWindow(HWND owner, UINT message, void** out) {
    return Guarded(kGateFS, nullptr, [&] {
        return CreateEndpoint<StreamEndpoint>(out, OwnerNotify::ToWindow(owner, message),
                                              [](StreamEndpoint& e) { return e.OpenClient(); });
    });
}

/***********************************************************************
 *      ZENKCreateStreamClientThread
 */
extern "C" int ZENKAPI ZENKCreateStreamClientThread(DWORD threadId, UINT message, void** out) {
    return Guarded(kGateFS, nullptr, [&] {
        return CreateEndpoint<StreamEndpoint>(out, OwnerNotify::ToThread(threadId, message),
                                              [](StreamEndpoint& e) { return e.OpenClient(); });
    });
}

/***********************************************************************
 *      ZENKStreamConnectToPort
 */
extern "C" int ZENKAPI ZENKStreamConnectToPort(void* handle, const char* host, int port) {
    return Guarded(kGateFSH, handle, [&] { return Stream(handle)->ConnectToPort(host, port); });
}

/***********************************************************************
 *      ZENKStreamConnectToService
 */
extern "C" int ZENKAPI ZENKStreamConnectToService(void* handle, const char* host, const char* service) {
    return Guarded(kGateFSH, handle, [&] { return Stream(handle)->ConnectToService(host, service); });
}

/***********************************************************************
 *      ZENKStreamWrite
 */
extern "C" int ZENKAPI ZENKStreamWrite(void* handle, const void* data, unsigned int length) {
    return Guarded(kGateFSH, handle, [&] { return Stream(handle)->Write(data, length); });
}

/***********************************************************************
 *      ZENKStreamRead
 */
extern "C" int ZENKAPI ZENKStreamRead(void* handle, void* buffer, unsigned int length) {
    return Guarded(kGateFSH, handle, [&] { return Stream(handle)->Read(buffer, length); });
}

/***********************************************************************
 *      ZENKSetStreamBufferSize
 */
extern "C" int ZENKAPI ZENKSetStreamBufferSize(void* handle, unsigned int size) {
    return Guarded(kGateFSH, handle, [&] { return Stream(handle)->SetBufferSize(size); });
}

/***********************************************************************
 *      ZENKLastStreamWinSockError
 */
extern "C" int ZENKAPI ZENKLastStreamWinSockError(void* handle, int* code, char* text) {
    return Guarded(kGateFSH, handle, [&] { return Stream(handle)->ReportLastError(code, text); });
}

/***********************************************************************
 *      ZENKCloseStream
 */
extern "C" int ZENKAPI ZENKCloseStream(void* handle) {
    return Guarded(kGateFSH, handle, [&] {
        delete Stream(handle);  // the destructor closes: socket, registry, queues
        return ZENK_OK;
    });
}
