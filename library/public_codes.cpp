// The numbers zenk32.h publishes, held against the library's own names for
// them. Each family uses its internal names (the portable engines cannot
// include zenk32.h, which needs <windows.h>); this file is where the two
// meet, so a header and an engine that disagree stop the build.
#include "core/address_list.h"
#include "core/error_text.h"
#include "core/gate.h"
#include "mail/pop3_engine.h"
#include "mail/pop3_session.h"
#include "mail/secure_status.h"
#include "mail/smtp_engine.h"
#include "mail/smtp_session.h"
#include "mail/smtp_status.h"
#include "sockets/packet_queue.h"
#include "zenk32.h"

namespace zenk {
namespace {

// Gates: each export family's listed results.
static_assert(kGateF.notInitialised == ZENK_NOT_READY && kGateF.exception == ZENK_FAILED);
static_assert(kGateFSH.nullHandle == ZENK_BAD_HANDLE && kGateFH.nullHandle == ZENK_BAD_HANDLE);
static_assert(kGateYesNo.notInitialised == ZENK_FALSE && kGateEndSession.exception == ZENK_TRUE);

// Sizes of the caller's buffers and of the fields that take the caller's text.
static_assert(kErrorTextCapacity == ZENK_ERRTEXT_SIZE);
static_assert(kAddressListCapacity == ZENK_ADDRLIST_SIZE);
static_assert(kSocketAddressSize == ZENK_SOCKADDR_SIZE);
static_assert(SmtpEngine::kServerCapacity == ZENK_MAIL_SERVER_SIZE);
static_assert(Pop3Engine::kServerCapacity == ZENK_MAIL_SERVER_SIZE);
static_assert(SmtpEngine::kSenderLineCapacity == ZENK_SMTP_SENDER_SIZE);
static_assert(SmtpEngine::kMaxRecipientLine == ZENK_SMTP_RECIPIENT_MAX);
static_assert(SmtpSession::kPathCapacity == ZENK_MAIL_PATH_MAX + 1);
static_assert(Pop3Session::kInboxPathCapacity == ZENK_MAIL_PATH_MAX + 1);
static_assert(Pop3Engine::kUserCapacity == ZENK_POP3_USER_SIZE);
static_assert(Pop3Engine::kPasswordCapacity == ZENK_POP3_PASSWORD_SIZE);
static_assert(Pop3Engine::kRefusalCapacity == ZENK_POP3_REFUSAL_SIZE);
static_assert(Pop3Engine::kMaxMessages == ZENK_POP3_MAX_MESSAGES);
static_assert(Pop3Engine::kTransactionRefused == ZENK_FAILED);

// SMTP status codes, every one.
static_assert(kSmtpDone == ZENK_SMTP_DONE);
static_assert(kSmtpNoBuffer == ZENK_SMTP_ERR_READ);
static_assert(kSmtpReceiveFailed == ZENK_SMTP_ERR_RECEIVE);
static_assert(kSmtpSendFailed == ZENK_SMTP_ERR_SEND);
static_assert(kSmtpConnectFailed == ZENK_SMTP_ERR_CONNECT);
static_assert(kSmtpUnexpectedReply == ZENK_SMTP_ERR_REPLY);
static_assert(kSmtpOutboxUnopened == ZENK_SMTP_ERR_OUTBOX);
static_assert(kSmtpBadCount == ZENK_SMTP_ERR_COUNT);
static_assert(kSmtpNoWindow == ZENK_SMTP_ERR_NO_WINDOW);
static_assert(kSmtpNoServer == ZENK_SMTP_ERR_NO_SERVER);
static_assert(kSmtpNoStream == ZENK_SMTP_ERR_STREAM);
static_assert(kSmtpServerClosed == ZENK_SMTP_CLOSED);
static_assert(kSmtpBadSender == ZENK_SMTP_ERR_SENDER);
static_assert(kSmtpNoMarker == ZENK_SMTP_ERR_NO_MARKER);
static_assert(kSmtpMessageSent == ZENK_SMTP_SENT);
static_assert(kSmtpConnected == ZENK_SMTP_CONNECTED);
static_assert(kSmtpQuitAcknowledged == ZENK_SMTP_QUIT_DONE);

// POP3 status codes, every one.
static_assert(kPop3End == ZENK_POP3_DONE);
static_assert(kPop3NoBuffer == ZENK_POP3_ERR_READ);
static_assert(kPop3ReceiveFailed == ZENK_POP3_ERR_RECEIVE);
static_assert(kPop3SendFailed == ZENK_POP3_ERR_SEND);
static_assert(kPop3ConnectFailed == ZENK_POP3_ERR_CONNECT);
static_assert(kPop3NotPositive == ZENK_POP3_ERR_REPLY);
static_assert(kPop3InboxCreate == ZENK_POP3_ERR_INBOX);
static_assert(kPop3InboxWrite == ZENK_POP3_ERR_INBOX_WRITE);
static_assert(kPop3NoMail == ZENK_POP3_EMPTY);
static_assert(kPop3NoWindow == ZENK_POP3_ERR_NO_WINDOW);
static_assert(kPop3NoServer == ZENK_POP3_ERR_NO_SERVER);
static_assert(kPop3NoStream == ZENK_POP3_ERR_STREAM);
static_assert(kPop3Closed == ZENK_POP3_CLOSED);
static_assert(kPop3NoUser == ZENK_POP3_ERR_NO_USER);
static_assert(kPop3NoPassword == ZENK_POP3_ERR_NO_PASSWORD);
static_assert(kPop3Stored == ZENK_POP3_STORED);
static_assert(kPop3Connected == ZENK_POP3_CONNECTED);
static_assert(kPop3Count == ZENK_POP3_COUNT);
static_assert(kPop3QuitDone == ZENK_POP3_QUIT_DONE);

// Secure mail: one set of numbers for both families.
static_assert(kSecureHandshakeFailed == ZENK_SMTP_ERR_TLS_HANDSHAKE && kSecureHandshakeFailed == ZENK_POP3_ERR_TLS_HANDSHAKE);
static_assert(kSecureUntrusted == ZENK_SMTP_ERR_TLS_UNTRUSTED && kSecureUntrusted == ZENK_POP3_ERR_TLS_UNTRUSTED);
static_assert(kSecureNameMismatch == ZENK_SMTP_ERR_TLS_NAME && kSecureNameMismatch == ZENK_POP3_ERR_TLS_NAME);
static_assert(kSecureStartTlsRefused == ZENK_SMTP_ERR_STARTTLS && kSecureStartTlsRefused == ZENK_POP3_ERR_STLS);
static_assert(kSecureAuthRefused == ZENK_SMTP_ERR_AUTH);
static_assert(kSecureCaFileUnreadable == ZENK_SMTP_ERR_CAFILE && kSecureCaFileUnreadable == ZENK_POP3_ERR_CAFILE);

}  // namespace
}  // namespace zenk
