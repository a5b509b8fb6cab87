// zenkmail send: the command line.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "core/win_system_library.h"
#include "mime/charset_names.h"
#include "print.h"
#include "send_parts.h"

namespace {

void SendUsage(FILE* out) {
    std::fputs(
        "usage: zenkmail send --server HOST --from ADDR --to ADDR [--to ADDR]... [--cc ADDR]...\n"
        "                     --subject TEXT [--text FILE] [--attach FILE]... [--outbox FILE]\n"
        "                     [--port N] [--starttls | --tls] [--user NAME] [--password-file FILE]\n"
        "                     [--cafile FILE] [--tls-name NAME] [--verbose]\n"
        "                     [--charset NAME]\n"
        "  Composes one MIME message (the text of FILE, each --attach as a base64\n"
        "  attachment) into an outbox file and delivers it to the SMTP server on\n"
        "  port 25 of HOST, printing each step. --outbox keeps the outbox file\n"
        "  under that name; otherwise a temporary one is used and deleted.\n"
        "  --charset names the character set of the text, the subject and the\n"
        "  attachment names (e.g. utf-8, iso-8859-7); without it they are taken\n"
        "  to be in the ANSI code page. 8-bit text is sent quoted-printable or\n"
        "  base64, an 8-bit subject as encoded words, 8-bit names as filename*.\n"
        "  --user logs in with AUTH PLAIN or LOGIN, only through TLS.\n"
        "  --verbose (-v) shows the SMTP exchange on standard error as it happens.\n",
        out);
    std::fputs(kSecureUsage, out);
    std::fputs(
        "  Limits: addresses 79 characters, subject and attachment paths 127,\n"
        "  text lines 998 characters; no CR or LF in addresses or the subject.\n"
        "exit codes: 0 delivered, 1 the delivery failed, 2 bad command line,\n"
        "            unreadable text or attachment file (named) or an outbox that\n"
        "            cannot be written, 3 the library or WinSock could not be\n"
        "            started, 4 delivered, but the server refused some recipients\n",
        out);
}

int UsageError(const char* text, const char* arg = nullptr) {
    PrintError("zenkmail send: %s%s%s\n", text, arg ? " " : "", arg ? arg : "");
    SendUsage(stderr);
    return 2;
}

// A file the library will open later: it must be readable now, and its path
// (with "/" turned into the "\" the composer splits names at) must fit.
bool CheckReadable(const std::string& path, unsigned codePage, const char* what) {
    HANDLE h = OpenPath(path, codePage, FILE_SHARE_READ);
    if (h == INVALID_HANDLE_VALUE) {
        PrintError("zenkmail send: cannot read %s '%s' (error %lu)\n", what, path.c_str(), GetLastError());
        return false;
    }
    CloseHandle(h);
    return true;
}

std::string WindowsPath(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

// The wide command line split into arguments. shell32.dll, which splits
// it, is loaded only here: loading it (and its own imports) at start cost
// every run of zenkmail, and only a send in a named character set needs it.
LPWSTR* WideArguments(int* n) {
    using Split = LPWSTR*(WINAPI*)(LPCWSTR, int*);
    static const Split split = reinterpret_cast<Split>(
        reinterpret_cast<void (*)()>(zenk::SystemProcedure(L"shell32.dll", "CommandLineToArgvW")));
    return split ? split(GetCommandLineW(), n) : nullptr;
}

// The arguments again, from the wide command line, in codePage: the
// subject and the paths then reach the library in the set the user named,
// whatever the ANSI code page can hold. False when one has a character the
// set lacks.
bool ArgumentsIn(unsigned codePage, int argc, std::vector<std::string>* out) {
    int n = 0;
    LPWSTR* wide = WideArguments(&n);
    if (!wide) return false;
    bool ok = n >= argc;
    const bool utf8 = codePage == CP_UTF8;
    for (int i = n - argc; ok && i < n; ++i) {
        BOOL lost = FALSE;
        char text[4096];
        const int got = WideCharToMultiByte(codePage, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, wide[i], -1, text,
                                            sizeof text, nullptr, utf8 ? nullptr : &lost);
        ok = got > 0 && !lost;
        if (ok) out->push_back(text);
        else PrintError("zenkmail send: argument %d has a character the character set lacks\n", i);
    }
    LocalFree(wide);
    return ok;
}

}  // namespace

unsigned CodePageOf(const std::string& charset) {
    const zenk::CharsetInfo* set = zenk::FindCharset(charset);
    return set && zenk::IsComposableCharset(*set) ? set->codePage : 0;
}

void* OpenPath(const std::string& path, unsigned codePage, unsigned long share) {
    if (codePage == 0) return CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
    wchar_t wide[MAX_PATH + 1];
    if (!MultiByteToWideChar(codePage, 0, path.c_str(), -1, wide, MAX_PATH + 1)) return INVALID_HANDLE_VALUE;
    return CreateFileW(wide, GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
}

int ParseSendOptions(int argc, char** argv, SendOptions* o) {
    for (int i = 0; i < argc; ++i) {
        const char* a = argv[i];
        if (!std::strcmp(a, "--help") || !std::strcmp(a, "-h")) {
            SendUsage(stdout);
            return 0;
        }
        if (!std::strcmp(a, "--verbose") || !std::strcmp(a, "-v")) {
            o->verbose = true;
            continue;
        }
        if (!std::strcmp(a, "--password"))
            return UsageError("the password is never taken from the command line: use --password-file or "
                              "ZENKMAIL_PASSWORD");
        const int secure = TakeSecureOption("send", argc, argv, i, o->secure);
        if (secure < 0) return UsageError("bad secure-mail option");
        if (secure > 0) continue;
        if (i + 1 >= argc) return UsageError("missing value after", a);
        const char* v = argv[++i];
        if (!std::strcmp(a, "--server")) o->server = v;
        else if (!std::strcmp(a, "--from")) o->from = v;
        else if (!std::strcmp(a, "--to")) o->to.push_back(v);
        else if (!std::strcmp(a, "--cc")) o->cc.push_back(v);
        else if (!std::strcmp(a, "--subject")) o->subject = v;
        else if (!std::strcmp(a, "--text")) o->textFile = v;
        else if (!std::strcmp(a, "--attach")) o->attachments.push_back(WindowsPath(v));
        else if (!std::strcmp(a, "--outbox")) o->outbox = v;
        else if (!std::strcmp(a, "--charset")) o->charset = v;
        else return UsageError("unknown option", a);
    }
    if (!o->charset.empty() && o->codePage == 0) {
        const unsigned codePage = CodePageOf(o->charset);
        if (!codePage) return UsageError("unknown character set", o->charset.c_str());
        std::vector<std::string> args;
        if (!ArgumentsIn(codePage, argc, &args)) return 2;
        std::vector<char*> pointers;
        for (auto& a : args) pointers.push_back(&a[0]);
        *o = SendOptions();
        o->codePage = codePage;
        return ParseSendOptions(argc, pointers.data(), o);
    }
    if (o->server.empty() || o->from.empty() || o->to.empty())
        return UsageError("--server, --from and at least one --to are required");
    if (o->server.size() >= 48) return UsageError("server name longer than 47 characters:", o->server.c_str());
    if (o->from.size() >= 57) return UsageError("sender address longer than 56 characters:", o->from.c_str());
    for (const auto& list : {o->to, o->cc})
        for (const auto& addr : list)
            if (addr.size() > 79) return UsageError("address longer than 79 characters:", addr.c_str());
    if (!o->textFile.empty() && !CheckReadable(o->textFile, o->codePage, "text file")) return 2;
    if (!o->secure.user.empty() && !ReadPassword("send", o->secure, true)) return 2;
    for (const auto& path : o->attachments) {
        if (path.size() > 127) return UsageError("attachment path longer than 127 characters:", path.c_str());
        if (!CheckReadable(path, o->codePage, "attachment")) return 2;
    }
    return -1;
}
