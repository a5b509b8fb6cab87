// SmtpSession: outbox file and notifications over the shared MailSession.
#include "mail/smtp_session.h"

#include <cstring>

#include "mail/smtp_status.h"
#include "zenk32.h"

namespace zenk {

namespace {

SessionWindowClass smtpWindowClass{"ZENK_SMTPWIND", "SMTP Message"};

}  // namespace

SmtpSession::SmtpSession(const OwnerNotify& notify, const char* outboxPath)
    : notify_(notify), mail_(smtpWindowClass, events_, kTickMs) {
    // A path that does not fit is not cut (that would name another file):
    // the session keeps none, and SendMail reports status 6.
    if (outboxPath) {
        std::size_t n = 0;
        while (n < kPathCapacity && outboxPath[n]) ++n;
        if (n < kPathCapacity) std::memcpy(outboxPath_, outboxPath, n + 1);
    }
}

SmtpSession::~SmtpSession() {
    mail_.CloseStream();
    outbox_.Close();
}

bool SmtpSession::SetSecurity(int mode) {
    tls::SecurityMode security;
    return !engine_.Started() && SecurityModeOf(mode, security) && engine_.SetSecurity(security);
}

bool SmtpSession::SetLogin(const char* user, const char* password, int flags) {
    if (flags & ~ZENK_LOGIN_ALLOW_CLEAR) return false;
    return engine_.SetLogin(user ? user : "", password ? password : "", (flags & ZENK_LOGIN_ALLOW_CLEAR) != 0);
}

bool SmtpSession::SetTrust(const char* caFile, const char* certificateName) {
    return !engine_.Started() && mail_.SetTrust(caFile, certificateName);
}

ByteSource* SmtpSession::OpenOutbox() {
    if (!outboxPath_[0] || !outbox_.OpenExisting(outboxPath_)) return nullptr;
    return &outbox_;
}

}  // namespace zenk
