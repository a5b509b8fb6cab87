// Pop3Engine: the POP3 client's states, replies and message text.
#include "mail/pop3_engine.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#include "mime/message_files.h"

namespace zenk {
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
    default: return state;
    }
}

// Upper-cases the reply in place (a to z only) and tests for "+OK".
bool IsPositive(char* line, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i)
        if (line[i] >= 'a' && line[i] <= 'z') line[i] = static_cast<char>(line[i] - 'a' + 'A');
    return length >= 3 && line[0] == '+' && line[1] == 'O' && line[2] == 'K';
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

void Pop3Engine::SetUser(const char* user) {
    if (user && std::strlen(user) < sizeof user_) std::strcpy(user_, user);
}

void Pop3Engine::SetPassword(const char* password) {
    if (password && std::strlen(password) < sizeof password_) std::strcpy(password_, password);
}

void Pop3Engine::Begin(bool checkOnly, bool deleteAfter) {
    checkOnly_ = checkOnly;
    deleteAfter_ = deleteAfter;
    started_ = true;
    finished_ = false;
    status_ = 0;
    replyLength_ = 0;
    EnterState(Pop3State::kGreeting);
}

// A start may fail again after an earlier failed start: every failure
// ends with its own 0 and the inbox closed.
void Pop3Engine::FailStart(int status) {
    status_ = status;
    Post(status_);
    finished_ = false;
    Finish();
}

/* ---- Events -------------------------------------------------------------- */

void Pop3Engine::OnReceived(const char* data, std::size_t length) {
    if (finished_ || !started_) return;
    if (length) anyReceived_ = true;
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
    if (!finished_) EnterState(AfterSent(state_));
}

void Pop3Engine::OnConnected() {
    if (finished_) return;
    status_ = kPop3Connected;
    Post(status_);
    status_ = 0;
}

void Pop3Engine::OnClosed() {
    if (finished_ || !started_) return;
    status_ = kPop3Closed;
    Post(status_);
    Finish();
}

void Pop3Engine::OnConnectFailed() {
    if (finished_ || !started_ || anyReceived_ || state_ != Pop3State::kGreeting) return;
    status_ = kPop3ConnectFailed;
    Post(status_);
    Finish();
}

/* ---- Replies ------------------------------------------------------------- */

// Collects bytes up to CR LF. A line is handled as soon as it is whole;
// after the RETR status line the rest of the chunk is message text. Other
// surplus bytes are dropped (a server sends one reply per command). 1000
// bytes without CR LF are not a reply and are dropped.
void Pop3Engine::TakeReplyBytes(const char* data, std::size_t length) {
    while (length > 0 && !finished_) {
        if (state_ == Pop3State::kMessageText) {
            StoreText(data, length);
            return;
        }
        std::size_t room = kReplyLimit - replyLength_;
        std::size_t take = length < room ? length : room;
        std::memcpy(reply_ + replyLength_, data, take);
        std::size_t searchFrom = replyLength_ > 0 ? replyLength_ - 1 : 0;
        replyLength_ += take;
        std::size_t lineEnd = replyLength_;
        for (std::size_t i = searchFrom; i + 1 < replyLength_; ++i)
            if (reply_[i] == '\r' && reply_[i + 1] == '\n') {
                lineEnd = i;
                break;
            }
        if (lineEnd == replyLength_) {
            if (replyLength_ >= kReplyLimit) replyLength_ = 0;  // not a reply
            data += take;
            length -= take;
            continue;
        }
        // Bytes of this chunk after the CR LF.
        std::size_t usedFromChunk = lineEnd + 2 - (replyLength_ - take);
        data += usedFromChunk;
        length -= usedFromChunk;
        std::size_t lineLength = lineEnd;
        replyLength_ = 0;
        OnReplyLine(reply_, lineLength);
        if (state_ != Pop3State::kMessageText) return;  // surplus after a reply is dropped
    }
}

void Pop3Engine::OnReplyLine(char* line, std::size_t length) {
    // A reply that overtakes the sent event of its command.
    EnterState(AfterSent(state_));
    const bool positive = IsPositive(line, length);
    switch (state_) {
    case Pop3State::kGreeting: GreetingReply(positive); break;
    case Pop3State::kUserReply: UserReply(positive); break;
    case Pop3State::kPassReply: PassReply(positive); break;
    case Pop3State::kStatReply: StatReply(line, length, positive); break;
    case Pop3State::kRetrStatus: RetrStatus(positive); break;
    case Pop3State::kDeleReply: DeleReply(); break;
    case Pop3State::kQuitReply: QuitReply(positive); break;
    default: break;  // not waiting for a reply: ignored
    }
}

void Pop3Engine::GreetingReply(bool positive) {
    if (!positive) return Abort(kPop3NotPositive);
    SendOrAbort(Command("USER %s\r\n", user_), Pop3State::kUserSent);
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
    count_ = StatCount(line, length);
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
    for (std::size_t i = 0; i < length; ++i) {
        const char c = data[i];
        if (textEndMatch_ == 0 && textAtLineStart_ && c == '.')
            textEndMatch_ = 1;
        else if (textEndMatch_ == 1 && c == '\r')
            textEndMatch_ = 2;
        else if (textEndMatch_ == 2 && c == '\n') {
            *ended = true;
            return i + 1;
        } else
            textEndMatch_ = 0;
        textAtLineStart_ = c == '\n';
    }
    return length;
}

void Pop3Engine::MessageStored() {
    if (!WriteRecord("END MESSAGE\r\n")) return Abort(kPop3InboxWrite);
    if (deleteAfter_ && !port_.FlushInbox()) return Abort(kPop3InboxWrite);
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
    return n > 0 && static_cast<std::size_t>(n) < sizeof line && port_.WriteCommand(line, n);
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

void Pop3Engine::Finish() {
    if (finished_) return;
    port_.CloseInbox();
    if (status_ == 0) {
        status_ = kPop3QuitDone;
        Post(status_);
    }
    status_ = 0;
    Post(status_);
    finished_ = true;
}

}  // namespace zenk
