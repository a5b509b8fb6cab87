// A client TLS channel over the platform's Schannel (SSPI), driven by
// bytes rather than by a socket, so that it can sit inside the
// asynchronous stream endpoint: it never blocks and never touches a socket.
//
// Use, for the engineer who wires it into a session:
//   TlsChannel tls;
//   tls.Start("mail.example.org", caFile, out);   // send out; first flight
//   on every receive:   tls.Receive(data, n, out, plain);
//                       send out (handshake replies, alerts) and hand plain
//                       (decrypted application data) to the session;
//                       State() becomes kOpen when the handshake and the
//                       certificate checks have passed, kPeerClosed when the
//                       peer sent close_notify (the end of the stream).
//   to send:            tls.Send(data, n, out); send out.
//   to end:             tls.Close(out); send out, then close the socket.
// The channel never sees the socket: a connection that ends while State()
// is kHandshaking is a failed handshake, and one that ends in kOpen without
// close_notify may have been cut short (a truncation); the caller reports
// those. After a failure the caller sends out (it may hold an alert) and
// closes the socket; nothing else goes out.
// Every call appends to out and plain, never clears them. A call returning
// anything but TlsStatus::kOk leaves the channel in kFailed; later calls
// return the same status. The channel holds no secret of the caller's.
//
// Defaults, fixed on purpose:
// - TLS 1.2 only. TLS 1.0/1.1 and SSL are refused; TLS 1.3 needs the newer
//   SCH_CREDENTIALS form that older systems (and Wine 8) lack.
// - The server's certificate chain and host name are always checked, by the
//   channel itself (Schannel is told to leave validation to us, because
//   Wine's Schannel checks nothing on its own). Revocation is not checked:
//   mail servers on private networks have no reachable CRL.
// - Trust: with no CA file, the system's root store. With a CA file (PEM
//   with one or more certificates, or one DER certificate), only the
//   certificates of that file are trusted as roots; the system roots are not.
// - A server that asks for a client certificate gets none.
// - Renegotiation requested by the server is refused (kProtocolError).
#pragma once
#include <cstddef>
#include <memory>
#include <string>

namespace zenk::tls {

enum class TlsStatus {
    kOk = 0,
    kNoProvider,          // Schannel unavailable (no credentials handle)
    kCaFileUnreadable,    // the CA file is missing, unreadable or holds no certificate
    kHandshakeFailed,     // the handshake ended in an error (protocol version, cipher, alert, cut off)
    kCertificateUntrusted,// the chain does not end at a trusted root, or is invalid (expired, wrong usage)
    kNameMismatch,        // the certificate does not name the host
    kProtocolError,       // bad or oversized record, refused renegotiation, decryption failure
    kWrongState,          // a call that the current state does not allow
};

// A short English text for a status, for traces and error texts.
const char* TlsStatusText(TlsStatus status);

class TlsChannel {
public:
    enum class State {
        kIdle,         // before Start
        kHandshaking,  // Start sent the first flight; waiting for the server
        kOpen,         // handshake done, certificate accepted: Send and Receive data
        kPeerClosed,   // the peer's close_notify arrived; Send still allowed, nothing more comes in
        kClosed,       // Close was called
        kFailed,       // an error; see the status of the failing call
    };

    TlsChannel();
    ~TlsChannel();
    TlsChannel(const TlsChannel&) = delete;
    TlsChannel& operator=(const TlsChannel&) = delete;

    // Begins the handshake for hostName, which the server's certificate must
    // name. caFile empty: trust the system roots; else trust only its
    // certificates. Appends the ClientHello to out.
    TlsStatus Start(const std::string& hostName, const std::string& caFile, std::string& out);

    // Offers n bytes received from the socket (any split, any amount).
    // Appends bytes to send to out and decrypted data to plain. Bytes after
    // the peer's close_notify are dropped.
    TlsStatus Receive(const char* data, std::size_t n, std::string& out, std::string& plain);

    // Encrypts n bytes into records appended to out. Allowed in kOpen and
    // kPeerClosed.
    TlsStatus Send(const char* data, std::size_t n, std::string& out);

    // Appends close_notify to out (when a session was set up) and moves to
    // kClosed. Always allowed; harmless twice.
    TlsStatus Close(std::string& out);

    State CurrentState() const;
    // The SSPI or certificate status behind the last failure, for traces.
    long LastSystemStatus() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace zenk::tls
