// SmtpSession: the SMTP client behind a ZENKSMTPStart* handle.
//
// A hidden window of class "ZENK_SMTPWIND" receives the stream client
// endpoint's notifications as message 1025 and hands each to the engine;
// a one-second timer on the same window lets the engine notice a
// connection that failed or a server that stays silent. The engine's
// notifications go to the caller's window or thread.
#pragma once
#include <windows.h>

#include "core/owner_notify.h"
#include "mail/smtp_engine.h"
#include "mail/session_window.h"
#include "mail/smtp_link.h"
#include "mime/file_source.h"

namespace zenk {

class SmtpSession : public SmtpLink, public SessionWindowClient {
public:
    static constexpr UINT kStreamMessage = kSessionStreamMessage;  // 1025: the stream's notifications
    static constexpr UINT_PTR kTimerId = 1;
    static constexpr UINT kTimerMs = 1000;
    static constexpr std::size_t kPathCapacity = 256;      // outbox path: 255 characters
    static constexpr std::size_t kReplyBufferSize = 1024;  // one received chunk

    // Creates the session window on the calling thread. Without it the
    // session still exists; SendMail then reports status 9.
    SmtpSession(const OwnerNotify& notify, const char* outboxPath);
    ~SmtpSession() override;
    SmtpSession(const SmtpSession&) = delete;
    SmtpSession& operator=(const SmtpSession&) = delete;

    int SendMail(const char* server);
    // SessionWindowClient
    void OnStreamEvent(WPARAM code, LPARAM count) override;
    void OnTimer(UINT_PTR timerId) override;
    SmtpEngine& Engine() { return engine_; }
    HWND Window() const { return window_; }

    // SmtpLink
    bool HasSessionWindow() const override { return window_ != nullptr; }
    ByteSource* OpenOutbox() override;
    void CloseOutbox() override { outbox_.Close(); }
    bool CreateStream() override;
    bool Connect(const char* server) override;
    void CloseStream() override;
    bool Write(const void* data, std::size_t length) override;
    void Post(int status, long count) override { notify_.Post(static_cast<WPARAM>(status), count); }

private:
    void StopTimer();

    OwnerNotify notify_;                  // the caller's window or thread and message
    HWND window_ = nullptr;               // "ZENK_SMTPWIND", never shown
    void* stream_ = nullptr;              // stream client endpoint, or none
    FileSource outbox_;                   // the outbox, open during the delivery
    char outboxPath_[kPathCapacity] = {};  // empty when none or too long was given
    bool timerRunning_ = false;
    char reply_[kReplyBufferSize];        // the last chunk received
    SmtpEngine engine_{*this};
};

}  // namespace zenk
