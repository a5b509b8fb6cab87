// zenkmail send: the outbox, written through the composer exports.
#include <windows.h>

#include <cstdio>

#include "send_parts.h"
#include "print.h"
#include "zenk32.h"

namespace {

bool Check(int result, const char* what, const std::string& value) {
    if (result == 0) return true;
    PrintError("zenkmail send: the composer refused %s '%s' (result %d)\n", what, value.c_str(), result);
    return false;
}

// Copies the text file into the message, block by block.
bool AddText(void* composer, const std::string& path, unsigned codePage) {
    HANDLE file = OpenPath(path, codePage, FILE_SHARE_READ);
    if (file == INVALID_HANDLE_VALUE) {
        PrintError("zenkmail send: cannot read text file '%s'\n", path.c_str());
        return false;
    }
    char block[4096];
    DWORD got = 0;
    bool ok = true;
    while (ok && ReadFile(file, block, sizeof block, &got, nullptr) && got > 0) {
        if (ZENKMimePrepData(composer, block, static_cast<int>(got)) != 0) {
            PrintError(
                         "zenkmail send: the text of '%s' cannot be stored (a line longer than 998\n"
                         "  characters, or the scratch file ZENKMIME.QDF is in use in this folder)\n",
                         path.c_str());
            ok = false;
        }
    }
    CloseHandle(file);
    return ok;
}

// The first attachment the composer cannot read as it reads them (read
// access, no sharing), or null: the composer's -2 does not say which.
const std::string* UnreadableAttachment(const SendOptions& o) {
    for (const auto& path : o.attachments) {
        HANDLE h = OpenPath(path, o.codePage, 0);
        if (h == INVALID_HANDLE_VALUE) return &path;
        CloseHandle(h);
    }
    return nullptr;
}

}  // namespace

bool ComposeOutbox(const SendOptions& o, const std::string& outbox) {
    void* composer = nullptr;
    if (!Check(ZENKMimePrepStart(outbox.c_str(), o.from.c_str(), &composer), "the sender", o.from)) return false;
    bool ok = o.charset.empty() || Check(ZENKMimePrepSetCharset(composer, o.charset.c_str()),
                                         "the character set (not one it knows)", o.charset);
    ok = ok && Check(ZENKMimePrepNewMesg(composer), "a new message", "");
    for (const auto& to : o.to) ok = ok && Check(ZENKMimePrepTO(composer, to.c_str()), "recipient", to);
    for (const auto& cc : o.cc) ok = ok && Check(ZENKMimePrepCC(composer, cc.c_str()), "copy recipient", cc);
    ok = ok && Check(ZENKMimePrepSubj(composer, o.subject.c_str()), "the subject", o.subject);
    for (const auto& path : o.attachments) ok = ok && Check(ZENKMimePrepFile(composer, path.c_str()), "attachment", path);
    if (ok && !o.textFile.empty()) ok = AddText(composer, o.textFile, o.codePage);
    if (ok && ZENKMimePrepEndMesg(composer) != 0) {
        // The attachments were readable when the options were checked; one
        // may have gone or been locked since.
        if (const std::string* bad = UnreadableAttachment(o))
            PrintError("zenkmail send: cannot read attachment '%s' (error %lu)\n", bad->c_str(),
                         GetLastError());
        else
            PrintError("zenkmail send: the outbox file '%s' cannot be written\n", outbox.c_str());
        ok = false;
    }
    if (ZENKMimePrepFinish(composer) != 0 && ok) {
        PrintError("zenkmail send: the outbox file '%s' cannot be written\n", outbox.c_str());
        ok = false;
    }
    return ok;
}
