// Pop3Engine: the POP3 client's state machine (RFC 1939: USER, PASS, STAT,
// RETR, DELE, QUIT), with no Windows header.
//
// The OS layer (pop3_session.cpp, over the shared MailSession) feeds it the
// stream endpoint's events and a clock tick, and does what it asks through
// Pop3Port: open the inbox and the connection, write a command, tell the
// caller, write the inbox file. The start sequence and the time limits are
// the engine's. One named state per row of the table below; one handler
// per waiting state; EnterState is the only way to change state.
//
// Message text is stored chunk by chunk as it arrives (through the port's
// buffer). What this engine guarantees beyond the plain table:
//  - reply lines are assembled across chunks by the mail clients' shared
//    ReplyLines (a reply split over two chunks is one reply); text that
//    follows the RETR status line in the same chunk is message text and
//    is stored;
//  - message text needs no CR LF in a chunk (lines longer than a chunk are
//    stored whole), and the end line "." is found even when it is split
//    across chunks;
//  - with the delete flag, DELE is written only after the message text and
//    "END MESSAGE" have been written and flushed to the inbox file; a failed
//    write or flush aborts (status 8) without DELE; without the delete flag
//    each message is still written out of the port's buffer before its
//    status 16, and a failure to write out the rest at the close is
//    status 8 unless the run has already failed;
//  - a connection that fails, or a greeting line not whole within
//    kConnectLimitSeconds, ends the run with status 4; a server silent for
//    kSilenceLimitSeconds after that (also in the middle of a message) ends
//    it with status 2: the connection is dropped without QUIT, so a server
//    commits no DELE of this run, and the message is not counted as stored;
//  - every run ends with status 0 exactly once: a connection closed by the
//    server (13) ends the run, and nothing is posted after the 0;
//  - a reply line longer than the limit is dropped up to its CR LF and
//    counts as one reply that is not positive: its tail is never taken for
//    a reply of its own, so a refused greeting sends no credential;
//  - the first refused command of a run and the server's reply to it are
//    kept for the caller (the password never appears in that text);
//  - the STAT count is taken as 0 to kMaxMessages: messages beyond that
//    stay on the server untouched;
//  - security (SetSecurity; kNone sends exactly the bytes of a plain
//    session): kStartTlsRequired sends STLS after the greeting (RFC 2595)
//    and USER only once the handshake has finished; a refused STLS is
//    status 43 with QUIT, never a fall-back to clear text. kImplicitTls
//    starts the handshake as soon as the connection is made and takes the
//    greeting through TLS. A failed handshake (40, 41, 42, 45) ends the run
//    at once without QUIT; so does one unfinished within the connect limit
//    (TLS from the first byte) or the silence limit (after STLS), with 40.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/check.h"
#include "mail/reply_lines.h"
#include "tls/tls_channel.h"
#include "tls/tls_policy.h"
#include "trace/trace.h"

