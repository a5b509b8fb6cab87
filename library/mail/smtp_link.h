// What the SMTP engine needs from the outside world: the outbox file, the
// connection and the caller. The Windows session implements it over a
// file, a stream client endpoint and posted messages; the tests over
// memory and a recorded transcript.
#pragma once
#include <cstddef>

#include "mime/message_files.h"
#include "tls/tls_channel.h"

namespace zenk {

class SmtpLink {
public:
    virtual ~SmtpLink() = default;
    // The session window exists (the stream reports to it).
    virtual bool HasSessionWindow() const = 0;
    // Opens the outbox file; null when it cannot be opened.
    virtual ByteSource* OpenOutbox() = 0;
    virtual void CloseOutbox() = 0;
    // Creates the stream client endpoint; false on failure.
    virtual bool CreateStream() = 0;
    // Requests the connection to server, port 25; false on failure.
    virtual bool Connect(const char* server) = 0;
    // Closes and forgets the stream endpoint (if any).
    virtual void CloseStream() = 0;
    // Queues bytes for sending; true when queued (one completion follows).
    virtual bool Write(const void* data, std::size_t length) = 0;
    // The most bytes one Write carries whole (at least kDefaultWriteLimit).
    // A stream endpoint cuts a longer write at its buffer size, 1024 bytes
    // unless the session raised it; a link whose stream takes more says so
    // here, and the engine's text chunks grow up to SmtpEngine's bound.
    static constexpr std::size_t kDefaultWriteLimit = 1024;
    virtual std::size_t WriteLimit() const { return kDefaultWriteLimit; }
    // Posts (status, count) to the caller.
    virtual void Post(int status, long count) = 0;
    // Begins the TLS handshake on the connection (the ClientHello goes
    // out); from then on every write is encrypted and the engine hears
    // OnTlsOpen or OnTlsFailed. kOk when it has begun.
    virtual tls::TlsStatus StartTls() { return tls::TlsStatus::kNoProvider; }
};

}  // namespace zenk
