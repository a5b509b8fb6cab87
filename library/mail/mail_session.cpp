// MailSession: session window, stream endpoint, tick and event dispatch.
#include "mail/mail_session.h"

#include <cstring>
#include <new>

#include "core/win_library_state.h"
#include "core/owner_notify.h"
#include "sockets/stream_endpoint.h"
#include "zenk32.h"

namespace zenk {

bool SecurityModeOf(int value, tls::SecurityMode& mode) {
    switch (value) {
    case ZENK_SECURITY_NONE: mode = tls::SecurityMode::kNone; return true;
    case ZENK_SECURITY_STARTTLS: mode = tls::SecurityMode::kStartTlsRequired; return true;
    case ZENK_SECURITY_TLS: mode = tls::SecurityMode::kImplicitTls; return true;
    default: return false;
    }
}

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
    stream_->NoticeConnectFailure(kSessionConnectFailed);
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
    tls_.reset();
    writeOwners_.clear();
    pendingPlainWrites_ = 0;
    closeReported_ = false;
    delete[] chunk_;
    chunk_ = nullptr;
    chunkSize_ = 0;
}

bool MailSession::Write(const void* data, std::size_t length) {
    if (tls_) return WriteSecure(data, length);
    if (!stream_ || length > stream_->BufferSize() || stream_->Write(data, static_cast<std::uint32_t>(length)) != 0)
        return false;
    ++pendingPlainWrites_;  // should TLS begin before it completes, it is still the engine's
    return true;
}

int MailSession::StreamLastError() const { return stream_ ? stream_->LastError() : 0; }

bool MailSession::SetPort(int port) {
    if (!ValidPort(port)) return false;
    port_ = port;
    return true;
}

bool MailSession::SetTrust(const char* caFile, const char* certificateName) {
    const std::size_t caLength = caFile ? std::strlen(caFile) : 0;
    const std::size_t nameLength = certificateName ? std::strlen(certificateName) : 0;
    if (caLength >= sizeof caFile_ || nameLength >= sizeof certName_) return false;
    std::memcpy(caFile_, caFile ? caFile : "", caLength + 1);
    std::memcpy(certName_, certificateName ? certificateName : "", nameLength + 1);
    return true;
}

tls::TlsStatus MailSession::StartTls(const char* serverName) {
    if (!stream_ || tls_) return tls::TlsStatus::kWrongState;
    try {
        tls_.reset(new tls::TlsChannel);
        cipher_.clear();
        const char* name = certName_[0] ? certName_ : serverName ? serverName : "";
        const tls::TlsStatus started = tls_->Start(name, caFile_, cipher_);
        if (started != tls::TlsStatus::kOk) {
            tls_.reset();
            return started;
        }
        // Writes queued before now (STARTTLS) still complete for the engine.
        writeOwners_.assign(pendingPlainWrites_, true);
        pendingPlainWrites_ = 0;
        if (!QueueCipher(cipher_, false)) {
            tls_.reset();
            return tls::TlsStatus::kHandshakeFailed;
        }
        return tls::TlsStatus::kOk;
    } catch (const std::bad_alloc&) {
        tls_.reset();
        return tls::TlsStatus::kNoProvider;
    }
}

bool MailSession::QueueCipher(const std::string& bytes, bool forEngine) {
    const std::size_t piece = stream_ ? stream_->BufferSize() : 0;
    if (!stream_ || piece == 0) return false;
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        const std::size_t n = bytes.size() - at < piece ? bytes.size() - at : piece;
        if (stream_->Write(bytes.data() + at, static_cast<std::uint32_t>(n)) != 0) return false;
        writeOwners_.push_back(forEngine && at + n == bytes.size());
    }
    return true;
}

bool MailSession::WriteSecure(const void* data, std::size_t length) {
    const tls::TlsChannel::State state = tls_->CurrentState();
    if (!stream_ || (state != tls::TlsChannel::State::kOpen && state != tls::TlsChannel::State::kPeerClosed))
        return false;  // nothing goes out before the handshake, nor in clear
    cipher_.clear();
    if (tls_->Send(static_cast<const char*>(data), length, cipher_) != tls::TlsStatus::kOk || cipher_.empty())
        return false;
    return QueueCipher(cipher_, true);
}