namespace zenk {

// What the engine asks of its surroundings.
class Pop3Port {
public:
    virtual ~Pop3Port() = default;
    // Start steps, in the order the engine takes them.
    virtual bool HasSessionWindow() const = 0;
    virtual bool HasBuffers() const = 0;
    // Creates the inbox file anew (retrieval only). False when it cannot.
    virtual bool CreateInbox() = 0;
    // Creates the stream client endpoint. False when it cannot.
    virtual bool CreateStream() = 0;
    // Begins the TLS handshake on the connection; kOk when it has begun.
    // From then on every command is encrypted; the engine hears OnTlsOpen
    // or OnTlsFailed.
    virtual tls::TlsStatus StartTls() { return tls::TlsStatus::kNoProvider; }
    // Requests the connection to server, port 110. False when it cannot.
    virtual bool Connect(const char* server) = 0;
    // Drops the connection (no further stream event comes).
    virtual void CloseStream() = 0;
    // Queues one command line on the connection. False when it cannot be written.
    virtual bool WriteCommand(const char* text, std::size_t length) = 0;
    // Tells the caller: wParam = status, lParam = count.
    virtual void Notify(int status, long count) = 0;
    // Appends to the inbox file (perhaps only to a buffer in front of it).
    // False when it fails or there is no inbox.
    virtual bool WriteInbox(const void* bytes, std::size_t length) = 0;
    // Writes everything appended so far to the file; durable: also makes
    // it durable on disk. False when that fails.
    virtual bool FlushInbox(bool durable) = 0;
    // Writes out what is left and closes the inbox (none: true). False
    // when the last write failed.
    virtual bool CloseInbox() = 0;
};

// Status codes posted to the caller (wParam); lParam is 0 unless noted.
enum Pop3Status : int {
    kPop3End = 0,             // last notification of every run
    kPop3NoBuffer = 1,        // a buffer missing, or a chunk cannot be read
    kPop3ReceiveFailed = 2,
    kPop3SendFailed = 3,      // or a command cannot be written
    kPop3ConnectFailed = 4,   // the connection cannot be requested (or never came)
    kPop3NotPositive = 5,     // a reply that is not "+OK" where one is needed
    kPop3InboxCreate = 6,
    kPop3InboxWrite = 8,
    kPop3NoMail = 9,
    kPop3NoWindow = 10,
    kPop3NoServer = 11,
    kPop3NoStream = 12,
    kPop3Closed = 13,         // the server closed the connection
    kPop3NoUser = 14,
    kPop3NoPassword = 15,
    kPop3Stored = 16,         // lParam: the stored message's 1-based number
    kPop3Connected = 17,
    kPop3Count = 18,          // lParam: the message count
    kPop3QuitDone = 19,       // QUIT acknowledged with no failure pending
};

// States of the machine; each waits for one thing.
enum class Pop3State : int {
    kGreeting = 0,     // connection requested; waiting for the greeting
    kUserSent = 1,     // USER written; waiting until it has gone out
    kUserReply = 2,
    kPassSent = 3,
    kPassReply = 4,
    kStatSent = 5,
    kStatReply = 6,
    kRetrSent = 7,
    kRetrStatus = 8,   // waiting for the status line of RETR
    kMessageText = 9,  // storing message text up to its "." line
    kDeleSent = 10,
    kDeleReply = 11,
    kQuitSent = 12,
    kQuitReply = 13,
    kStlsSent = 14,      // STLS written (TLS required)
    kStlsReply = 15,     // waiting for "+OK" to STLS
    kTlsHandshake = 16,  // the TLS handshake runs; the port reports its end
};

// The state's name, for the trace and test messages ("?" for no state).
const char* Pop3StateName(Pop3State state);

class Pop3Engine {
public:
    static constexpr std::size_t kReplyCapacity = 1024;  // longest command line written
    static constexpr std::size_t kReplyLimit = 1000;     // longest reply line, CR LF included
    static constexpr std::size_t kUserCapacity = 64;     // 63 characters
    static constexpr std::size_t kPasswordCapacity = 16; // 15 characters
    static constexpr int kMaxMessages = 1000000;         // most messages one run handles
    static constexpr std::size_t kRefusalCapacity = 160; // refused command and reply, NUL included
    static constexpr std::size_t kServerCapacity = 48;   // 47 characters
    static constexpr int kConnectLimitSeconds = 30;      // until the greeting line is whole
    static constexpr int kSilenceLimitSeconds = 60;      // without a stream event, once greeted
    static constexpr int kTransactionRefused = -2;       // ZENK_FAILED

    explicit Pop3Engine(Pop3Port& port) : port_(port) {}

    // Takes a name only when it fits (a longer one leaves the field as it was).
    void SetServer(const char* server);
    void SetUser(const char* user);
    void SetPassword(const char* password);
    const char* User() const { return user_; }
    const char* Server() const { return server_; }
    const char* Password() const { return password_; }

    // ZENKPOP3IsThereMail (checkOnly) and ZENKPOP3PullMail: takes the names,
    // then the start sequence (window, server, user, password, buffers,
    // inbox, stream, connection request). 0 when the connection has been
    // requested; kTransactionRefused when a start step failed (posted with
    // its 0; the call may be repeated) or this engine has already run a
    // transaction (nothing is posted then).
    int Transaction(const char* server, const char* user, const char* password, bool checkOnly,
                    bool deleteAfter);

    // How the connection is secured (before the transaction; kNone by
    // default). False, nothing changed, once a connection was requested.
    bool SetSecurity(tls::SecurityMode mode);
    tls::SecurityMode Security() const { return security_; }
    // The port's report of the TLS handshake it was asked to start.
    void OnTlsOpen();
    void OnTlsFailed(tls::TlsStatus status);

    // Time limits; the defaults above (tests shorten them).
    void SetLimits(int connectSeconds, int silenceSeconds) {
        connectLimitMs_ = static_cast<std::uint32_t>(connectSeconds) * 1000u;
        silenceLimitMs_ = static_cast<std::uint32_t>(silenceSeconds) * 1000u;
    }

