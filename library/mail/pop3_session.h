// Pop3Session: the POP3 client behind a ZENKPOP3Start* handle - the shared
// MailSession (hidden window "ZENK_POP3WIND", stream client endpoint, tick)
// around the portable Pop3Engine, the inbox file and the caller's
// notifications.
//
// Message text arrives in chunks of up to kChunkSize bytes (the endpoint's
// receive buffer), so one window message brings many KiB, and goes to the
// inbox through a buffer of kInboxBufferSize bytes that the engine has
// written out before every status 16, before every DELE (then also flushed
// to disk) and at the end of the run. Memory stays the same whatever the
// message size.
#pragma once
#include <windows.h>

#include <cstdint>

#include "core/owner_notify.h"
#include "mail/mail_session.h"
#include "mail/pop3_engine.h"

namespace zenk {

class Pop3Session final : public Pop3Port {
public:
    static constexpr std::size_t kInboxPathCapacity = 256;     // 255 characters
    static constexpr std::uint32_t kChunkSize = 256 * 1024;    // one received chunk
    static constexpr std::size_t kInboxBufferSize = 256 * 1024;
    static constexpr UINT kTickMs = 200;  // the time limits are checked this often

    // inboxPath: copied when it has at most 255 characters; a longer (or
    // null) path makes every retrieval fail with status 6.
    Pop3Session(const OwnerNotify& notify, const char* inboxPath);
    ~Pop3Session() override;
    Pop3Session(const Pop3Session&) = delete;
    Pop3Session& operator=(const Pop3Session&) = delete;

    // ZENKPOP3IsThereMail (checkOnly) and ZENKPOP3PullMail; see Pop3Engine.
    int Transaction(const char* server, const char* user, const char* password, bool checkOnly,
                    bool deleteAfter) {
        return engine_.Transaction(server, user, password, checkOnly, deleteAfter);
    }
    int MessageCount() const { return engine_.MessageCount(); }
    // Settings for the transaction; each false, nothing changed, once a
    // connection has been requested (see zenk32.h, ZENKPOP3SetPort ...).
    bool SetPort(int port) { return !engine_.Started() && mail_.SetPort(port); }
    bool SetSecurity(int mode);
    bool SetTrust(const char* caFile, const char* certificateName);
    // ZENKPOP3LastRefusal: copies the run's first refusal, cut to size - 1
    // characters; ZENK_FAILED (with "" copied) while nothing was refused.
    int LastRefusal(char* text, int size) const;
    Pop3Engine& Engine() { return engine_; }

    // Pop3Port
    bool HasSessionWindow() const override { return mail_.HasWindow(); }
    bool HasBuffers() const override { return inboxBuffer_ != nullptr; }
    bool CreateInbox() override;
    bool CreateStream() override { return mail_.CreateStream(kChunkSize); }
    bool Connect(const char* server) override { return mail_.Connect(server, mail_.PortOr(110)); }
    tls::TlsStatus StartTls() override { return mail_.StartTls(engine_.Server()); }
    void CloseStream() override { mail_.CloseStream(); }
    bool WriteCommand(const char* text, std::size_t length) override {
        trace::Sent(trace::kPop3, text, length);
        return mail_.Write(text, length);
    }
    void Notify(int status, long count) override { notify_.Post(status, count); }
    bool WriteInbox(const void* bytes, std::size_t length) override;
    bool FlushInbox(bool durable) override;
    bool CloseInbox() override;

private:
    static void Tick(Pop3Engine& engine, int streamLastError, std::uint32_t nowMs) {
        engine.OnTick(streamLastError, nowMs);
    }
    // Writes bytes to the inbox file, all of them or false.
    bool WriteFileWhole(const char* bytes, std::size_t length);
    // Empties the buffer into the file; false (buffer emptied) on failure.
    bool WriteOut();

    OwnerNotify notify_;                      // where the caller hears from us
    HANDLE inbox_ = INVALID_HANDLE_VALUE;     // the open inbox file, or none
    char inboxPath_[kInboxPathCapacity] = {}; // empty: no usable path
    char* inboxBuffer_ = nullptr;             // kInboxBufferSize bytes (owned), or none
    std::size_t buffered_ = 0;                // bytes waiting in inboxBuffer_
    Pop3Engine engine_{*this};
    EngineEvents<Pop3Engine, &Pop3Session::Tick> events_{engine_};
    MailSession mail_;                        // last: gone before the engine and the inbox
};

}  // namespace zenk
