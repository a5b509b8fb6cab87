// SmtpEngine: the SMTP client's state machine (RFC 821/5321 client side:
// HELO, MAIL, RCPT, DATA, QUIT), delivering every message of one outbox
// file over one connection; with security or credentials asked for, also
// EHLO, STARTTLS (RFC 3207) and AUTH PLAIN / LOGIN (RFC 4954, RFC 4616).
//
// Even states wait for a server reply, odd states for the completion of
// the command just written. A reply in an odd state and a completion in an
// even state are ignored. EnterState is the only way to change state.
// kSmtpTlsHandshake waits for neither: the link reports the handshake's
// end (OnTlsOpen, OnTlsFailed).
//
// Security (SetSecurity, SetLogin; tls_policy.h decides):
//  - kNone without credentials: exactly the bytes of a plain session.
//  - kStartTlsRequired: EHLO; STARTTLS when offered, else status 43 and
//    QUIT; after the handshake EHLO again (RFC 3207 4.2: what was learnt
//    before is forgotten).
//  - kImplicitTls: the handshake starts when the connection is made; the
//    greeting comes through TLS.
//  - Credentials go out only over TLS whose handshake has finished, unless
//    clear-text credentials were allowed; AUTH PLAIN when offered, else
//    LOGIN; neither offered, or a refusal: status 44 and QUIT.
//  - A failed handshake (40, 41, 42, 45) ends the run at once, without
//    QUIT: nothing more goes out on that connection. A handshake that stays
//    unfinished for the silence limit ends it with 40.
//
// Every run ends with status 0 posted to the caller (see smtp_status.h for
// the codes). Beyond the bare protocol, a run also ends when:
//  - the connection is not established within kConnectLimitSeconds, or the
//    stream records a connection failure: status 4, then 0;
//  - the server stays silent for kSilenceLimitSeconds while the session
//    waits: status 2, then 0 (the connection is closed);
//  - the server closes the connection before the end: status 12, then 0.
#pragma once
#include <cstddef>
#include <cstdint>

#include "mail/reply_lines.h"
#include "mail/smtp_link.h"
#include "mime/message_files.h"
#include "tls/tls_policy.h"

namespace zenk {

enum SmtpState : int {
    kSmtpGreeting = 0,   // waiting for the server's greeting
    kSmtpHeloSent,       // HELO written, waiting for its completion
    kSmtpHeloReply,      // waiting for the reply to HELO
    kSmtpMailSent,       // MAIL written
    kSmtpMailReply,      // waiting for the reply to MAIL
    kSmtpRcptSent,       // RCPT written
    kSmtpRcptReply,      // waiting for the reply to RCPT
    kSmtpDataSent,       // DATA written
    kSmtpDataReply,      // waiting for the reply to DATA (354)
    kSmtpChunkSent,      // a chunk of text lines written; each completion sends the next
    kSmtpEndReply,       // end-of-data marker written, waiting for its reply
    kSmtpQuitSent,       // QUIT written
    kSmtpQuitReply,      // waiting for the reply to QUIT
    kSmtpEhloSent,       // EHLO written (security or AUTH asked for)
    kSmtpEhloReply,      // waiting for the EHLO reply; its lines give the capabilities
    kSmtpStartTlsSent,   // STARTTLS written
    kSmtpStartTlsReply,  // waiting for the reply to STARTTLS (220)
    kSmtpAuthSent,       // AUTH PLAIN <token> or AUTH LOGIN written
    kSmtpAuthReply,      // waiting for 235 (PLAIN) or 334 (LOGIN asks for the user name)
    kSmtpLoginUserSent,  // AUTH LOGIN: the user name written
    kSmtpLoginUserReply, // waiting for 334 (the password is asked for)
    kSmtpLoginPassSent,  // AUTH LOGIN: the password written
    kSmtpLoginPassReply, // waiting for 235
    kSmtpTlsHandshake,   // the TLS handshake runs; the link reports its end
    kSmtpStateCount
};

// The state's name, for tracing and test messages.
const char* SmtpStateName(int state);

class SmtpEngine {
public:
    static constexpr std::size_t kServerCapacity = 48;      // server name: 47 characters
    static constexpr std::size_t kSenderLineCapacity = 64;  // sender line: 63 characters
    static constexpr std::size_t kMaxRecipientLine = 120;   // "RCPT " + line + CR LF fits 127
    static constexpr std::size_t kMaxHeloName = 30;
    static constexpr int kConnectLimitSeconds = 20;
    static constexpr int kSilenceLimitSeconds = 60;
    // The message text goes out in writes of whole lines, each at most this
    // long and at most the link's WriteLimit; the next is filled when one has
    // gone out, so at most one chunk waits in the stream whatever the
    // message size. One write per line cost two window messages per 74-byte
    // line (about 0.3 ms under Wine).
    static constexpr std::size_t kDataChunkBytes = 32768;
    static constexpr std::size_t kMaxWireLine = 1 + kMaxLineBytes + 2;  // "." + line + CR LF
    static constexpr std::size_t kMaxCredential = 255;  // user name and password: 255 bytes each

    explicit SmtpEngine(SmtpLink& link) : link_(link) {}

    // The start sequence. 0: the connection has been requested; -2: the
    // delivery failed at once (the failure and then 0 have been posted),
    // or this is not the session's first call (nothing is posted).
    int SendMail(const char* server);

