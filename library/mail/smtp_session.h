// SmtpSession: the SMTP client behind a ZENKSMTPStart* handle.
//
// The shared MailSession gives it a hidden window of class "ZENK_SMTPWIND"
// that receives the stream client endpoint's notifications (message 1025)
// and hands each to the engine, and a one-second tick on the same window
// that lets the engine notice a connection that failed or a server that
// stays silent. The engine's notifications go to the caller's window or
// thread.
#pragma once
#include <windows.h>

#include <cstdint>

#include "core/owner_notify.h"
#include "mail/mail_session.h"
#include "mail/smtp_engine.h"
#include "mail/smtp_link.h"
#include "mime/win_file_source.h"
#include "trace/trace.h"

namespace zenk {

class SmtpSession final : public SmtpLink {
public:
    static constexpr UINT kTickMs = 1000;                  // the engine counts seconds
    static constexpr std::size_t kPathCapacity = 256;      // outbox path: 255 characters
    // One received chunk, or one written chunk of text lines: the stream
    // buffer is as large as the engine's data chunk, so each write
    // completion moves tens of KiB instead of one line.
    static constexpr std::uint32_t kChunkSize = SmtpEngine::kDataChunkBytes;

    // Creates the session window on the calling thread. Without it the
    // session still exists; SendMail then reports status 9.
    SmtpSession(const OwnerNotify& notify, const char* outboxPath);
    ~SmtpSession() override;
    SmtpSession(const SmtpSession&) = delete;
    SmtpSession& operator=(const SmtpSession&) = delete;

    int SendMail(const char* server) { return engine_.SendMail(server); }
    // Settings for the delivery; each false, nothing changed, once it has
    // started (see zenk32.h, ZENKSMTPSetPort and the others).
    bool SetPort(int port) { return !engine_.Started() && mail_.SetPort(port); }
    bool SetSecurity(int mode);
    bool SetLogin(const char* user, const char* password, int flags);
    bool SetTrust(const char* caFile, const char* certificateName);
    SmtpEngine& Engine() { return engine_; }

    // SmtpLink
    bool HasSessionWindow() const override { return mail_.HasWindow(); }
    ByteSource* OpenOutbox() override;
    void CloseOutbox() override { outbox_.Close(); }
    bool CreateStream() override { return mail_.CreateStream(kChunkSize); }
    bool Connect(const char* server) override { return mail_.Connect(server, mail_.PortOr(25)); }
    tls::TlsStatus StartTls() override { return mail_.StartTls(engine_.Server()); }
    void CloseStream() override { mail_.CloseStream(); }
    bool Write(const void* data, std::size_t length) override {
        trace::Sent(trace::kSmtp, data, length);
        return mail_.Write(data, length);
    }
    std::size_t WriteLimit() const override { return kChunkSize; }
    void Post(int status, long count) override { notify_.Post(static_cast<WPARAM>(status), count); }

private:
    static void Tick(SmtpEngine& engine, int streamLastError, std::uint32_t) { engine.OnSecond(streamLastError); }

    OwnerNotify notify_;                   // the caller's window or thread and message
    FileSource outbox_;                    // the outbox, open during the delivery
    char outboxPath_[kPathCapacity] = {};  // empty when none or too long was given
    SmtpEngine engine_{*this};
    EngineEvents<SmtpEngine, &SmtpSession::Tick> events_{engine_};
    MailSession mail_;                     // last: gone before the engine and the outbox
};

}  // namespace zenk
