// Exports of the POP3 client family.
#include <new>

#include "core/gate.h"
#include "mail/pop3_session.h"
#include "zenk32.h"

using namespace zenk;

namespace {

Pop3Session* SessionOf(void* handle) { return static_cast<Pop3Session*>(handle); }

int StartSession(const OwnerNotify& notify, const char* inboxPath, void** out) {
    if (!out) return ZENK_FAILED;
    Pop3Session* session = new (std::nothrow) Pop3Session(notify, inboxPath);
    if (!session) return ZENK_NOT_READY;
    *out = session;
    return ZENK_OK;
}

}  // namespace

/***********************************************************************
 *      ZENKPOP3StartWindow
 */
extern "C" int ZENKAPI ZENKPOP3StartWindow(HWND owner, UINT message, const char* inboxPath, void** out) {
    return Guarded(kGateStart, nullptr,
                   [&] { return StartSession(OwnerNotify::ToWindow(owner, message), inboxPath, out); });
}

/***********************************************************************
 *      ZENKPOP3StartThread
 */
extern "C" int ZENKAPI ZENKPOP3StartThread(DWORD threadId, UINT message, const char* inboxPath, void** out) {
    return Guarded(kGateStart, nullptr,
                   [&] { return StartSession(OwnerNotify::ToThread(threadId, message), inboxPath, out); });
}

/***********************************************************************
 *      ZENKPOP3IsThereMail
 */
extern "C" int ZENKAPI ZENKPOP3IsThereMail(void* handle, const char* server, const char* user,
                                           const char* password) {
    return Guarded(kGateFH, handle,
                   [&] { return SessionOf(handle)->Transaction(server, user, password, true, false); });
}

/***********************************************************************
 *      ZENKPOP3PullMail
 */
extern "C" int ZENKAPI ZENKPOP3PullMail(void* handle, const char* server, const char* user,
                                        const char* password, int deleteAfter) {
    return Guarded(kGateFH, handle, [&] {
        return SessionOf(handle)->Transaction(server, user, password, false, deleteAfter != 0);
    });
}

/***********************************************************************
 *      ZENKPOP3NumMail
 */
extern "C" int ZENKAPI ZENKPOP3NumMail(void* handle, int* count) {
    return Guarded(kGateFH, handle, [&]() -> int {
        if (!count) return ZENK_FAILED;
        *count = SessionOf(handle)->MessageCount();
        return ZENK_OK;
    });
}

/***********************************************************************
 *      ZENKPOP3LastRefusal
 */
extern "C" int ZENKAPI ZENKPOP3LastRefusal(void* handle, char* text, int size) {
    return Guarded(kGateFH, handle, [&] { return SessionOf(handle)->LastRefusal(text, size); });
}

/***********************************************************************
 *      ZENKPOP3Close
 */
extern "C" int ZENKAPI ZENKPOP3Close(void* handle) {
    return Guarded(kGateCloseNullFails, handle, [&]() -> int {
        delete SessionOf(handle);
        return ZENK_OK;
    });
}

// ---- Secure mail: ports, TLS ---------------------------------------------

namespace {
int Result(bool taken) { return taken ? ZENK_OK : ZENK_FAILED; }
}  // namespace

/***********************************************************************
 *      ZENKPOP3SetPort
 */
extern "C" int ZENKAPI ZENKPOP3SetPort(void* handle, int port) {
    return Guarded(kGateFH, handle, [&] { return Result(SessionOf(handle)->SetPort(port)); });
}

/***********************************************************************
 *      ZENKPOP3SetSecurity
 */
extern "C" int ZENKAPI ZENKPOP3SetSecurity(void* handle, int mode) {
    return Guarded(kGateFH, handle, [&] { return Result(SessionOf(handle)->SetSecurity(mode)); });
}

/***********************************************************************
 *      ZENKPOP3SetTrust
 */
extern "C" int ZENKAPI ZENKPOP3SetTrust(void* handle, const char* caFile, const char* certificateName) {
    return Guarded(kGateFH, handle, [&] { return Result(SessionOf(handle)->SetTrust(caFile, certificateName)); });
}
