// SmtpEngine: the start sequence, the state table and its handlers.
#include "mail/smtp_engine.h"

#include <cstring>

#include "core/check.h"
#include "mail/secure_status.h"
#include "mail/smtp_commands.h"
#include "mail/smtp_status.h"
#include "trace/trace.h"

namespace zenk {

const SmtpEngine::StateRow SmtpEngine::kStates[kSmtpStateCount] = {
    {"greeting", &SmtpEngine::OnGreetingReply, nullptr},
    {"helo-sent", nullptr, &SmtpEngine::OnCommandSent},
    {"helo-reply", &SmtpEngine::OnHeloReply, nullptr},
    {"mail-sent", nullptr, &SmtpEngine::OnCommandSent},
    {"mail-reply", &SmtpEngine::OnMailReply, nullptr},
    {"rcpt-sent", nullptr, &SmtpEngine::OnCommandSent},
    {"rcpt-reply", &SmtpEngine::OnRcptReply, nullptr},
    {"data-sent", nullptr, &SmtpEngine::OnCommandSent},
    {"data-reply", &SmtpEngine::OnDataReply, nullptr},
    {"chunk-sent", nullptr, &SmtpEngine::OnChunkSent},
    {"end-reply", &SmtpEngine::OnEndReply, nullptr},
    {"quit-sent", nullptr, &SmtpEngine::OnCommandSent},
    {"quit-reply", &SmtpEngine::OnQuitReply, nullptr},
    {"ehlo-sent", nullptr, &SmtpEngine::OnCommandSent},
    {"ehlo-reply", &SmtpEngine::OnEhloReply, nullptr},
    {"starttls-sent", nullptr, &SmtpEngine::OnCommandSent},
    {"starttls-reply", &SmtpEngine::OnStartTlsReply, nullptr},
    {"auth-sent", nullptr, &SmtpEngine::OnCommandSent},
    {"auth-reply", &SmtpEngine::OnAuthReply, nullptr},
    {"login-user-sent", nullptr, &SmtpEngine::OnCommandSent},
    {"login-user-reply", &SmtpEngine::OnLoginUserReply, nullptr},
    {"login-pass-sent", nullptr, &SmtpEngine::OnCommandSent},
    {"login-pass-reply", &SmtpEngine::OnLoginPassReply, nullptr},
    {"tls-handshake", nullptr, nullptr},
};

const char* SmtpStateName(int state) {
    return state >= 0 && state < kSmtpStateCount ? SmtpEngine::StateRowName(state) : "?";
}

// ---- Run control ---------------------------------------------------------

void SmtpEngine::EnterState(int state) {
    // Even states wait for a reply, odd ones for a write to complete; the
    // TLS handshake waits for neither (the link reports its end).
    ZENK_CHECK(state >= 0 && state < kSmtpStateCount);
    const bool handshake = state == kSmtpTlsHandshake;
    ZENK_CHECK(handshake || (state % 2 == 0) == (kStates[state].onReply != nullptr));
    ZENK_CHECK(handshake || (state % 2 == 1) == (kStates[state].onSent != nullptr));
    ZENK_CHECK(!handshake || (!kStates[state].onReply && !kStates[state].onSent));
    trace::State(trace::kSmtp, kStates[state_].name, kStates[state].name);
    state_ = state;
}

// Posts the failure and asks the server to end the session. When QUIT
// cannot help (nothing connected, an abort already under way, or QUIT
// cannot be queued) the run ends at once instead, so a broken connection
// can neither loop on QUIT nor leave the caller waiting.
void SmtpEngine::Abort(int code) {
    status_ = code;
    PostStatus();
    if (!connected_ || aborted_) {
        Finish();
        return;
    }
    aborted_ = true;
    // A QUIT that cannot even be queued will never complete: end now.
    if (!WriteText("QUIT ")) return Finish();
    EnterState(kSmtpQuitSent);
}

// Ends the run now: the failure, then the final 0; the connection is dropped.
void SmtpEngine::EndRun(int code) {
    status_ = code;
    PostStatus();
    link_.CloseStream();
    Finish();
}

// The finish step: 18 when nothing failed, then 0.
void SmtpEngine::Finish() {
    if (finished_) return;
    if (status_ == kSmtpDone) {
        status_ = kSmtpQuitAcknowledged;
        PostStatus();
    }
    status_ = kSmtpDone;
    PostStatus();
    finished_ = true;
}

void SmtpEngine::PostStatus(long count) {
    // The run's final 0 is its last word; only the server's close may follow.
    ZENK_CHECK(!finished_ || status_ == kSmtpServerClosed);
    link_.Post(status_, count);
}

void SmtpEngine::FailStart(int code) {
    status_ = code;
    PostStatus();
    Finish();
}

// ---- Start sequence ------------------------------------------------------

int SmtpEngine::SendMail(const char* server) {
    if (started_) return -2;  // a session carries one delivery
    started_ = true;
    if (server) {
        std::size_t n = 0;
        while (n < kServerCapacity && server[n]) ++n;
        if (n < kServerCapacity) std::memcpy(server_, server, n + 1);
    }
    if (!link_.HasSessionWindow()) return FailStart(kSmtpNoWindow), -2;
    if (!server_[0]) return FailStart(kSmtpNoServer), -2;
    // Credentials that could only go out in clear are refused before
    // anything is sent, rather than at the AUTH step.
    if (HaveLogin() && security_ == tls::SecurityMode::kNone &&
        !tls::MaySendCredentials(false, allowClearLogin_))
        return FailStart(kSecureAuthRefused), -2;
    outbox_ = link_.OpenOutbox();
    if (!outbox_) return FailStart(kSmtpOutboxUnopened), -2;
    if (!ReadHead()) return -2;
    if (!link_.CreateStream()) return FailStart(kSmtpNoStream), -2;
    if (!link_.Connect(server_)) {
        link_.CloseStream();
        return FailStart(kSmtpConnectFailed), -2;
    }
    EnterState(kSmtpGreeting);
    return 0;
}

// The count line and the sender line, read once for the whole file.
bool SmtpEngine::ReadHead() {
    letterCount_ = -1;
    int count = 0;
    if (!Read() || !ParseCountLine(line_, kOutboxCountAt, &count) || count <= 0) {
        outbox_ = nullptr;
        link_.CloseOutbox();
        FailStart(kSmtpBadCount);
        return false;
    }
    letterCount_ = count;
    currentLetter_ = 1;
    // A sender line that does not fit its field, or that holds a CR (it
    // goes out in HELO and MAIL), is refused like a malformed one.
    if (!Read() || !IsSenderLine(line_) || line_.length >= kSenderLineCapacity ||
        line_.View().find('\r') != std::string_view::npos) {
        outbox_ = nullptr;
        link_.CloseOutbox();
        FailStart(kSmtpBadSender);
        return false;
    }
    std::memcpy(senderLine_, line_.text, line_.length + 1);
    return true;
}

// ---- Stream events -------------------------------------------------------

void SmtpEngine::OnReceived(const char* chunk, std::size_t length) {
    if (finished_) return;
    idleSeconds_ = 0;
    connected_ = true;  // data flows, whatever the order of the events
    // Bytes that follow the reply to STARTTLS in the same chunk were sent in
    // clear before the handshake: they are dropped, never taken for replies
    // that came through TLS (RFC 3207 section 6).
    replyLines_.Take(chunk, length, [this](std::string_view line, bool overLong) {
        if (finished_) return false;
        trace::Received(trace::kSmtp, line);
        if (!overLong) {
            if (state_ == kSmtpEhloReply) tls::NoteEhloLine(line, caps_);
            if (reply_.TakeLine(line)) TakeReply(reply_.Class());
        }
        return state_ != kSmtpTlsHandshake;
    });
    if (state_ == kSmtpTlsHandshake) replyLines_.Reset();
}

void SmtpEngine::TakeReply(char replyClass) {
    const StateRow& row = kStates[state_];
    if (row.onReply) (this->*row.onReply)(replyClass);
}

void SmtpEngine::OnReadFailed() {
    if (finished_) return;
    status_ = kSmtpNoBuffer;
    PostStatus();
}

void SmtpEngine::OnSent() {
    if (finished_) return;
    idleSeconds_ = 0;
    connected_ = true;
    const StateRow& row = kStates[state_];
    if (row.onSent) (this->*row.onSent)();
}

void SmtpEngine::OnSendError() {
    if (finished_) return;
    Abort(kSmtpSendFailed);
}

void SmtpEngine::OnReceiveError() {
    if (finished_) return;
    Abort(kSmtpReceiveFailed);
}

void SmtpEngine::OnConnected() {
    if (finished_) return;
    idleSeconds_ = 0;
    const bool first = !connected_;
    connected_ = true;
    status_ = kSmtpConnected;
    PostStatus();
    status_ = kSmtpDone;
    // TLS from the first byte: the greeting comes once the handshake is done.
    if (first && security_ == tls::SecurityMode::kImplicitTls && state_ == kSmtpGreeting) BeginTls();
}

// The server's close is always reported; before the end of the run it also
// ends the run, since no further event can move the machine.
void SmtpEngine::OnClosed() {
    if (!started_) return;
    status_ = kSmtpServerClosed;
    PostStatus();
    Finish();
}

void SmtpEngine::OnConnectFailed() {
    if (Running() && !connected_) EndRun(kSmtpConnectFailed);
}

void SmtpEngine::OnSecond(int streamLastError) {
    if (!Running()) return;
    ++idleSeconds_;
    if (!connected_) {
        if (streamLastError != 0 || idleSeconds_ >= connectLimit_) EndRun(kSmtpConnectFailed);
    } else if (idleSeconds_ >= silenceLimit_) {
        const bool handshaking = state_ == kSmtpTlsHandshake ||
                                 (security_ == tls::SecurityMode::kImplicitTls && !tlsActive_);
        EndRun(handshaking ? int{kSecureHandshakeFailed} : int{kSmtpReceiveFailed});
    }
}

// ---- Security ------------------------------------------------------------

bool SmtpEngine::SetSecurity(tls::SecurityMode mode) {
    if (started_) return false;
    security_ = mode;
    return true;
}

bool SmtpEngine::SetLogin(std::string_view user, std::string_view password, bool allowClear) {
    if (started_) return false;
    auto usable = [](std::string_view v) {
        return v.size() <= kMaxCredential && v.find_first_of(std::string_view("\0\r\n", 3)) == v.npos;
    };
    if (!usable(user) || !usable(password) || (!user.empty() && password.empty())) return false;
    if (user.empty()) {
        user_.Clear();
        password_.Clear();
        allowClearLogin_ = false;
        return true;
    }
    user_.Assign(user);
    password_.Assign(password);
    allowClearLogin_ = allowClear;
    return true;
}

void SmtpEngine::BeginTls() {
    replyLines_.Reset();  // nothing received in clear is taken after this point
    const tls::TlsStatus started = link_.StartTls();
    if (started != tls::TlsStatus::kOk) return EndRun(SecureStatusOf(started));
    EnterState(kSmtpTlsHandshake);
}

void SmtpEngine::OnTlsOpen() {
    if (finished_ || state_ != kSmtpTlsHandshake) return;
    idleSeconds_ = 0;
    tlsActive_ = true;
    if (!greeted_) return EnterState(kSmtpGreeting);  // TLS from the first byte: the greeting comes now
    // After STARTTLS the client starts over with EHLO (RFC 3207 4.2).
    caps_ = {};
    if (!WriteHelo("EHLO ")) return Abort(kSmtpSendFailed);
    EnterState(kSmtpEhloSent);
}

// No QUIT: a connection whose TLS failed carries nothing more.
void SmtpEngine::OnTlsFailed(tls::TlsStatus status) {
    if (finished_) return;
    EndRun(SecureStatusOf(status));
}

// ---- State handlers ------------------------------------------------------

void SmtpEngine::OnCommandSent() { EnterState(state_ + 1); }

void SmtpEngine::OnGreetingReply(char c) {
    if (c != '2') return Abort(kSmtpUnexpectedReply);
    greeted_ = true;
    Greeted();
}

void SmtpEngine::Greeted() {
    if (!tls::UseEhlo(security_, HaveLogin())) {
        if (!WriteHelo()) return Abort(kSmtpSendFailed);
        return EnterState(kSmtpHeloSent);
    }
    caps_ = {};
    if (!WriteHelo("EHLO ")) return Abort(kSmtpSendFailed);
    EnterState(kSmtpEhloSent);
}

void SmtpEngine::OnEhloReply(char c) {
    if (c != '2') return Abort(kSmtpUnexpectedReply);
    AfterCapabilities();
}

void SmtpEngine::AfterCapabilities() {
    switch (tls::NextUpgradeStep(security_, tlsActive_, caps_)) {
    case tls::UpgradeStep::kFailNotOffered: return Abort(kSecureStartTlsRefused);
    case tls::UpgradeStep::kStartTls:
        if (!WriteText("STARTTLS")) return Abort(kSmtpSendFailed);
        return EnterState(kSmtpStartTlsSent);
    case tls::UpgradeStep::kContinue: break;
    }
    if (!HaveLogin()) return Authenticated();
    if (!tls::MaySendCredentials(tlsActive_, allowClearLogin_)) return Abort(kSecureAuthRefused);
    mechanism_ = tls::ChooseAuthMechanism(caps_);
    tls::SecretBytes token;
    bool written = false;
    if (mechanism_ == tls::AuthMechanism::kPlain)
        written = tls::BuildAuthPlainToken(user_.View(), password_.View(), token) &&
                  WriteSecret("AUTH PLAIN ", token);
    else if (mechanism_ == tls::AuthMechanism::kLogin)
        written = WriteText("AUTH LOGIN");
    else
        return Abort(kSecureAuthRefused);  // neither PLAIN nor LOGIN offered
    if (!written) return Abort(kSmtpSendFailed);
    EnterState(kSmtpAuthSent);
}

void SmtpEngine::OnStartTlsReply(char c) {
    if (c != '2') return Abort(kSecureStartTlsRefused);
    BeginTls();
}

void SmtpEngine::OnAuthReply(char c) {
    if (mechanism_ == tls::AuthMechanism::kPlain) {
        if (c != '2') return Abort(kSecureAuthRefused);
        return Authenticated();
    }
    if (c != '3') return Abort(kSecureAuthRefused);
    tls::SecretBytes token;
    if (!tls::BuildAuthLoginToken(user_.View(), token) || !WriteSecret("", token)) return Abort(kSmtpSendFailed);
    EnterState(kSmtpLoginUserSent);
}

void SmtpEngine::OnLoginUserReply(char c) {
    if (c != '3') return Abort(kSecureAuthRefused);
    tls::SecretBytes token;
    if (!tls::BuildAuthLoginToken(password_.View(), token) || !WriteSecret("", token))
        return Abort(kSmtpSendFailed);
    EnterState(kSmtpLoginPassSent);
}

void SmtpEngine::OnLoginPassReply(char c) {
    if (c != '2') return Abort(kSecureAuthRefused);
    Authenticated();
}

void SmtpEngine::Authenticated() {
    if (!WriteMail()) return Abort(kSmtpSendFailed);
    EnterState(kSmtpMailSent);
}

void SmtpEngine::OnHeloReply(char c) {
    if (c != '2') return Abort(kSmtpUnexpectedReply);
    if (!WriteMail()) return Abort(kSmtpSendFailed);
    EnterState(kSmtpMailSent);
}

void SmtpEngine::OnMailReply(char c) {
    if (c != '2') return Abort(kSmtpUnexpectedReply);
    if (!outbox_ || !SkipToMarker(*outbox_, line_, kBeginMessageHeader)) return Abort(kSmtpNoMarker);
    acceptedRecipients_ = 0;
    if (!WriteRecipient()) return Abort(kSmtpSendFailed);
    EnterState(kSmtpRcptSent);
}

// A refused recipient is reported (0 with the letter number) and the
// session goes on with the next one; a message whose recipients were all
// refused ends the run with status 5.
void SmtpEngine::OnRcptReply(char c) {
    if (c == '2') {
        ++acceptedRecipients_;
    } else if (c == '4' || c == '5') {
        PostStatus(currentLetter_);
        status_ = kSmtpDone;
    } else {
        return Abort(kSmtpUnexpectedReply);
    }
    NextRecipientOrData();
}

void SmtpEngine::NextRecipientOrData() {
    if (Peek() && line_.StartsWith(kRecipientPrefix)) {
        if (!WriteRecipient()) return Abort(kSmtpSendFailed);
        return EnterState(kSmtpRcptSent);
    }
    if (acceptedRecipients_ == 0) return Abort(kSmtpUnexpectedReply);
    if (!WriteText("DATA ")) return Abort(kSmtpSendFailed);
    EnterState(kSmtpDataSent);
}

void SmtpEngine::OnDataReply(char c) {
    if (c != '3') return Abort(kSmtpUnexpectedReply);
    if (!outbox_ || !SkipToMarker(*outbox_, line_, kBeginData)) return Abort(kSmtpNoMarker);
    dataEnd_ = FindRecordEnd(*outbox_, kEndData, StartsOutboxRecord, false);
    textFailed_ = false;
    EnterState(kSmtpChunkSent);
    SendNextChunk();
}

void SmtpEngine::OnChunkSent() { SendNextChunk(); }

// Fills one chunk with the next text lines, as many as fit the link's
// write limit (at most kDataChunkBytes), and writes it. Once the outbox
// reaches the "END DATA" line that ends this record's data, the chunk ends
// with the end-of-data marker and the session waits for its reply. A text
// line that reads "END DATA" is sent like any other (FindRecordEnd). A line
// that cannot be read aborts the delivery after the lines before it have
// gone out, as when each line was a write of its own.
void SmtpEngine::SendNextChunk() {
    if (textFailed_) return Abort(kSmtpSendFailed);
    std::size_t bound = link_.WriteLimit();
    if (bound > sizeof chunk_) bound = sizeof chunk_;
    if (bound < kMaxWireLine) bound = kMaxWireLine;  // links carry at least 1024 bytes
    std::size_t n = 0;
    bool ended = false;
    while (n + kMaxWireLine <= bound) {
        if (outbox_ && outbox_->Tell() == dataEnd_) {
            Read();  // past the marker
            chunk_[n++] = '.';
            chunk_[n++] = '\r';
            chunk_[n++] = '\n';
            ended = true;
            break;
        }
        std::size_t wrote = Read() ? FormatDataLine(line_, chunk_ + n, bound - n) : 0;
        if (wrote == 0) {  // a line always fits the room left; never drop one
            textFailed_ = true;
            break;
        }
        n += wrote;
    }
    if (n == 0 || !link_.Write(chunk_, n)) return Abort(kSmtpSendFailed);
    if (ended) EnterState(kSmtpEndReply);
}

void SmtpEngine::OnEndReply(char c) {
    if (c != '2') return Abort(kSmtpUnexpectedReply);
    status_ = kSmtpMessageSent;
    PostStatus(currentLetter_);
    status_ = kSmtpDone;
    ++currentLetter_;
    if (letterCount_ < currentLetter_) {
        if (!WriteText("QUIT ")) return Abort(kSmtpSendFailed);
        return EnterState(kSmtpQuitSent);
    }
    if (!WriteMail()) return Abort(kSmtpSendFailed);
    EnterState(kSmtpMailSent);
}

void SmtpEngine::OnQuitReply(char c) {
    if (c == '2' || aborted_) return Finish();
    Abort(kSmtpUnexpectedReply);
}

// ---- Commands ------------------------------------------------------------

bool SmtpEngine::WriteText(const char* text) {
    std::size_t n = FormatCommand(out_, sizeof out_, text, "");
    return n > 0 && link_.Write(out_, n);
}

bool SmtpEngine::WriteHelo(const char* verb) {
    char name[kMaxHeloName + 1];
    HeloName(senderLine_, name, sizeof name);
    std::size_t n = FormatCommand(out_, sizeof out_, verb, name);
    return n > 0 && link_.Write(out_, n);
}

// A command carrying a secret: the copy in out_ is wiped once queued.
bool SmtpEngine::WriteSecret(const char* verb, const tls::SecretBytes& token) {
    const std::size_t v = std::strlen(verb), t = token.View().size();
    if (v + t + 2 > sizeof out_) return false;
    std::memcpy(out_, verb, v);
    std::memcpy(out_ + v, token.View().data(), t);
    out_[v + t] = '\r';
    out_[v + t + 1] = '\n';
    const bool written = link_.Write(out_, v + t + 2);
    tls::WipeSecret(out_, v + t + 2);
    return written;
}

bool SmtpEngine::WriteMail() {
    if (!senderLine_[0]) return false;
    std::size_t n = FormatCommand(out_, sizeof out_, "MAIL ", senderLine_);
    return n > 0 && link_.Write(out_, n);
}

// Reads the next outbox line; it must be a recipient line that fits.
bool SmtpEngine::WriteRecipient() {
    if (!Read() || !line_.StartsWith(kRecipientPrefix) || line_.length > kMaxRecipientLine) return false;
    std::size_t n = FormatCommand(out_, sizeof out_, "RCPT ", line_.text);
    return n > 0 && link_.Write(out_, n);
}

}  // namespace zenk
