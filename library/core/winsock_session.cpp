#include "core/winsock_session.h"

#include <cstring>
#include <iterator>

#include "core/address_list.h"
#include "core/event_window.h"
#include "core/win_library_state.h"
#include "core/winsock_api.h"
#include "zenk32_defs.h"

namespace zenk {
namespace {

// The session the event window procedure reaches; set while the session's
// window exists.
WinSockSession* g_eventWindowSession = nullptr;

// Copies src into dst of `capacity` bytes, cut to fit, always terminated.
void CopyBounded(char* dst, const char* src, std::size_t capacity) {
    std::size_t n = strnlen(src, capacity - 1);
    std::memcpy(dst, src, n);
    dst[n] = '\0';
}

}  // namespace

WinSockSession* EventWindowSession() { return g_eventWindowSession; }

WinSockSession::WinSockSession(WORD version) { lastError_ = Ws().WSAStartup(version, &startup_); }

WinSockSession::~WinSockSession() {
    if (g_eventWindowSession == this) g_eventWindowSession = nullptr;
    if (eventWindow_) DestroyWindow(eventWindow_);
    eventWindow_ = nullptr;
    registry_.Clear();
}

bool WinSockSession::Start() {
    g_eventWindowSession = this;
    eventWindow_ = CreateEventWindow();
    if (!eventWindow_) {
        lastError_ = ZENK_ERR_API;
        return false;
    }
    return true;
}

int WinSockSession::GetInfo(WORD* version, char* description, char* systemStatus,
                            WORD* maxSockets, WORD* maxDatagram, char* vendorInfo) {
    if (lastError_) return lastError_;
    if (!version || !description || !systemStatus || !maxSockets || !maxDatagram || !vendorInfo)
        return ZENK_ERR_BAD_VALUE;
    *version = startup_.wHighVersion;
    CopyBounded(description, startup_.szDescription, ZENK_WSDESC_SIZE);
    CopyBounded(systemStatus, startup_.szSystemStatus, ZENK_WSSTATUS_SIZE);
    *maxSockets = startup_.iMaxSockets;
    *maxDatagram = startup_.iMaxUdpDg;
    if (startup_.lpVendorInfo) CopyBounded(vendorInfo, startup_.lpVendorInfo, ZENK_WSVENDOR_SIZE);
    return 0;
}

int WinSockSession::GetMyName(char* hostName, char* addresses) {
    if (lastError_) return lastError_;
    if (!hostName || !addresses) return ZENK_ERR_BAD_VALUE;
    if (Ws().gethostname(hostName, ZENK_HOSTNAME_SIZE) != 0) return RecordFailure();
    hostName[ZENK_HOSTNAME_SIZE - 1] = '\0';
    return Resolve(hostName, addresses);
}

int WinSockSession::GetServerIP(const char* hostName, char* addresses) {
    if (lastError_) return lastError_;
    if (!hostName || !addresses) return ZENK_ERR_BAD_VALUE;
    return Resolve(hostName, addresses);
}

int WinSockSession::Resolve(const char* hostName, char* addresses) {
    const hostent* host = Ws().gethostbyname(hostName);
    if (!host) return RecordFailure();
    WriteAddressList(host, addresses);
    return lastError_;
}

int WinSockSession::RecordFailure() {
    lastError_ = Ws().WSAGetLastError();
    // A failure must never read as success, even if WinSock kept no code.
    if (lastError_ == 0) lastError_ = ZENK_ERR_API;
    return lastError_;
}

void WinSockSession::WriteAddressList(const hostent* host, char* addresses) {
    std::uint8_t list[ZENK_ADDRLIST_SIZE / 8][4];  // more never fit in the text
    std::size_t count = 0;
    if (host->h_addrtype == AF_INET && host->h_length == 4 && host->h_addr_list) {
        for (char** a = host->h_addr_list; *a && count < std::size(list); ++a, ++count)
            std::memcpy(list[count], *a, 4);
    }
    FormatAddressList(list, count, addresses, ZENK_ADDRLIST_SIZE);
}

}  // namespace zenk
