// MailSession: the Windows side that the SMTP and POP3 clients share - the
// hidden session window, the stream client endpoint, the clock tick and the
// dispatch of stream events to the client's engine.
//
// The endpoint is used directly (StreamEndpoint), not through the stream
// exports: an export's gate per chunk and per line buys nothing inside the
// library. Each engine keeps its own start sequence and time limits; this
// piece only runs what they ask for and hands them every event, in order,
// on the thread that created the session.
//
// TLS (StartTls): from then on the session's own TlsChannel sits between
// the engine and the endpoint. Received chunks are decrypted before the
// engine sees them (a record split across chunks waits in the channel);
// each engine write is encrypted and queued in pieces of at most the
// stream buffer, and only the completion of its last piece reaches the
// engine as OnSent: the completions of handshake flights and other bytes
// the channel sends are the session's own. The peer's close_notify (Wine
// reports it as an empty record, Windows as SEC_I_CONTEXT_EXPIRED; the
// channel turns both into kPeerClosed) is reported as OnClosed, once,
// whatever the TCP close that follows. A connection that ends while the
// handshake runs is a failed handshake (OnTlsFailed), not a close.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "mail/session_window.h"
#include "tls/tls_channel.h"
#include "tls/tls_policy.h"

namespace zenk {

class StreamEndpoint;

// What a mail session's engine hears.
class MailEvents {
public:
    virtual void OnReceived(const char* data, std::size_t length) = 0;  // 15005
    virtual void OnReadFailed() = 0;    // a 15005 whose chunk could not be read
    virtual void OnSent() = 0;          // 15006
    virtual void OnSendError() = 0;     // 15007
    virtual void OnReceiveError() = 0;  // 15008
    virtual void OnConnected() = 0;     // 15009
    virtual void OnConnectFailed() = 0; // the connect failed; the last error says why
    virtual void OnClosed() = 0;        // 15011
    // The session's tick: the stream's last error, GetTickCount().
    virtual void OnTick(int streamLastError, std::uint32_t nowMs) = 0;
    virtual bool Finished() const = 0;  // the run's final 0 has been posted
    virtual void OnTlsOpen() = 0;       // the handshake and the certificate checks passed
    virtual void OnTlsFailed(tls::TlsStatus status) = 0;  // TLS failed; the connection is useless

protected:
    ~MailEvents() = default;
};

// MailEvents for an engine with the usual On* handlers; Tick adapts the
// engine's own clock handler.
template <class Engine, void (*Tick)(Engine&, int, std::uint32_t)>
class EngineEvents final : public MailEvents {
public:
    explicit EngineEvents(Engine& engine) : engine_(engine) {}
    void OnReceived(const char* data, std::size_t length) override { engine_.OnReceived(data, length); }
    void OnReadFailed() override { engine_.OnReadFailed(); }
    void OnSent() override { engine_.OnSent(); }
    void OnSendError() override { engine_.OnSendError(); }
    void OnReceiveError() override { engine_.OnReceiveError(); }
    void OnConnected() override { engine_.OnConnected(); }
    void OnConnectFailed() override { engine_.OnConnectFailed(); }
    void OnClosed() override { engine_.OnClosed(); }
    void OnTick(int streamLastError, std::uint32_t nowMs) override { Tick(engine_, streamLastError, nowMs); }
    bool Finished() const override { return engine_.Finished(); }
    void OnTlsOpen() override { engine_.OnTlsOpen(); }
    void OnTlsFailed(tls::TlsStatus status) override { engine_.OnTlsFailed(status); }

private:
    Engine& engine_;
};

// A TCP port a caller may set: 1 to 65535.
constexpr bool ValidPort(int port) { return port >= 1 && port <= 65535; }
// The security mode behind a ZENK_SECURITY_* value; false for any other.
bool SecurityModeOf(int value, tls::SecurityMode& mode);

class MailSession final : public SessionWindowClient {
public:
    // Creates the session window of windowClass on the calling thread (none
    // when it cannot be made: HasWindow() is then false). tickMs: period of
    // the clock tick while a connection is under way.
    MailSession(SessionWindowClass& windowClass, MailEvents& events, UINT tickMs);
    ~MailSession();
    MailSession(const MailSession&) = delete;
    MailSession& operator=(const MailSession&) = delete;

