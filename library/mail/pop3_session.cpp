// Pop3Session: window, stream endpoint, inbox file and notifications.
#include "mail/pop3_session.h"

#include <cstring>
#include <new>

#include "zenk32.h"

namespace zenk {
namespace {

SessionWindowClass pop3WindowClass{"ZENK_POP3WIND", "POP3 Message"};
constexpr UINT_PTR kConnectTimer = 1;

}  // namespace

Pop3Session::Pop3Session(const OwnerNotify& notify, const char* inboxPath) : notify_(notify) {
    if (inboxPath && std::strlen(inboxPath) < sizeof inboxPath_) std::strcpy(inboxPath_, inboxPath);
    workBuffer_ = new (std::nothrow) char[kBufferSize];
    replyBuffer_ = new (std::nothrow) char[kBufferSize];
    window_ = CreateSessionWindow(pop3WindowClass, this);
}

Pop3Session::~Pop3Session() {
    StopTimer();
    CloseStream();
    DestroySessionWindow(window_);
    CloseInbox();
    delete[] workBuffer_;
    delete[] replyBuffer_;
}

int Pop3Session::Transaction(const char* server, const char* user, const char* password,
                             bool checkOnly, bool deleteAfter) {
    if (engine_.Started()) return ZENK_FAILED;
    if (server && std::strlen(server) < sizeof server_) std::strcpy(server_, server);
    engine_.SetUser(user);
    engine_.SetPassword(password);
    return Start(checkOnly, deleteAfter);
}

// The start sequence: the first failing step is posted and ends the run.
int Pop3Session::Start(bool checkOnly, bool deleteAfter) {
    int failure = 0;
    if (!window_) failure = kPop3NoWindow;
    else if (!server_[0]) failure = kPop3NoServer;
    else if (!engine_.User()[0]) failure = kPop3NoUser;
    else if (!engine_.Password()[0]) failure = kPop3NoPassword;
    else if (!workBuffer_ || !replyBuffer_) failure = kPop3NoBuffer;
    if (!failure && !checkOnly) {
        if (inboxPath_[0])
            inbox_ = CreateFileA(inboxPath_, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (inbox_ == INVALID_HANDLE_VALUE) failure = kPop3InboxCreate;
    }
    if (!failure && ZENKCreateStreamClientWindow(window_, kSessionStreamMessage, &stream_) != 0) {
        stream_ = nullptr;
        failure = kPop3NoStream;
    }
    if (!failure && ZENKStreamConnectToPort(stream_, server_, 110) != 0) {
        CloseStream();
        failure = kPop3ConnectFailed;
    }
    if (failure) {
        engine_.FailStart(failure);
        return ZENK_FAILED;
    }
    engine_.Begin(checkOnly, deleteAfter);
    connectStarted_ = GetTickCount();
    timerRunning_ = SetTimer(window_, kConnectTimer, kConnectPollMs, nullptr) != 0;
    return ZENK_OK;
}

void Pop3Session::OnStreamEvent(WPARAM code, LPARAM count) {
    switch (code) {
    case ZENK_STREAM_RECEIVED: {
        if (count == 0) {
            // The empty chunk that marks the peer's close: taken off the
            // queue, nothing to store; ZENK_STREAM_CLOSED follows.
            ZENKStreamRead(stream_, replyBuffer_, kBufferSize);
            break;
        }
        if (ZENKStreamRead(stream_, replyBuffer_, kBufferSize) != 0) {
            engine_.OnReadFailed();
            break;
        }
        std::size_t length = count > 0 ? static_cast<std::size_t>(count) : 0;
        engine_.OnReceived(replyBuffer_, length < kBufferSize ? length : kBufferSize);
        break;
    }
    case ZENK_STREAM_SENT: engine_.OnSent(); break;
    case ZENK_STREAM_SEND_ERROR: engine_.OnSendError(); break;
    case ZENK_STREAM_RECEIVE_ERROR: engine_.OnReceiveError(); break;
    case ZENK_STREAM_CONNECTED: engine_.OnConnected(); break;
    case ZENK_STREAM_CLOSED: engine_.OnClosed(); break;
    default: break;  // ZENK_STREAM_ACCEPT_READY and anything else
    }
    if (engine_.Finished() || engine_.State() != Pop3State::kGreeting) StopTimer();
}

// While the greeting is awaited: a connection that failed shows only as the
// stream's last error, and a server that never answers, or never ends its
// greeting line, only as time.
void Pop3Session::OnTimer(UINT_PTR timerId) {
    if (timerId != kConnectTimer) return;
    int code = 0;
    char text[ZENK_ERRTEXT_SIZE];
    bool failed = stream_ && ZENKLastStreamWinSockError(stream_, &code, text) == 0 && code != 0;
    if (!failed && GetTickCount() - connectStarted_ < kConnectLimitMs) return;
    StopTimer();
    engine_.OnConnectFailed();
    if (engine_.Finished()) CloseStream();
}

void Pop3Session::StopTimer() {
    if (timerRunning_ && window_) KillTimer(window_, kConnectTimer);
    timerRunning_ = false;
}

void Pop3Session::CloseStream() {
    if (stream_) ZENKCloseStream(stream_);
    stream_ = nullptr;
}

int Pop3Session::LastRefusal(char* text, int size) const {
    if (!text || size < 1) return ZENK_FAILED;
    const char* refusal = engine_.Refusal();
    const std::size_t room = static_cast<std::size_t>(size) - 1;
    std::size_t n = std::strlen(refusal);
    if (n > room) n = room;
    std::memcpy(text, refusal, n);
    text[n] = '\0';
    return refusal[0] ? ZENK_OK : ZENK_FAILED;
}

bool Pop3Session::WriteCommand(const char* text, std::size_t length) {
    if (!stream_ || !workBuffer_ || length > kBufferSize) return false;
    std::memcpy(workBuffer_, text, length);
    return ZENKStreamWrite(stream_, workBuffer_, static_cast<unsigned int>(length)) == 0;
}

bool Pop3Session::WriteInbox(const void* bytes, std::size_t length) {
    const char* p = static_cast<const char*>(bytes);
    while (length > 0) {
        DWORD wrote = 0;
        if (inbox_ == INVALID_HANDLE_VALUE ||
            !WriteFile(inbox_, p, static_cast<DWORD>(length), &wrote, nullptr) || wrote == 0)
            return false;
        p += wrote;
        length -= wrote;
    }
    return inbox_ != INVALID_HANDLE_VALUE;
}

bool Pop3Session::FlushInbox() {
    return inbox_ != INVALID_HANDLE_VALUE && FlushFileBuffers(inbox_);
}

void Pop3Session::CloseInbox() {
    if (inbox_ != INVALID_HANDLE_VALUE) CloseHandle(inbox_);
    inbox_ = INVALID_HANDLE_VALUE;
}

}  // namespace zenk
