// zenkmail send: the command line.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "send_parts.h"

namespace {

void SendUsage(FILE* out) {
    std::fputs(
        "usage: zenkmail send --server HOST --from ADDR --to ADDR [--to ADDR]... [--cc ADDR]...\n"
        "                     --subject TEXT [--text FILE] [--attach FILE]... [--outbox FILE]\n"
        "                     [--port N] [--starttls | --tls] [--user NAME] [--password-file FILE]\n"
        "                     [--cafile FILE] [--tls-name NAME] [--verbose]\n"
        "  Composes one MIME message (the text of FILE, each --attach as a base64\n"
        "  attachment) into an outbox file and delivers it to the SMTP server on\n"
        "  port 25 of HOST, printing each step. --outbox keeps the outbox file\n"
        "  under that name; otherwise a temporary one is used and deleted.\n"
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
    std::fprintf(stderr, "zenkmail send: %s%s%s\n", text, arg ? " " : "", arg ? arg : "");
    SendUsage(stderr);
    return 2;
}

// A file the library will open later: it must be readable now, and its path
// (with "/" turned into the "\" the composer splits names at) must fit.
bool CheckReadable(const std::string& path, const char* what) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "zenkmail send: cannot read %s '%s' (error %lu)\n", what, path.c_str(), GetLastError());
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

}  // namespace

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
        else return UsageError("unknown option", a);
    }
    if (o->server.empty() || o->from.empty() || o->to.empty())
        return UsageError("--server, --from and at least one --to are required");
    if (o->server.size() >= 48) return UsageError("server name longer than 47 characters:", o->server.c_str());
    if (o->from.size() >= 57) return UsageError("sender address longer than 56 characters:", o->from.c_str());
    for (const auto& list : {o->to, o->cc})
        for (const auto& addr : list)
            if (addr.size() > 79) return UsageError("address longer than 79 characters:", addr.c_str());
    if (!o->textFile.empty() && !CheckReadable(o->textFile, "text file")) return 2;
    if (!o->secure.user.empty() && !ReadPassword("send", o->secure, true)) return 2;
    for (const auto& path : o->attachments) {
        if (path.size() > 127) return UsageError("attachment path longer than 127 characters:", path.c_str());
        if (!CheckReadable(path, "attachment")) return 2;
    }
    return -1;
}
