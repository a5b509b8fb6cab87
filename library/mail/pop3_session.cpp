// Pop3Session: the inbox file and its buffer, notifications, refusal text.
#include "mail/pop3_session.h"

#include <cstring>
#include <new>

#include "zenk32.h"

namespace zenk {
namespace {

SessionWindowClass pop3WindowClass{"ZENK_POP3WIND", "POP3 Message"};

}  // namespace

Pop3Session::Pop3Session(const OwnerNotify& notify, const char* inboxPath)
    : notify_(notify), mail_(pop3WindowClass, events_, kTickMs) {
    if (inboxPath && std::strlen(inboxPath) < sizeof inboxPath_) std::strcpy(inboxPath_, inboxPath);
    inboxBuffer_ = new (std::nothrow) char[kInboxBufferSize];
}

Pop3Session::~Pop3Session() {
    mail_.CloseStream();
    CloseInbox();
    delete[] inboxBuffer_;
}

bool Pop3Session::SetSecurity(int mode) {
    tls::SecurityMode security;
    return SecurityModeOf(mode, security) && engine_.SetSecurity(security);
}

bool Pop3Session::SetTrust(const char* caFile, const char* certificateName) {
    return !engine_.Started() && mail_.SetTrust(caFile, certificateName);
}

int Pop3Session::LastRefusal(char* text, int size) const {
    if (!text || size < 1) return ZENK_FAILED;
    const char* refusal = engine_.Refusal();
    const std::size_t room = static_cast<std::size_t>(size) - 1;
    std::size_t n = std::strlen(refusal);
    if (n > room) n = room;
    std::memcpy(text, refusal, n);
    text[n] = '\0';
    return refusal[0] ? ZENK_OK : ZENK_FAILED;
}

bool Pop3Session::CreateInbox() {
    CloseInbox();
    if (!inboxPath_[0]) return false;
    inbox_ = CreateFileA(inboxPath_, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    buffered_ = 0;
    return inbox_ != INVALID_HANDLE_VALUE;
}

bool Pop3Session::WriteInbox(const void* bytes, std::size_t length) {
    if (inbox_ == INVALID_HANDLE_VALUE || !inboxBuffer_) return false;
    const char* p = static_cast<const char*>(bytes);
    if (length > kInboxBufferSize - buffered_) {
        if (!WriteOut()) return false;
        if (length >= kInboxBufferSize) return WriteFileWhole(p, length);
    }
    std::memcpy(inboxBuffer_ + buffered_, p, length);
    buffered_ += length;
    return true;
}

bool Pop3Session::FlushInbox(bool durable) {
    if (inbox_ == INVALID_HANDLE_VALUE || !WriteOut()) return false;
    return !durable || FlushFileBuffers(inbox_);
}

bool Pop3Session::CloseInbox() {
    if (inbox_ == INVALID_HANDLE_VALUE) return true;
    const bool written = WriteOut();
    CloseHandle(inbox_);
    inbox_ = INVALID_HANDLE_VALUE;
    return written;
}

bool Pop3Session::WriteOut() {
    const std::size_t n = buffered_;
    buffered_ = 0;
    return n == 0 || WriteFileWhole(inboxBuffer_, n);
}

bool Pop3Session::WriteFileWhole(const char* bytes, std::size_t length) {
    while (length > 0) {
        // WriteFile takes a DWORD count: large blocks go in pieces.
        const DWORD piece = length > 0x40000000u ? 0x40000000u : static_cast<DWORD>(length);
        DWORD wrote = 0;
        if (!WriteFile(inbox_, bytes, piece, &wrote, nullptr) || wrote == 0) return false;
        bytes += wrote;
        length -= wrote;
    }
    return true;
}

}  // namespace zenk