// Everything received while TLS is on goes through the channel first.
void MailSession::ReceiveSecure(const char* data, std::size_t length) {
    const bool wasOpen = tls_->CurrentState() == tls::TlsChannel::State::kOpen;
    cipher_.clear();
    plain_.clear();
    const tls::TlsStatus status = tls_->Receive(data, length, cipher_, plain_);
    // Handshake replies and alerts go out even when the call failed.
    if (!cipher_.empty()) QueueCipher(cipher_, false);
    if (status != tls::TlsStatus::kOk) return events_.OnTlsFailed(status);
    const tls::TlsChannel::State state = tls_->CurrentState();
    if (!wasOpen && state != tls::TlsChannel::State::kHandshaking) events_.OnTlsOpen();
    // The engine may have closed the stream, or ended the run, meanwhile.
    if (!tls_ || !stream_) return;
    if (!plain_.empty()) {
        std::string text;
        text.swap(plain_);  // the engine may write (and so reuse the scratch buffers)
        events_.OnReceived(text.data(), text.size());
        text.swap(plain_);
    }
    if (tls_ && stream_ && state == tls::TlsChannel::State::kPeerClosed) PeerClosed();
}

void MailSession::PeerClosed() {
    if (closeReported_) return;
    closeReported_ = true;
    events_.OnClosed();
}

void MailSession::SayGoodbye() {
    if (!tls_ || !stream_) return;
    const tls::TlsChannel::State state = tls_->CurrentState();
    if (state != tls::TlsChannel::State::kOpen && state != tls::TlsChannel::State::kPeerClosed) return;
    cipher_.clear();
    tls_->Close(cipher_);
    if (!cipher_.empty()) QueueCipher(cipher_, false);
}

void MailSession::OnStreamEvent(WPARAM code, LPARAM count) {
    try {
        Dispatch(code, count);
    } catch (const std::bad_alloc&) {
        // The window procedure must not see an exception: TLS needs memory
        // it did not get, so the connection is of no further use.
        if (!events_.Finished()) events_.OnTlsFailed(tls::TlsStatus::kProtocolError);
    }
    if (events_.Finished()) {
        SayGoodbye();
        StopTick();
    }
}

void MailSession::Dispatch(WPARAM code, LPARAM count) {
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
        if (tls_)
            ReceiveSecure(chunk_, static_cast<std::size_t>(count) < chunkSize_ ? static_cast<std::size_t>(count)
                                                                               : chunkSize_);
        else
            events_.OnReceived(chunk_, static_cast<std::size_t>(count) < chunkSize_
                                           ? static_cast<std::size_t>(count)
                                           : chunkSize_);
        break;
    case ZENK_STREAM_SENT:
        if (!writeOwners_.empty()) {
            const bool forEngine = writeOwners_.front();
            writeOwners_.pop_front();
            if (!forEngine) break;
        } else if (pendingPlainWrites_ > 0) {
            --pendingPlainWrites_;
        }
        events_.OnSent();
        break;
    case ZENK_STREAM_SEND_ERROR: events_.OnSendError(); break;
    case ZENK_STREAM_RECEIVE_ERROR: events_.OnReceiveError(); break;
    case ZENK_STREAM_CONNECTED: events_.OnConnected(); break;
    case kSessionConnectFailed: events_.OnConnectFailed(); break;
    case ZENK_STREAM_CLOSED:
        if (tls_ && tls_->CurrentState() == tls::TlsChannel::State::kHandshaking)
            events_.OnTlsFailed(tls::TlsStatus::kHandshakeFailed);  // cut off in the handshake
        else if (!closeReported_)
            events_.OnClosed();
        break;
    default: break;  // ZENK_STREAM_ACCEPT_READY and anything else
    }
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
