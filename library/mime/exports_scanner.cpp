// Exports of the MIME scanner family.
#include <new>

#include "core/gate.h"
#include <windows.h>

#include <cstring>

#include "mime/charset_names.h"
#include "mime/mime_scanner.h"
#include "mime/win_attachment_store.h"
#include "mime/win_charset_converter.h"
#include "zenk32.h"

using namespace zenk;

namespace {

// The inbox file as the scanner reads it: each Read is one ReadFile of the
// size asked for (the scanner asks for whole blocks, ScanReader).
class InboxFile : public ByteSource {
public:
    InboxFile() = default;
    ~InboxFile() override {
        if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
    }
    InboxFile(const InboxFile&) = delete;
    InboxFile& operator=(const InboxFile&) = delete;

    // Opens an existing file for reading, no sharing, with the
    // sequential-scan hint. False when it cannot be opened.
    bool Open(const char* path) {
        file_ = CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        return file_ != INVALID_HANDLE_VALUE;
    }

    long Read(void* buffer, std::size_t size) override {
        if (file_ == INVALID_HANDLE_VALUE) return -1;
        const DWORD ask = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
        DWORD got = 0;
        if (!ReadFile(file_, buffer, ask, &got, nullptr)) return -1;
        position_ += got;
        return static_cast<long>(got);
    }
    std::uint64_t Tell() const override { return position_; }
    bool Seek(std::uint64_t position) override {
        LARGE_INTEGER to;
        to.QuadPart = static_cast<LONGLONG>(position);
        if (file_ == INVALID_HANDLE_VALUE || !SetFilePointerEx(file_, to, nullptr, FILE_BEGIN)) return false;
        position_ = position;
        return true;
    }

private:
    HANDLE file_ = INVALID_HANDLE_VALUE;
    std::uint64_t position_ = 0;
};

// What a scanner handle points to: the inbox, the attachment files and the
// scanner over them. The inbox is opened for reading only, without sharing.
struct ScanSession {
    InboxFile inbox;
    WinAttachmentStore attachments;
    WindowsCharsetConverter converter;  // into the ANSI code page until the caller names one
    MimeScanner scanner;
    ScanSession(const char* inboxPath, const char* attachmentDir)
        : scanner(inboxPath && inbox.Open(inboxPath) ? &inbox : nullptr, attachments,
                  attachmentDir) {
        scanner.SetConverter(&converter);
    }
};

ScanSession* SessionOf(void* handle) { return static_cast<ScanSession*>(handle); }

}  // namespace

/***********************************************************************
 *      ZENKMimeScanStart
 */
extern "C" int ZENKAPI ZENKMimeScanStart(const char* inboxPath, const char* attachmentDir, void** out) {
    return Guarded(kGateStart, nullptr, [&]() -> int {
        if (!out) return ZENK_FAILED;
        ScanSession* session = new (std::nothrow) ScanSession(inboxPath, attachmentDir);
        if (!session) return ZENK_NOT_READY;
        *out = session;
        return ZENK_OK;
    });
}

/***********************************************************************
 *      ZENKMimeScanNumMessages
 */
extern "C" int ZENKAPI ZENKMimeScanNumMessages(void* handle, int* count) {
    return Guarded(kGateFH, handle, [&]() -> int {
        if (!count) return ZENK_FAILED;
        *count = SessionOf(handle)->scanner.MessageCount();
        return ZENK_OK;
    });
}

/***********************************************************************
 *      ZENKMimeScanGetFirst
 */
extern "C" MimeMessageRecord* ZENKAPI ZENKMimeScanGetFirst(void* handle) {
    return Guarded(kGateFH, handle, [&] { return SessionOf(handle)->scanner.GetFirst(); });
}

/***********************************************************************
 *      ZENKMimeScanGetNext
 */
extern "C" MimeMessageRecord* ZENKAPI ZENKMimeScanGetNext(void* handle) {
    return Guarded(kGateFH, handle, [&] { return SessionOf(handle)->scanner.GetNext(); });
}

/***********************************************************************
 *      ZENKMimeScanClose
 */
extern "C" int ZENKAPI ZENKMimeScanClose(void* handle) {
    return Guarded(kGateFH, handle, [&]() -> int {
        delete SessionOf(handle);
        return ZENK_OK;
    });
}

/***********************************************************************
 *      ZENKMimeScanSetCharset
 */
extern "C" int ZENKAPI ZENKMimeScanSetCharset(void* handle, const char* charset) {
    return Guarded(kGateFH, handle, [&]() -> int {
        const CharsetInfo* set =
            charset ? FindCharset(std::string_view(charset, strnlen(charset, kMaxCharsetName + 1))) : nullptr;
        if (!set || !IsComposableCharset(*set)) return ZENK_FAILED;
        SessionOf(handle)->converter.SetTarget(set->codePage);
        SessionOf(handle)->attachments.SetCodePage(set->codePage);
        return ZENK_OK;
    });
}

/***********************************************************************
 *      ZENKMimeScanGetCharset
 */
extern "C" int ZENKAPI ZENKMimeScanGetCharset(void* handle, char* buffer, int size) {
    return Guarded(kGateFH, handle, [&]() -> int {
        if (!buffer || size <= 0) return ZENK_FAILED;
        const char* name = SessionOf(handle)->scanner.TextCharset();
        const std::size_t n = std::strlen(name);
        if (n >= static_cast<std::size_t>(size)) {
            buffer[0] = '\0';
            return ZENK_FAILED;
        }
        std::memcpy(buffer, name, n + 1);
        return ZENK_OK;
    });
}
