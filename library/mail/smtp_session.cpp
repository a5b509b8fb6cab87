// SmtpSession: session window, stream endpoint, outbox file, notifications.
#include "mail/smtp_session.h"

#include <cstring>

#include "core/library_state.h"
#include "mail/smtp_status.h"
#include "zenk32.h"

namespace zenk {

static_assert(ZENK_SMTP_SENT == kSmtpMessageSent && ZENK_SMTP_QUIT_DONE == kSmtpQuitAcknowledged &&
                  ZENK_SMTP_CONNECTED == kSmtpConnected && ZENK_SMTP_ERR_NO_MARKER == kSmtpNoMarker,
              "public status codes");

namespace {

constexpr char kWindowClass[] = "ZENK_SMTPWIND";
constexpr char kWindowTitle[] = "SMTP Message";
bool classRegistered = false;  // process-wide; the class is never unregistered

LRESULT CALLBACK SmtpWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* session = reinterpret_cast<SmtpSession*>(GetWindowLongPtrA(window, 0));
    if (message == SmtpSession::kStreamMessage) {
        if (session) session->OnStreamEvent(wParam, lParam);
        return 0;
    }
    if (message == WM_TIMER && wParam == SmtpSession::kTimerId) {
        if (session) session->OnTimer();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateSessionWindow(SmtpSession* session) {
    HINSTANCE instance = static_cast<HINSTANCE>(InstanceHandle());
    if (!classRegistered) {
        WNDCLASSA wc = {};
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = SmtpWindowProc;
        wc.cbWndExtra = sizeof(LONG_PTR);  // the session's address, a pointer wide
        wc.hInstance = instance;
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        wc.lpszClassName = kWindowClass;
        classRegistered = RegisterClassA(&wc) != 0;
        if (!classRegistered) return nullptr;
    }
    HWND window = CreateWindowExA(0, kWindowClass, kWindowTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance,
                                  nullptr);
    if (window) SetWindowLongPtrA(window, 0, reinterpret_cast<LONG_PTR>(session));
    return window;
}

}  // namespace

SmtpSession::SmtpSession(const OwnerNotify& notify, const char* outboxPath) : notify_(notify) {
    // A path that does not fit is not cut (that would name another file):
    // the session keeps none, and SendMail reports status 6.
    if (outboxPath) {
        std::size_t n = 0;
        while (n < kPathCapacity && outboxPath[n]) ++n;
        if (n < kPathCapacity) std::memcpy(outboxPath_, outboxPath, n + 1);
    }
    window_ = CreateSessionWindow(this);
}

SmtpSession::~SmtpSession() {
    StopTimer();
    CloseStream();
    if (window_) {
        SetWindowLongPtrA(window_, 0, 0);
        DestroyWindow(window_);
    }
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

void SmtpSession::OnTimer() {
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
