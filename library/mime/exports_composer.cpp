// Exports of the MIME composer family: gate, then one call into MimeComposer.
#include <new>

#include "core/gate.h"
#include <windows.h>

#include "mime/mime_composer.h"
#include "mime/win_composer_storage.h"
#include "zenk32.h"

using namespace zenk;

namespace {
MimeComposer* AsComposer(void* handle) { return static_cast<MimeComposer*>(handle); }
}  // namespace

/***********************************************************************
 *      ZENKMimePrepStart
 */
extern "C" int ZENKAPI ZENKMimePrepStart(const char* outboxPath, const char* sender, void** out) {
    return Guarded(kGateF, nullptr, [&]() -> int {
        if (!out) return ZENK_FAILED;
        MimeComposer* composer = new (std::nothrow) MimeComposer(SystemComposerStorage());
        if (!composer) return ZENK_NOT_READY;
        int result = composer->Start(outboxPath, sender);
        if (result != 0) {
            delete composer;
            return result;
        }
        // The caller's text is in the ANSI code page until it names another.
        if (const CharsetInfo* ansi = CharsetForCodePage(GetACP())) composer->SetCharset(ansi->name);
        *out = composer;
        return ZENK_OK;
    });
}

/***********************************************************************
 *      ZENKMimePrepNewMesg
 */
extern "C" int ZENKAPI ZENKMimePrepNewMesg(void* handle) {
    return Guarded(kGateFH, handle, [&] { return AsComposer(handle)->NewMessage(); });
}

/***********************************************************************
 *      ZENKMimePrepTO
 */
extern "C" int ZENKAPI ZENKMimePrepTO(void* handle, const char* address) {
    return Guarded(kGateFH, handle, [&] { return AsComposer(handle)->AddTo(address); });
}

/***********************************************************************
 *      ZENKMimePrepCC
 */
extern "C" int ZENKAPI ZENKMimePrepCC(void* handle, const char* address) {
    return Guarded(kGateFH, handle, [&] { return AsComposer(handle)->AddCc(address); });
}

/***********************************************************************
 *      ZENKMimePrepSubj
 */
extern "C" int ZENKAPI ZENKMimePrepSubj(void* handle, const char* subject) {
    return Guarded(kGateFH, handle, [&] { return AsComposer(handle)->SetSubject(subject); });
}

/***********************************************************************
 *      ZENKMimePrepFile
 */
extern "C" int ZENKAPI ZENKMimePrepFile(void* handle, const char* path) {
    return Guarded(kGateFH, handle, [&] { return AsComposer(handle)->AddFile(path); });
}

/***********************************************************************
 *      ZENKMimePrepData
 */
extern "C" int ZENKAPI ZENKMimePrepData(void* handle, const void* data, int count) {
    return Guarded(kGateFH, handle, [&] { return AsComposer(handle)->AddData(data, count); });
}

/***********************************************************************
 *      ZENKMimePrepEndMesg
 */
extern "C" int ZENKAPI ZENKMimePrepEndMesg(void* handle) {
    return Guarded(kGateFH, handle, [&] { return AsComposer(handle)->EndMessage(); });
}

/***********************************************************************
 *      ZENKMimePrepFinish
 */
extern "C" int ZENKAPI ZENKMimePrepFinish(void* handle) {
    return Guarded(kGateFH, handle, [&]() -> int {
        MimeComposer* composer = AsComposer(handle);
        int result = composer->Finish();
        delete composer;
        return result;
    });
}

/***********************************************************************
 *      ZENKMimePrepSetCharset
 */
extern "C" int ZENKAPI ZENKMimePrepSetCharset(void* handle, const char* charset) {
    return Guarded(kGateFH, handle, [&] { return AsComposer(handle)->SetCharset(charset); });
}
