// SmtpSession: session window, stream endpoint, outbox file, notifications.
#include "mail/smtp_session.h"

#include <cstring>

#include "mail/smtp_status.h"
#include "zenk32.h"

namespace zenk {

static_assert(ZENK_SMTP_SENT == kSmtpMessageSent && ZENK_SMTP_QUIT_DONE == kSmtpQuitAcknowledged &&
                  ZENK_SMTP_CONNECTED == kSmtpConnected && ZENK_SMTP_ERR_NO_MARKER == kSmtpNoMarker,
              "public status codes");

namespace {

SessionWindowClass smtpWindowClass{"ZENK_SMTPWIND", "SMTP Message"};

}  // namespace

SmtpSession::SmtpSession(const OwnerNotify& notify, const char* outboxPath) : notify_(notify) {
    // A path that does not fit is not cut (that would name another file):
    // the session keeps none, and SendMail reports status 6.
    if (outboxPath) {
        std::size_t n = 0;
        while (n < kPathCapacity && outboxPath[n]) ++n;
        if (n < kPathCapacity) std::memcpy(outboxPath_, outboxPath, n + 1);
    }
    window_ = CreateSessionWindow(smtpWindowClass, this);
}

SmtpSession::~SmtpSession() {
    StopTimer();
    CloseStream();
    DestroySessionWindow(window_);
    outbox_.Close();
}

int SmtpSession::SendMail(const char* server) {
    int result = engine_.SendMail(server);
    if (result == 0) timerRunning_ = SetTimer(window_, kTimerId, kTimerMs, nullptr) != 0;
    return result;
}

ByteSource* SmtpSession::OpenOutbox() {
    if (!outboxPath_[0] || !outbox_.OpenExisting(outboxPath_)) return nullptr;
    return &outbox_;
}

bool SmtpSession::CreateStream() {
    if (ZENKCreateStreamClientWindow(window_, kStreamMessage, &stream_) == 0) return true;
    if (stream_) ZENKCloseStream(stream_);
    stream_ = nullptr;
    return false;
}

bool SmtpSession::Connect(const char* server) { return ZENKStreamConnectToPort(stream_, server, 25) == 0; }

void SmtpSession::CloseStream() {
    if (stream_) ZENKCloseStream(stream_);
    stream_ = nullptr;
}

bool SmtpSession::Write(const void* data, std::size_t length) {
    return stream_ && ZENKStreamWrite(stream_, data, static_cast<unsigned int>(length)) == 0;
}

void SmtpSession::OnStreamEvent(WPARAM code, LPARAM count) {
    switch (code) {
    case ZENK_STREAM_RECEIVED:
        if (!stream_) break;
        if (count == 0) {
            // The empty chunk of the peer's close: nothing to take in;
            // ZENK_STREAM_CLOSED reports the close itself.
            ZENKStreamRead(stream_, reply_, sizeof reply_);
            break;
        }
        if (ZENKStreamRead(stream_, reply_, sizeof reply_) != 0) {
            engine_.OnReadFailed();
            break;
        }
        // The chunk is not NUL-terminated: its length bounds every test.
        engine_.OnReceived(reply_, count > 0 && static_cast<std::size_t>(count) < sizeof reply_
                                       ? static_cast<std::size_t>(count)
                                       : sizeof reply_);
        break;
    case ZENK_STREAM_SENT: engine_.OnSent(); break;
    case ZENK_STREAM_SEND_ERROR: engine_.OnSendError(); break;
    case ZENK_STREAM_RECEIVE_ERROR: engine_.OnReceiveError(); break;
    case ZENK_STREAM_CONNECTED: engine_.OnConnected(); break;
    case ZENK_STREAM_CLOSED: engine_.OnClosed(); break;
    default: break;  // ZENK_STREAM_ACCEPT_READY and anything else
    }
    if (engine_.Finished()) StopTimer();
}

void SmtpSession::OnTimer(UINT_PTR timerId) {
    if (timerId != kTimerId) return;
    int code = 0;
    char text[ZENK_ERRTEXT_SIZE];
    if (!stream_ || ZENKLastStreamWinSockError(stream_, &code, text) != 0) code = 0;
    engine_.OnSecond(code);
    if (engine_.Finished()) StopTimer();
}

void SmtpSession::StopTimer() {
    if (timerRunning_ && window_) KillTimer(window_, kTimerId);
    timerRunning_ = false;
}

}  // namespace zenk
