// Exports of the library and WinSock session family.
#include <new>

#include "core/error_text.h"
#include "core/gate.h"
#include "core/win_library_state.h"
#include "core/winsock_session.h"
#include "trace/trace_output_win.h"
#include "zenk32.h"

using namespace zenk;

/***********************************************************************
 *      ZENKInit
 */
extern "C" int ZENKAPI ZENKInit(void) {
    // The trace follows the environment of the latest ZENKInit, so a program
    // can set ZENK_TRACE itself before it starts the library.
    trace::ConfigureFromEnvironment();
    SetInitialised();
    return ZENK_TRUE;
}

/***********************************************************************
 *      ZENKVersion
 */
extern "C" int ZENKAPI ZENKVersion(void) { return ZENK_VERSION; }

/***********************************************************************
 *      ZENKStartWinSock
 */
extern "C" int ZENKAPI ZENKStartWinSock(WORD version) {
    return Guarded(kGateYesNo, nullptr, [&]() -> int {
        if (CurrentSession()) return ZENK_TRUE;
        WinSockSession* session = new (std::nothrow) WinSockSession(version);
        if (!session) return ZENK_FALSE;
        if (!session->Start()) {
            delete session;
            return ZENK_FALSE;
        }
        SetSession(session);
        return ZENK_TRUE;
    });
}

/***********************************************************************
 *      ZENKEndWinSock
 */
extern "C" int ZENKAPI ZENKEndWinSock(void) {
    return Guarded(kGateEndSession, nullptr, [&]() -> int {
        WinSockSession* session = CurrentSession();
        SetSession(nullptr);
        delete session;
        return ZENK_TRUE;
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