    // Stream events.
    void OnReceived(const char* chunk, std::size_t length);
    void OnReadFailed();    // a 15005 whose chunk could not be read
    void OnSent();          // 15006
    void OnSendError();     // 15007
    void OnReceiveError();  // 15008
    void OnConnected();     // 15009
    void OnClosed();        // 15011
    // The connection could not be made: before it is up, the run ends with
    // kSmtpConnectFailed; afterwards the notice is stale and ignored.
    void OnConnectFailed();
    // Called about once a second while the run is active, with the
    // stream's last error (a recorded connection failure shows there too,
    // should its notice be lost).
    void OnSecond(int streamLastError);

    // How the connection is secured (before SendMail; kNone by default).
    // False, nothing changed, once the delivery has started.
    bool SetSecurity(tls::SecurityMode mode);
    tls::SecurityMode Security() const { return security_; }
    // Credentials for AUTH (before SendMail). An empty user forgets them.
    // False, nothing kept, for a value over kMaxCredential bytes, one
    // holding a NUL, CR or LF, an empty password with a user, or once the
    // delivery has started. allowClear: they may go out without TLS.
    bool SetLogin(std::string_view user, std::string_view password, bool allowClear);

    // The link's report of the TLS handshake it was asked to start.
    void OnTlsOpen();
    void OnTlsFailed(tls::TlsStatus status);

    // Time limits; the defaults above (tests shorten them).
    void SetLimits(int connectSeconds, int silenceSeconds) {
        connectLimit_ = connectSeconds;
        silenceLimit_ = silenceSeconds;
    }

    int State() const { return state_; }
    int Status() const { return status_; }
    bool Running() const { return started_ && !finished_; }
    bool Started() const { return started_; }
    bool Finished() const { return finished_; }
    int CurrentLetter() const { return currentLetter_; }
    int LetterCount() const { return letterCount_; }
    const char* Server() const { return server_; }
    static const char* StateRowName(int state) { return kStates[state].name; }

private:
    struct StateRow {
        const char* name;
        void (SmtpEngine::*onReply)(char replyClass);  // even states
        void (SmtpEngine::*onSent)();                  // odd states
    };
    static const StateRow kStates[kSmtpStateCount];

    // Transitions and run control.
    void EnterState(int state);
    void Abort(int code);
    void EndRun(int code);
    void Finish();
    void FailStart(int code);
    void PostStatus(long count = 0);
    void TakeReply(char replyClass);

    // One handler per state.
    void OnGreetingReply(char c);
    void OnHeloReply(char c);
    void OnMailReply(char c);
    void OnRcptReply(char c);
    void OnDataReply(char c);
    void OnEndReply(char c);
    void OnQuitReply(char c);
    void OnEhloReply(char c);
    void OnStartTlsReply(char c);
    void OnAuthReply(char c);
    void OnLoginUserReply(char c);
    void OnLoginPassReply(char c);
    void OnCommandSent();  // 1, 3, 5, 7, 11: on to the reply state
    void OnChunkSent();    // 9

    // Security steps.
    void Greeted();           // HELO, or EHLO when security or AUTH was asked for
    void AfterCapabilities(); // STARTTLS, AUTH or MAIL, by the EHLO reply
    void BeginTls();
    void Authenticated();     // on to the first MAIL
    bool HaveLogin() const { return !user_.Empty(); }

    // Commands: each true when the write was queued.
    bool WriteHelo(const char* verb = "HELO ");
    bool WriteSecret(const char* verb, const tls::SecretBytes& token);
    bool WriteMail();
    bool WriteRecipient();
    bool WriteText(const char* text);
    void SendNextChunk();
    void NextRecipientOrData();

    // Outbox reading.
    bool ReadHead();
    bool Read() { return outbox_ && ReadLine(*outbox_, line_); }
    bool Peek() { return outbox_ && PeekLine(*outbox_, line_); }

    SmtpLink& link_;
    ByteSource* outbox_ = nullptr;  // open outbox file, owned by the link
    int state_ = kSmtpGreeting;
    int status_ = 0;           // the status word: wParam of most notifications
    int letterCount_ = 0;      // messages announced by the count line (-1 while reading it)
    int currentLetter_ = 0;    // 1-based number of the message being sent
    int acceptedRecipients_ = 0;  // recipients of the current message the server took
    bool started_ = false;     // SendMail has been called
    bool connected_ = false;   // 15009 seen
    bool aborted_ = false;     // an abort has written QUIT; further failures just end the run
    bool finished_ = false;    // the final 0 has been posted
    int idleSeconds_ = 0;      // seconds since the last stream event
    int connectLimit_ = kConnectLimitSeconds;
    int silenceLimit_ = kSilenceLimitSeconds;
    char server_[kServerCapacity] = {};
    char senderLine_[kSenderLineCapacity] = {};
    Line line_;                // current outbox line
    std::uint64_t dataEnd_ = kNoRecordEnd;  // outbox position of the current message's END DATA
    ReplyLines replyLines_;
    SmtpReplyIntake reply_;
    bool textFailed_ = false;  // a text line could not be read: abort once the chunk before it is out
    tls::SecurityMode security_ = tls::SecurityMode::kNone;
    tls::SecretBytes user_;         // AUTH user name; empty: no AUTH
    tls::SecretBytes password_;     // AUTH password, wiped with the engine
    bool allowClearLogin_ = false;  // the caller allowed credentials without TLS
    bool greeted_ = false;          // the greeting has been answered
    bool tlsActive_ = false;        // the handshake finished; everything goes through TLS
    tls::ServerCapabilities caps_;  // from the last EHLO reply
    tls::AuthMechanism mechanism_ = tls::AuthMechanism::kNone;
    char out_[kMaxWireLine + 16];  // one command on its way out
    char chunk_[kDataChunkBytes];  // text lines on their way out
};

}  // namespace zenk