    // Stream events.
    void OnReceived(const char* data, std::size_t length);
    void OnReadFailed();
    void OnSent();
    void OnSendError() { if (!finished_) Abort(kPop3SendFailed); }
    void OnReceiveError() { if (!finished_) Abort(kPop3ReceiveFailed); }
    void OnConnected();
    void OnClosed();
    // The connection could not be made: the run ends with kPop3ConnectFailed
    // unless it is past the greeting (then it is stale and ignored).
    void OnConnectFailed();
    // The clock, a few times a second while the run is active: nowMs from a
    // millisecond counter that may wrap, and the stream's last error (a
    // connection that failed after it was requested shows there too, should
    // its notice be lost).
    void OnTick(int streamLastError, std::uint32_t nowMs);

    int MessageCount() const { return count_; }
    int CurrentMessage() const { return current_; }
    Pop3State State() const { return state_; }
    bool Finished() const { return finished_; }
    bool Started() const { return started_; }
    bool Running() const { return started_ && !finished_; }
    // Waiting for the connection and the greeting (for port 995, the TLS
    // handshake before the greeting).
    bool Connecting() const;
    // "COMMAND: reply" for the first reply of this run that refused a
    // command ("greeting" for the greeting, "PASS" without its argument);
    // empty while nothing has been refused.
    const char* Refusal() const { return refusal_; }

private:
    void EnterState(Pop3State next) {
        trace::State(trace::kPop3, Pop3StateName(state_), Pop3StateName(next));
        state_ = next;
    }
    void Post(int status, long count = 0) {
        ZENK_CHECK(!finished_);  // nothing follows a run's final 0
        port_.Notify(status, count);
    }

    void Begin(bool checkOnly, bool deleteAfter);
    void FailStart(int status);

    // Reply intake: hands each line to the state's handler.
    void TakeReplyBytes(const char* data, std::size_t length);
    void OnReplyLine(const char* line, std::size_t length, bool overLong);
    void Refused(const char* line, std::size_t length, bool overLong);

    // One handler per state that waits for a reply.
    void GreetingReply(bool positive);
    void UserReply(bool positive);
    void PassReply(bool positive);
    void StatReply(const char* line, std::size_t length, bool positive);
    void RetrStatus(bool positive);
    void DeleReply();
    void QuitReply(bool positive);
    void StlsReply(bool positive);
    void BeginTls();
    void SendUser();

    // Message text and the steps around it.
    void StoreText(const char* data, std::size_t length);
    std::size_t FindEndMark(const char* data, std::size_t length, bool* ended);
    void MessageStored();
    void NextMessage();
    bool WriteRecord(const char* text);

    // Commands: each returns false when it cannot be written.
    // The command is remembered (PASS without its argument) for Refusal().
    bool Command(const char* format, const char* text = nullptr, int number = 0);
    void SendOrAbort(bool written, Pop3State next);

    void Abort(int code);
    // Ends the run at once, without QUIT, and drops the connection.
    void EndRun(int code);
    void Finish();

    Pop3Port& port_;
    tls::SecurityMode security_ = tls::SecurityMode::kNone;
    bool tlsActive_ = false;         // the handshake finished; every command goes through TLS
    bool greeted_ = false;           // the greeting was positive
    Pop3State state_ = Pop3State::kGreeting;
    int status_ = 0;                 // the status word
    int count_ = -1;                 // from STAT; -1 until it is known
    int current_ = 1;                // 1-based number of the message being retrieved
    bool checkOnly_ = false;         // count only: no inbox, no RETR
    bool deleteAfter_ = false;       // DELE each message once stored
    bool started_ = false;           // a connection has been requested
    bool finished_ = false;          // status 0 has been posted
    bool quitRepeated_ = false;      // a negative QUIT reply was answered once
    bool activity_ = false;          // a stream event came since the last tick
    bool clockRunning_ = false;      // the first tick of the run has come
    std::uint32_t startedMs_ = 0;    // first tick of the run
    std::uint32_t quietSinceMs_ = 0; // the tick that last saw a stream event
    std::uint32_t connectLimitMs_ = kConnectLimitSeconds * 1000u;
    std::uint32_t silenceLimitMs_ = kSilenceLimitSeconds * 1000u;
    char server_[kServerCapacity] = {};
    char user_[kUserCapacity] = {};
    char password_[kPasswordCapacity] = {};
    ReplyLines replyLines_{kPop3LineRules};  // the reply line being assembled
    char lastCommand_[80] = {};        // the command last written, as Refusal() names it
    char refusal_[kRefusalCapacity] = {};
    bool textAtLineStart_ = true;    // end-mark search: the next text byte starts a line
    int textEndMatch_ = 0;           // end-mark search: 1 after ".", 2 after ".\r"
};

}  // namespace zenk
