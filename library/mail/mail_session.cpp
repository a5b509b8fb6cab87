// MailSession: session window, stream endpoint, tick and event dispatch.
#include "mail/mail_session.h"

#include <new>

#include "core/library_state.h"
#include "core/owner_notify.h"
#include "sockets/stream_endpoint.h"
#include "zenk32.h"

namespace zenk {

MailSession::MailSession(SessionWindowClass& windowClass, MailEvents& events, UINT tickMs)
    : events_(events), tickMs_(tickMs) {
    window_ = CreateSessionWindow(windowClass, this);
}

MailSession::~MailSession() {
    StopTick();
    CloseStream();
    DestroySessionWindow(window_);
}

bool MailSession::CreateStream(std::uint32_t chunkSize) {
    CloseStream();
    WinSockSession* session = CurrentSession();
    if (!session || !window_) return false;
    stream_ = new (std::nothrow) StreamEndpoint(*session, OwnerNotify::ToWindow(window_, kSessionStreamMessage));
    if (!stream_) return false;
    if (chunkSize < stream_->BufferSize()) chunkSize = stream_->BufferSize();
    chunk_ = new (std::nothrow) char[chunkSize];
    // The endpoint's buffer bounds every chunk it receives, so one read
    // into chunk_ always takes a whole chunk.
    if (!chunk_ || stream_->SetBufferSize(chunkSize) != 0 || stream_->BufferSize() != chunkSize ||
        stream_->OpenClient() != 0) {
        CloseStream();
        return false;
    }
    chunkSize_ = chunkSize;
    return true;
}

bool MailSession::Connect(const char* server, int port) {
    if (!stream_ || stream_->ConnectToPort(server, port) != 0) return false;
    ticking_ = SetTimer(window_, kTickTimer, tickMs_, nullptr) != 0;
    return true;
}

void MailSession::CloseStream() {
    delete stream_;  // closes the socket and drops its queued events
    stream_ = nullptr;
    delete[] chunk_;
    chunk_ = nullptr;
    chunkSize_ = 0;
}

bool MailSession::Write(const void* data, std::size_t length) {
    return stream_ && length <= stream_->BufferSize() &&
           stream_->Write(data, static_cast<std::uint32_t>(length)) == 0;
}

int MailSession::StreamLastError() const { return stream_ ? stream_->LastError() : 0; }

void MailSession::OnStreamEvent(WPARAM code, LPARAM count) {
    switch (code) {
    case ZENK_STREAM_RECEIVED:
        if (!stream_) break;  // closed by the engine; its last events are stale
        if (count <= 0) {
            // The empty chunk of the peer's close: nothing to take in;
            // ZENK_STREAM_CLOSED reports the close itself.
            stream_->Read(chunk_, chunkSize_);
            break;
        }
        if (stream_->Read(chunk_, chunkSize_) != 0) {
            events_.OnReadFailed();
            break;
        }
        // The chunk is not NUL-terminated: its length bounds every test.
        events_.OnReceived(chunk_, static_cast<std::size_t>(count) < chunkSize_ ? static_cast<std::size_t>(count)
                                                                                : chunkSize_);
        break;
    case ZENK_STREAM_SENT: events_.OnSent(); break;
    case ZENK_STREAM_SEND_ERROR: events_.OnSendError(); break;
    case ZENK_STREAM_RECEIVE_ERROR: events_.OnReceiveError(); break;
    case ZENK_STREAM_CONNECTED: events_.OnConnected(); break;
    case ZENK_STREAM_CLOSED: events_.OnClosed(); break;
    default: break;  // ZENK_STREAM_ACCEPT_READY and anything else
    }
    if (events_.Finished()) StopTick();
}

void MailSession::OnTimer(UINT_PTR timerId) {
    if (timerId != kTickTimer) return;
    events_.OnTick(StreamLastError(), GetTickCount());
    if (events_.Finished()) StopTick();
}

void MailSession::StopTick() {
    if (ticking_ && window_) KillTimer(window_, kTickTimer);
    ticking_ = false;
}

}  // namespace zenk
