// Pop3Engine: the POP3 client's states, replies and message text.
#include "mail/pop3_engine.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#include "core/byte_search.h"
#include "mail/secure_status.h"
#include "mime/message_files.h"

namespace zenk {

// The assembler keeps the line without its LF: kReplyLimit bytes with CR LF.
static_assert(kPop3LineRules.capacity + 1 == Pop3Engine::kReplyLimit && kPop3LineRules.crlfOnly,
              "POP3 reply line limit");

const char* Pop3StateName(Pop3State state) {
    switch (state) {
    case Pop3State::kGreeting: return "greeting";
    case Pop3State::kUserSent: return "user-sent";
    case Pop3State::kUserReply: return "user-reply";
    case Pop3State::kPassSent: return "pass-sent";
    case Pop3State::kPassReply: return "pass-reply";
    case Pop3State::kStatSent: return "stat-sent";
    case Pop3State::kStatReply: return "stat-reply";
    case Pop3State::kRetrSent: return "retr-sent";
    case Pop3State::kRetrStatus: return "retr-status";
    case Pop3State::kMessageText: return "message-text";
    case Pop3State::kDeleSent: return "dele-sent";
    case Pop3State::kDeleReply: return "dele-reply";
    case Pop3State::kQuitSent: return "quit-sent";
    case Pop3State::kQuitReply: return "quit-reply";
    case Pop3State::kStlsSent: return "stls-sent";
    case Pop3State::kStlsReply: return "stls-reply";
    case Pop3State::kTlsHandshake: return "tls-handshake";
    }
    return "?";
}

namespace {

// The state a "written" state moves to once its command has gone out.
Pop3State AfterSent(Pop3State state) {
    switch (state) {
    case Pop3State::kUserSent: return Pop3State::kUserReply;
    case Pop3State::kPassSent: return Pop3State::kPassReply;
    case Pop3State::kStatSent: return Pop3State::kStatReply;
    case Pop3State::kRetrSent: return Pop3State::kRetrStatus;
    case Pop3State::kDeleSent: return Pop3State::kDeleReply;
    case Pop3State::kQuitSent: return Pop3State::kQuitReply;
    case Pop3State::kStlsSent: return Pop3State::kStlsReply;
    default: return state;
    }
}

// "+OK" in any case of its letters. The line itself stays as received, so
// a refusal can be shown as the server wrote it.
bool IsPositive(const char* line, std::size_t length) {
    return length >= 3 && line[0] == '+' && (line[1] == 'O' || line[1] == 'o') &&
           (line[2] == 'K' || line[2] == 'k');
}

// The STAT count: the text between the first and second blank, converted
// as a decimal integer (clamped to the int range); 0 without a second blank.
int StatCount(const char* line, std::size_t length) {
    const char* end = line + length;
    const char* first = static_cast<const char*>(std::memchr(line, ' ', length));
    if (!first) return 0;
    const char* second = static_cast<const char*>(std::memchr(first + 1, ' ', end - first - 1));
    if (!second) return 0;
    return TextToInt(std::string_view(first + 1, static_cast<std::size_t>(second - first - 1)));
}

}  // namespace

namespace {

// Copies text into a field of `capacity` bytes when it fits; a longer (or
// null) text leaves the field as it was.
void TakeIfFits(char* field, std::size_t capacity, const char* text) {
    if (text && std::strlen(text) < capacity) std::strcpy(field, text);
}

}  // namespace

void Pop3Engine::SetServer(const char* server) { TakeIfFits(server_, sizeof server_, server); }
void Pop3Engine::SetUser(const char* user) { TakeIfFits(user_, sizeof user_, user); }
void Pop3Engine::SetPassword(const char* password) { TakeIfFits(password_, sizeof password_, password); }

// The start sequence: the first failing step is posted and ends the run.
int Pop3Engine::Transaction(const char* server, const char* user, const char* password, bool checkOnly,
                            bool deleteAfter) {
    if (started_) return kTransactionRefused;
    SetServer(server);
    SetUser(user);
    SetPassword(password);
    int failure = 0;
    if (!port_.HasSessionWindow()) failure = kPop3NoWindow;
    else if (!server_[0]) failure = kPop3NoServer;
    else if (!user_[0]) failure = kPop3NoUser;
    else if (!password_[0]) failure = kPop3NoPassword;
    else if (!port_.HasBuffers()) failure = kPop3NoBuffer;
    else if (!checkOnly && !port_.CreateInbox()) failure = kPop3InboxCreate;
    else if (!port_.CreateStream()) failure = kPop3NoStream;
    else if (!port_.Connect(server_)) {
        port_.CloseStream();
        failure = kPop3ConnectFailed;
    }
    if (failure) {
        FailStart(failure);
        return kTransactionRefused;
    }
    Begin(checkOnly, deleteAfter);
    return 0;
}

void Pop3Engine::Begin(bool checkOnly, bool deleteAfter) {
    checkOnly_ = checkOnly;
    deleteAfter_ = deleteAfter;
    started_ = true;
    tlsActive_ = false;
    greeted_ = false;
    finished_ = false;
    status_ = 0;
    replyLines_.Reset();
    lastCommand_[0] = '\0';
    refusal_[0] = '\0';
    clockRunning_ = false;
    activity_ = false;
    EnterState(Pop3State::kGreeting);
}

// A start may fail again after an earlier failed start: every failure
// ends with its own 0 and the inbox closed.
void Pop3Engine::FailStart(int status) {
    finished_ = false;  // a new run, even after an earlier failed start
    status_ = status;
    Post(status_);
    Finish();
}

/* ---- Events -------------------------------------------------------------- */

void Pop3Engine::OnReceived(const char* data, std::size_t length) {
    if (finished_ || !started_) return;
    activity_ = true;
    if (state_ == Pop3State::kMessageText)
        StoreText(data, length);
    else
        TakeReplyBytes(data, length);
}

void Pop3Engine::OnReadFailed() {
    if (finished_) return;
    status_ = kPop3NoBuffer;
    Post(status_);
}

void Pop3Engine::OnSent() {
    if (finished_) return;
    activity_ = true;
    EnterState(AfterSent(state_));
}

void Pop3Engine::OnConnected() {
    if (finished_) return;
    activity_ = true;
    status_ = kPop3Connected;
    Post(status_);
    status_ = 0;
    // TLS from the first byte: the greeting comes once the handshake is done.
    if (security_ == tls::SecurityMode::kImplicitTls && state_ == Pop3State::kGreeting && !tlsActive_) BeginTls();
}

void Pop3Engine::OnClosed() {
    if (finished_ || !started_) return;
    status_ = kPop3Closed;
    Post(status_);
    Finish();
}

// Until the greeting line is whole, the connect limit runs from the first
// tick whatever arrives; after it, the silence limit from the last tick
// that saw a stream event.
bool Pop3Engine::Connecting() const {
    return state_ == Pop3State::kGreeting || (state_ == Pop3State::kTlsHandshake && !greeted_);
}

void Pop3Engine::OnConnectFailed() {
    if (Running() && Connecting()) EndRun(kPop3ConnectFailed);
}

void Pop3Engine::OnTick(int streamLastError, std::uint32_t nowMs) {
    if (!Running()) return;
    if (!clockRunning_) {
        clockRunning_ = true;
        startedMs_ = quietSinceMs_ = nowMs;
    }
    if (activity_) {
        activity_ = false;
        quietSinceMs_ = nowMs;
    }
    const bool handshaking = state_ == Pop3State::kTlsHandshake;
    if (Connecting()) {
        if (streamLastError != 0) EndRun(kPop3ConnectFailed);
        else if (nowMs - startedMs_ >= connectLimitMs_) EndRun(handshaking ? int{kSecureHandshakeFailed} : int{kPop3ConnectFailed});
    } else if (nowMs - quietSinceMs_ >= silenceLimitMs_) {
        EndRun(handshaking ? int{kSecureHandshakeFailed} : int{kPop3ReceiveFailed});
    }
}

/* ---- Replies ------------------------------------------------------------- */

// One reply per chunk: a line is handled as soon as it is whole; after the
// RETR status line the rest of the chunk is message text. Other surplus
// bytes of the chunk are dropped (a server sends one reply per command).
void Pop3Engine::TakeReplyBytes(const char* data, std::size_t length) {
    bool handled = false;
    const std::size_t taken = replyLines_.Take(data, length, [&](std::string_view line, bool overLong) {
        handled = true;
        OnReplyLine(line.data(), line.size(), overLong);
        return false;
    });
    if (handled && state_ == Pop3State::kMessageText && !finished_) StoreText(data + taken, length - taken);
}

void Pop3Engine::OnReplyLine(const char* line, std::size_t length, bool overLong) {
    trace::Received(trace::kPop3, std::string_view(line, length));
    // A reply that overtakes the sent event of its command.
    EnterState(AfterSent(state_));
    const bool positive = !overLong && IsPositive(line, length);
    switch (state_) {
    case Pop3State::kGreeting:
    case Pop3State::kUserReply:
    case Pop3State::kPassReply:
    case Pop3State::kStatReply:
    case Pop3State::kRetrStatus:
    case Pop3State::kQuitReply:
    case Pop3State::kStlsReply:
        if (!positive) Refused(line, length, overLong);
        break;
    default: break;
    }
    switch (state_) {
    case Pop3State::kGreeting: GreetingReply(positive); break;
    case Pop3State::kUserReply: UserReply(positive); break;
    case Pop3State::kPassReply: PassReply(positive); break;
    case Pop3State::kStatReply: StatReply(line, length, positive); break;
    case Pop3State::kRetrStatus: RetrStatus(positive); break;
    case Pop3State::kDeleReply: DeleReply(); break;
    case Pop3State::kQuitReply: QuitReply(positive); break;
    case Pop3State::kStlsReply: StlsReply(positive); break;
    default: break;  // not waiting for a reply: ignored
    }
}

// Keeps the first refusal of the run as "COMMAND: reply" for the caller.
// The server's text is shown printable and with the password masked, in
// case a server echoes it.
void Pop3Engine::Refused(const char* line, std::size_t length, bool overLong) {
    if (refusal_[0]) return;
    char text[sizeof lastCommand_ + 2 + kReplyLimit + 1];
    int n = std::snprintf(text, sizeof text, "%s: %.*s", lastCommand_[0] ? lastCommand_ : "greeting",
                          static_cast<int>(length), line);
    if (n < 0) return;
    std::size_t used = static_cast<std::size_t>(n) < sizeof text ? n : sizeof text - 1;
    const std::string_view view(text, used);
    if (const std::size_t p = std::strlen(password_))
        for (std::size_t at = view.find(password_, 0, p); at != view.npos; at = view.find(password_, at + p, p))
            std::memset(text + at, '*', p);
    for (std::size_t i = 0; i < used; ++i)
        if (static_cast<unsigned char>(text[i]) < 0x20 || static_cast<unsigned char>(text[i]) > 0x7E)
            text[i] = '?';
    const bool cut = overLong || used >= sizeof refusal_;
    if (used >= sizeof refusal_) used = sizeof refusal_ - 1;
    std::memcpy(refusal_, text, used);
    refusal_[used] = '\0';
    if (cut && used >= 3) std::memcpy(refusal_ + used - 3, "...", 3);
}

void Pop3Engine::GreetingReply(bool positive) {
    if (!positive) return Abort(kPop3NotPositive);
    greeted_ = true;
    if (tls::NextUpgradeStep(security_, tlsActive_, tls::ServerCapabilities{true}) == tls::UpgradeStep::kStartTls)
        return SendOrAbort(Command("STLS\r\n"), Pop3State::kStlsSent);
    SendUser();
}

// USER and PASS go out in clear only in a session that asked for no
// security, as they always did; otherwise only through finished TLS.
void Pop3Engine::SendUser() {
    if (security_ != tls::SecurityMode::kNone && !tls::MaySendCredentials(tlsActive_, false))
        return Abort(kSecureStartTlsRefused);
    SendOrAbort(Command("USER %s\r\n", user_), Pop3State::kUserSent);
}

// STLS is sent without asking CAPA first (RFC 2595 4): a server without
// it answers "-ERR", which ends the run as "not offered".
void Pop3Engine::StlsReply(bool positive) {
    if (!positive) return Abort(kSecureStartTlsRefused);
    BeginTls();
}

void Pop3Engine::BeginTls() {
    replyLines_.Reset();  // nothing received in clear is taken after this point
    const tls::TlsStatus started = port_.StartTls();
    if (started != tls::TlsStatus::kOk) return EndRun(SecureStatusOf(started));
    EnterState(Pop3State::kTlsHandshake);
}

bool Pop3Engine::SetSecurity(tls::SecurityMode mode) {
    if (started_) return false;
    security_ = mode;
    return true;
}

void Pop3Engine::OnTlsOpen() {
    if (finished_ || state_ != Pop3State::kTlsHandshake) return;
    activity_ = true;
    tlsActive_ = true;
    if (!greeted_) return EnterState(Pop3State::kGreeting);  // TLS from the first byte: the greeting comes now
    SendUser();
}

// No QUIT: a connection whose TLS failed carries nothing more.
void Pop3Engine::OnTlsFailed(tls::TlsStatus status) {
    if (finished_ || !started_) return;
    EndRun(SecureStatusOf(status));
}

void Pop3Engine::UserReply(bool positive) {
    if (!positive) return Abort(kPop3NotPositive);
    SendOrAbort(Command("PASS %s\r\n", password_), Pop3State::kPassSent);
}

void Pop3Engine::PassReply(bool positive) {
    if (!positive) return Abort(kPop3NotPositive);
    SendOrAbort(Command("STAT\r\n"), Pop3State::kStatSent);
}

void Pop3Engine::StatReply(const char* line, std::size_t length, bool positive) {
    count_ = 0;
    if (!positive) return Abort(kPop3NotPositive);
    // A count beyond what one run handles is taken as that many; the rest
    // stay on the server for a later run. A negative count is no mail.
    const int reported = StatCount(line, length);
    count_ = reported < 0 ? 0 : reported > kMaxMessages ? kMaxMessages : reported;
    if (checkOnly_) {
        status_ = kPop3Count;
        Post(status_, count_);
        return SendOrAbort(Command("QUIT\r\n"), Pop3State::kQuitSent);
    }
    if (count_ <= 0) {
        status_ = kPop3NoMail;
        Post(status_);
        return SendOrAbort(Command("QUIT\r\n"), Pop3State::kQuitSent);
    }
    status_ = kPop3Count;
    Post(status_, count_);
    status_ = 0;
    char countLine[32];
    std::snprintf(countLine, sizeof countLine, "Letters : %d\r\n", count_);
    if (!WriteRecord(countLine) || !WriteRecord("BEGIN MESSAGE\r\n")) return Abort(kPop3InboxWrite);
    SendOrAbort(Command("RETR %d\r\n", nullptr, current_), Pop3State::kRetrSent);
}

void Pop3Engine::RetrStatus(bool positive) {
    if (!positive) return Abort(kPop3NotPositive);
    textAtLineStart_ = true;
    textEndMatch_ = 0;
    EnterState(Pop3State::kMessageText);
}

void Pop3Engine::DeleReply() { NextMessage(); }

// The inbox is closed by the finish step.
void Pop3Engine::QuitReply(bool positive) {
    if (!positive && !quitRepeated_) {
        quitRepeated_ = true;
        Abort(kPop3NotPositive);
        if (finished_) return;
    }
    Finish();
}

/* ---- Message text -------------------------------------------------------- */

void Pop3Engine::StoreText(const char* data, std::size_t length) {
    bool ended = false;
    std::size_t n = FindEndMark(data, length, &ended);
    if (n && !port_.WriteInbox(data, n)) return Abort(kPop3InboxWrite);
    if (ended) MessageStored();
}

// Bytes of data that belong to the message: all of them, or up to and
// including the end line "." CR LF (*ended set). The search carries its
// state from chunk to chunk.
std::size_t Pop3Engine::FindEndMark(const char* data, std::size_t length, bool* ended) {
    std::size_t i = 0;
    while (i < length) {
        if (textEndMatch_ == 0 && !textAtLineStart_) {
            // Nothing can start before the next line: skip to it.
            const char* lf = FindByte(data + i, length - i, '\n');
            if (!lf) return length;
            i = static_cast<std::size_t>(lf - data) + 1;
            textAtLineStart_ = true;
            continue;
        }
        const char c = data[i++];
        if (textEndMatch_ == 0 && textAtLineStart_ && c == '.')
            textEndMatch_ = 1;
        else if (textEndMatch_ == 1 && c == '\r')
            textEndMatch_ = 2;
        else if (textEndMatch_ == 2 && c == '\n') {
            *ended = true;
            return i;
        } else
            textEndMatch_ = 0;
        textAtLineStart_ = c == '\n';
    }
    return length;
}

void Pop3Engine::MessageStored() {
    if (!WriteRecord("END MESSAGE\r\n")) return Abort(kPop3InboxWrite);
    // Status 16 means the message is in the file; before DELE it is also
    // on the disk.
    if (!port_.FlushInbox(deleteAfter_)) return Abort(kPop3InboxWrite);
    status_ = kPop3Stored;
    Post(status_, current_);
    status_ = 0;
    if (deleteAfter_)
        SendOrAbort(Command("DELE %d\r\n", nullptr, current_), Pop3State::kDeleSent);
    else
        NextMessage();
}

void Pop3Engine::NextMessage() {
    ++current_;
    if (count_ < current_) return SendOrAbort(Command("QUIT\r\n"), Pop3State::kQuitSent);
    if (!WriteRecord("BEGIN MESSAGE\r\n")) return Abort(kPop3InboxWrite);
    SendOrAbort(Command("RETR %d\r\n", nullptr, current_), Pop3State::kRetrSent);
}

bool Pop3Engine::WriteRecord(const char* text) { return port_.WriteInbox(text, std::strlen(text)); }

/* ---- Commands and endings ------------------------------------------------ */

bool Pop3Engine::Command(const char* format, const char* text, int number) {
    char line[kReplyCapacity];
    int n = text ? std::snprintf(line, sizeof line, format, text)
                 : std::snprintf(line, sizeof line, format, number);
    if (n <= 2 || static_cast<std::size_t>(n) >= sizeof line) return false;
    if (std::strncmp(line, "PASS", 4) == 0)
        std::snprintf(lastCommand_, sizeof lastCommand_, "PASS");
    else
        std::snprintf(lastCommand_, sizeof lastCommand_, "%.*s", n - 2, line);
    return port_.WriteCommand(line, n);
}

void Pop3Engine::SendOrAbort(bool written, Pop3State next) {
    if (!written) return Abort(kPop3SendFailed);
    EnterState(next);
}

// Posts code, writes QUIT and waits for its reply. When not even QUIT can
// be written, the run ends here.
void Pop3Engine::Abort(int code) {
    status_ = code;
    Post(status_);
    EnterState(Pop3State::kQuitSent);
    if (!Command("QUIT\r\n")) Finish();
}

void Pop3Engine::EndRun(int code) {
    status_ = code;
    Post(status_);
    Finish();
    port_.CloseStream();
}

// What is still buffered for the inbox goes out with the close; a failure
// there is reported unless the run has already failed.
void Pop3Engine::Finish() {
    if (finished_) return;
    if (!port_.CloseInbox() && status_ == 0) {
        status_ = kPop3InboxWrite;
        Post(status_);
    }
    if (status_ == 0) {
        status_ = kPop3QuitDone;
        Post(status_);
    }
    status_ = 0;
    Post(status_);
    finished_ = true;
}

}  // namespace zenk
