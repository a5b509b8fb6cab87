// Exports of the MIME scanner family.
#include <new>

#include "core/gate.h"
#include "mime/file_source.h"
#include "mime/mime_scanner.h"
#include "mime/win_attachment_store.h"
#include "zenk32.h"

using namespace zenk;

namespace {

// What a scanner handle points to: the inbox, the attachment files and the
// scanner over them. The inbox is opened for reading only, without sharing.
struct ScanSession {
    FileSource inbox;
    WinAttachmentStore attachments;
    MimeScanner scanner;
    ScanSession(const char* inboxPath, const char* attachmentDir)
        : scanner(inboxPath && inbox.OpenExisting(inboxPath, true) ? &inbox : nullptr, attachments,
                  attachmentDir) {}
};

constexpr Gate kGateStart{-1, false, false, 0, -1};

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
