// Exports of the library and WinSock session family.
#include <new>

#include "core/error_text.h"
#include "core/gate.h"
#include "core/library_state.h"
#include "core/winsock_session.h"
#include "zenk32.h"

using namespace zenk;

/***********************************************************************
 *      ZENKInit
 */
extern "C" int ZENKAPI ZENKInit(void) {
    SetInitialised();
    return 1;
}

/***********************************************************************
 *      ZENKVersion
 */
extern "C" int ZENKAPI ZENKVersion(void) { return 0x0100; }

/***********************************************************************
 *      ZENKStartWinSock
 */
extern "C" int ZENKAPI ZENKStartWinSock(WORD version) {
    return Guarded(Gate{0, false, false, 0, 0}, nullptr, [&]() -> int {
        if (CurrentSession()) return 1;
        WinSockSession* session = new (std::nothrow) WinSockSession(version);
        if (!session) return 0;
        if (!session->Start()) {
            delete session;
            return 0;
        }
        SetSession(session);
        return 1;
    });
}

/***********************************************************************
 *      ZENKEndWinSock
 */
extern "C" int ZENKAPI ZENKEndWinSock(void) {
    return Guarded(Gate{0, false, false, 0, 1}, nullptr, [&]() -> int {
        WinSockSession* session = CurrentSession();
        SetSession(nullptr);
        delete session;
        return 1;
    });
}

/***********************************************************************
 *      ZENKGetWinSockInfo
 */
extern "C" int ZENKAPI ZENKGetWinSockInfo(WORD* version, char* description, char* systemStatus,
                                          WORD* maxSockets, WORD* maxDatagram, char* vendorInfo) {
    return Guarded(kGateFS, nullptr, [&] {
        return CurrentSession()->GetInfo(version, description, systemStatus, maxSockets,
                                         maxDatagram, vendorInfo);
    });
}

/***********************************************************************
 *      ZENKGetMyName
 */
extern "C" int ZENKAPI ZENKGetMyName(char* hostName, char* addresses) {
    return Guarded(kGateFS, nullptr, [&] { return CurrentSession()->GetMyName(hostName, addresses); });
}

/***********************************************************************
 *      ZENKGetServerIP
 */
extern "C" int ZENKAPI ZENKGetServerIP(const char* hostName, char* addresses) {
    return Guarded(kGateFS, nullptr,
                   [&] { return CurrentSession()->GetServerIP(hostName, addresses); });
}

/***********************************************************************
 *      ZENKLastWinSockError
 */
extern "C" int ZENKAPI ZENKLastWinSockError(int* code, char* text) {
    return Guarded(kGateFS, nullptr, [&]() -> int {
        if (!code || !text) return ZENK_FAILED;
        *code = CurrentSession()->LastError();
        FormatErrorText(*code, text, kErrorTextCapacity);
        return 0;
    });
}
