// Pop3Session: the POP3 client's Windows side - its hidden window
// "ZENK_POP3WIND", the stream client endpoint, the inbox file and the
// caller's notifications - around the portable Pop3Engine.
#pragma once
#include <windows.h>

#include "core/owner_notify.h"
#include "mail/pop3_engine.h"
#include "mail/session_window.h"

namespace zenk {

class Pop3Session : public Pop3Port, public SessionWindowClient {
public:
    static constexpr std::size_t kServerCapacity = 48;    // 47 characters
    static constexpr std::size_t kInboxPathCapacity = 256;// 255 characters
    static constexpr std::size_t kBufferSize = 1024;      // work and reply buffers
    static constexpr DWORD kConnectLimitMs = 30000;       // time for the whole greeting line
    static constexpr UINT kConnectPollMs = 200;           // how often a pending connect is checked

    // inboxPath: copied when it has at most 255 characters; a longer (or
    // null) path makes every retrieval fail with status 6.
    Pop3Session(const OwnerNotify& notify, const char* inboxPath);
    ~Pop3Session() override;
    Pop3Session(const Pop3Session&) = delete;
    Pop3Session& operator=(const Pop3Session&) = delete;

    // ZENKPOP3IsThereMail (checkOnly) and ZENKPOP3PullMail: 0 when the
    // connection has been requested, ZENK_FAILED when a start step failed
    // (already notified), or when this session has already run a
    // transaction (nothing is posted then: one transaction per session).
    int Transaction(const char* server, const char* user, const char* password, bool checkOnly,
                    bool deleteAfter);
    int MessageCount() const { return engine_.MessageCount(); }
    // ZENKPOP3LastRefusal: copies the run's first refusal, cut to size - 1
    // characters; ZENK_FAILED (with "" copied) while nothing was refused.
    int LastRefusal(char* text, int size) const;

    // SessionWindowClient
    void OnStreamEvent(WPARAM code, LPARAM count) override;
    void OnTimer(UINT_PTR timerId) override;

    // Pop3Port
    bool WriteCommand(const char* text, std::size_t length) override;
    void Notify(int status, long count) override { notify_.Post(status, count); }
    bool WriteInbox(const void* bytes, std::size_t length) override;
    bool FlushInbox() override;
    void CloseInbox() override;

private:
    int Start(bool checkOnly, bool deleteAfter);
    void CloseStream();
    void StopTimer();

    OwnerNotify notify_;                      // where the caller hears from us
    HWND window_ = nullptr;                   // the hidden "ZENK_POP3WIND" window
    void* stream_ = nullptr;                  // the stream client endpoint, or none
    HANDLE inbox_ = INVALID_HANDLE_VALUE;     // the open inbox file, or none
    char server_[kServerCapacity] = {};       // server name or dotted address
    char inboxPath_[kInboxPathCapacity] = {}; // empty: no usable path
    char* workBuffer_ = nullptr;              // formatted commands (owned)
    char* replyBuffer_ = nullptr;             // the last chunk received (owned)
    bool timerRunning_ = false;               // the connect check is running
    DWORD connectStarted_ = 0;                // tick count of the connection request
    Pop3Engine engine_{*this};
};

}  // namespace zenk
