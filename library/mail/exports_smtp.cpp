// Exports of the SMTP client family: gate, then one call into SmtpSession.
#include <new>

#include "core/gate.h"
#include "mail/smtp_session.h"
#include "zenk32.h"

using namespace zenk;

namespace {

int StartSession(const OwnerNotify& notify, const char* outboxPath, void** out) {
    if (!out) return ZENK_FAILED;
    SmtpSession* session = new (std::nothrow) SmtpSession(notify, outboxPath);
    if (!session) return ZENK_NOT_READY;
    *out = session;
    return ZENK_OK;
}

}  // namespace

/***********************************************************************
 *      ZENKSMTPStartWindow
 */
extern "C" int ZENKAPI ZENKSMTPStartWindow(HWND owner, UINT message, const char* outboxPath, void** out) {
    return Guarded(kGateF, nullptr,
                   [&] { return StartSession(OwnerNotify::ToWindow(owner, message), outboxPath, out); });
}

/***********************************************************************
 *      ZENKSMTPStartThread
 */
extern "C" int ZENKAPI ZENKSMTPStartThread(DWORD threadId, UINT message, const char* outboxPath, void** out) {
    return Guarded(kGateF, nullptr,
                   [&] { return StartSession(OwnerNotify::ToThread(threadId, message), outboxPath, out); });
}

/***********************************************************************
 *      ZENKSMTPSendMail
 */
extern "C" int ZENKAPI ZENKSMTPSendMail(void* handle, const char* server) {
    return Guarded(kGateFH, handle, [&] { return static_cast<SmtpSession*>(handle)->SendMail(server); });
}

/***********************************************************************
 *      ZENKSMTPClose
 */
extern "C" int ZENKAPI ZENKSMTPClose(void* handle) {
    return Guarded(kGateCloseNullFails, handle, [&] {
        delete static_cast<SmtpSession*>(handle);
        return 0;
    });
}

// ---- Secure mail: ports, TLS, SMTP AUTH ----------------------------------

namespace {
int Result(bool taken) { return taken ? ZENK_OK : ZENK_FAILED; }
SmtpSession* SmtpOf(void* handle) { return static_cast<SmtpSession*>(handle); }
}  // namespace

/***********************************************************************
 *      ZENKSMTPSetPort
 */
extern "C" int ZENKAPI ZENKSMTPSetPort(void* handle, int port) {
    return Guarded(kGateFH, handle, [&] { return Result(SmtpOf(handle)->SetPort(port)); });
}

/***********************************************************************
 *      ZENKSMTPSetSecurity
 */
extern "C" int ZENKAPI ZENKSMTPSetSecurity(void* handle, int mode) {
    return Guarded(kGateFH, handle, [&] { return Result(SmtpOf(handle)->SetSecurity(mode)); });
}

/***********************************************************************
 *      ZENKSMTPSetLogin
 */
extern "C" int ZENKAPI ZENKSMTPSetLogin(void* handle, const char* user, const char* password, int flags) {
    return Guarded(kGateFH, handle, [&] { return Result(SmtpOf(handle)->SetLogin(user, password, flags)); });
}

/***********************************************************************
 *      ZENKSMTPSetTrust
 */
extern "C" int ZENKAPI ZENKSMTPSetTrust(void* handle, const char* caFile, const char* certificateName) {
    return Guarded(kGateFH, handle, [&] { return Result(SmtpOf(handle)->SetTrust(caFile, certificateName)); });
}
