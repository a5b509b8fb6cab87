// Pop3Engine: the POP3 client's state machine (RFC 1939: USER, PASS, STAT,
// RETR, DELE, QUIT), with no Windows header.
//
// The OS layer (pop3_session.cpp) feeds it the stream endpoint's events and
// does what it asks through Pop3Port: write a command, tell the caller,
// write the inbox file. One named state per row of the table below; one
// handler per waiting state; EnterState is the only way to change state.
//
// Message text is stored chunk by chunk as it arrives. What this engine
// guarantees beyond the plain table:
//  - reply lines are assembled across chunks (a reply split over two chunks
//    is one reply); text that follows the RETR status line in the same
//    chunk is message text and is stored;
//  - message text needs no CR LF in a chunk (lines longer than a chunk are
//    stored whole), and the end line "." is found even when it is split
//    across chunks;
//  - with the delete flag, DELE is written only after the message text and
//    "END MESSAGE" have been written and flushed to the inbox file; a failed
//    write or flush aborts (status 8) without DELE;
//  - every run ends with status 0 exactly once: a connection closed by the
//    server (13) ends the run, and nothing is posted after the 0;
//  - a reply line longer than the limit is dropped up to its CR LF and
//    counts as one reply that is not positive: its tail is never taken for
//    a reply of its own, so a refused greeting sends no credential;
//  - the first refused command of a run and the server's reply to it are
//    kept for the caller (the password never appears in that text);
//  - the STAT count is taken as 0 to kMaxMessages: messages beyond that
//    stay on the server untouched.
#pragma once
#include <cstddef>

namespace zenk {

// What the engine asks of its surroundings.
class Pop3Port {
public:
    virtual ~Pop3Port() = default;
    // Queues one command line on the connection. False when it cannot be written.
    virtual bool WriteCommand(const char* text, std::size_t length) = 0;
    // Tells the caller: wParam = status, lParam = count.
    virtual void Notify(int status, long count) = 0;
    // Appends to the inbox file. False when it fails or there is no inbox.
    virtual bool WriteInbox(const void* bytes, std::size_t length) = 0;
    // Makes what was written durable. False when that fails.
    virtual bool FlushInbox() = 0;
    virtual void CloseInbox() = 0;
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
};

class Pop3Engine {
public:
    static constexpr std::size_t kReplyCapacity = 1024;  // the reply buffer
    static constexpr std::size_t kReplyLimit = 1000;     // longest reply line, CR LF included
    static constexpr std::size_t kUserCapacity = 64;     // 63 characters
    static constexpr std::size_t kPasswordCapacity = 16; // 15 characters
    static constexpr int kMaxMessages = 1000000;         // most messages one run handles
    static constexpr std::size_t kRefusalCapacity = 160; // refused command and reply, NUL included

    explicit Pop3Engine(Pop3Port& port) : port_(port) {}

    // Takes a name only when it fits (a longer one leaves the field as it was).
    void SetUser(const char* user);
    void SetPassword(const char* password);
    const char* User() const { return user_; }
    const char* Password() const { return password_; }

    // Starts a transaction whose connection has been requested: state 0.
    // Also after a start that failed (FailStart), so a caller may retry.
    void Begin(bool checkOnly, bool deleteAfter);
    // A start step failed: post status, then the finish step.
    void FailStart(int status);

    // Stream events.
    void OnReceived(const char* data, std::size_t length);
    void OnReadFailed();
    void OnSent();
    void OnSendError() { if (!finished_) Abort(kPop3SendFailed); }
    void OnReceiveError() { if (!finished_) Abort(kPop3ReceiveFailed); }
    void OnConnected();
    void OnClosed();
    // The connection failed after it was requested (the stream reports no
    // event for that), or the greeting did not come whole within the time
    // limit: status 4 and the end, unless the greeting has been taken.
    void OnConnectFailed();

    int MessageCount() const { return count_; }
    int CurrentMessage() const { return current_; }
    Pop3State State() const { return state_; }
    bool Finished() const { return finished_; }
    bool Started() const { return started_; }
    // "COMMAND: reply" for the first reply of this run that refused a
    // command ("greeting" for the greeting, "PASS" without its argument);
    // empty while nothing has been refused.
    const char* Refusal() const { return refusal_; }

private:
    void EnterState(Pop3State next) { state_ = next; }
    void Post(int status, long count = 0) { port_.Notify(status, count); }

    // Reply intake: assembles lines, hands each to the state's handler.
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
    void Finish();

    Pop3Port& port_;
    Pop3State state_ = Pop3State::kGreeting;
    int status_ = 0;                 // the status word
    int count_ = -1;                 // from STAT; -1 until it is known
    int current_ = 1;                // 1-based number of the message being retrieved
    bool checkOnly_ = false;         // count only: no inbox, no RETR
    bool deleteAfter_ = false;       // DELE each message once stored
    bool started_ = false;           // a connection has been requested
    bool finished_ = false;          // status 0 has been posted
    bool quitRepeated_ = false;      // a negative QUIT reply was answered once
    char user_[kUserCapacity] = {};
    char password_[kPasswordCapacity] = {};
    char reply_[kReplyCapacity] = {};// bytes of the reply line being assembled
    std::size_t replyLength_ = 0;
    bool replyOverLong_ = false;     // the line passed kReplyLimit: skip to its CR LF
    bool skippedCR_ = false;         // while skipping: the last byte was CR
    char lastCommand_[80] = {};        // the command last written, as Refusal() names it
    char refusal_[kRefusalCapacity] = {};
    bool textAtLineStart_ = true;    // end-mark search: the next text byte starts a line
    int textEndMatch_ = 0;           // end-mark search: 1 after ".", 2 after ".\r"
};

}  // namespace zenk