    bool HasWindow() const { return window_ != nullptr; }

    // Creates the stream client endpoint, notifying the session window
    // with kSessionStreamMessage, whose received chunks are at most
    // chunkSize bytes (at least the endpoint's default). False, with no
    // endpoint kept, without a WinSock session, window or memory.
    bool CreateStream(std::uint32_t chunkSize);
    // Requests the connection and starts the tick. False when it cannot be
    // requested.
    bool Connect(const char* server, int port);
    // Closes and forgets the endpoint (none: nothing happens).
    void CloseStream();
    // Queues bytes as one chunk. False when there is no endpoint, when the
    // bytes do not fit one chunk (they would be cut) or cannot be queued.
    bool Write(const void* data, std::size_t length);
    // The endpoint's last error (0 without an endpoint).
    int StreamLastError() const;
    // The server port the caller chose (1 to 65535); false for another.
    bool SetPort(int port);
    // The chosen port, or usual when none was chosen.
    int PortOr(int usual) const { return port_ ? port_ : usual; }
    // How the server's certificate is trusted. caFile: a PEM or DER file
    // whose certificates are the only trusted roots (null or empty: the
    // system's root store). certificateName: the host name the certificate
    // must carry (null or empty: the server name connected to). False,
    // nothing changed, when a value is too long for its field.
    bool SetTrust(const char* caFile, const char* certificateName);
    // Begins TLS on the connected stream for serverName (see SetTrust).
    // kOk when the ClientHello is queued.
    tls::TlsStatus StartTls(const char* serverName);

    // SessionWindowClient
    void OnStreamEvent(WPARAM code, LPARAM count) override;
    void OnTimer(UINT_PTR timerId) override;

private:
    static constexpr UINT_PTR kTickTimer = 1;
    void StopTick();
    void Dispatch(WPARAM code, LPARAM count);
    // Receive and write paths while TLS is on.
    void ReceiveSecure(const char* data, std::size_t length);
    void PeerClosed();
    bool WriteSecure(const void* data, std::size_t length);
    // Queues ciphertext in pieces of at most the buffer size; the last
    // piece's completion goes to the engine when forEngine.
    bool QueueCipher(const std::string& bytes, bool forEngine);
    void SayGoodbye();  // close_notify once the run is over

    MailEvents& events_;                // the engine
    HWND window_ = nullptr;             // the hidden session window, never shown
    StreamEndpoint* stream_ = nullptr;  // the client endpoint, or none
    char* chunk_ = nullptr;             // one received chunk (owned)
    std::uint32_t chunkSize_ = 0;       // bytes of chunk_, the endpoint's buffer size
    UINT tickMs_;                       // tick period
    bool ticking_ = false;              // the tick timer is set
    static constexpr std::size_t kCaFileCapacity = 260;   // MAX_PATH
    static constexpr std::size_t kNameCapacity = 256;     // a DNS name: 253 characters
    int port_ = 0;                         // 0: the client's usual port
    char caFile_[kCaFileCapacity] = {};    // empty: the system's roots
    char certName_[kNameCapacity] = {};    // empty: the server name
    std::unique_ptr<tls::TlsChannel> tls_;  // TLS on this connection, or none
    std::deque<bool> writeOwners_;      // per queued write: its completion is the engine's
    std::size_t pendingPlainWrites_ = 0;  // clear-text writes whose completion is due
    bool closeReported_ = false;        // OnClosed went to the engine
    std::string cipher_;                // scratch: bytes the channel wants sent
    std::string plain_;                 // scratch: decrypted bytes for the engine
};

}  // namespace zenk
