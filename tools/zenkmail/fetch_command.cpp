// zenkmail fetch: downloads a POP3 mailbox into an inbox file.
//
//   zenkmail fetch --server HOST --user U (--password-file F | --password P) --inbox FILE
//                  [--delete] [--check] [--port N] [--starttls | --tls] [--cafile F] [--tls-name N]
//
// Prints one readable line per notification of the POP3 client. Exit codes:
// 0 done, 1 the transfer failed, 2 bad command line, 3 the library or
// WinSock could not be started.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "print.h"
#include "secure_options.h"
#include "zenk32.h"
#include "verbose.h"
#include "zenkmail_pop3.h"

namespace {

constexpr UINT kNotify = WM_APP + 110;

void FetchUsage(FILE* out) {
    std::fputs(
        "usage: zenkmail fetch --server HOST --user USER --password PASSWORD --inbox FILE\n"
        "                      [--delete] [--check] [--verbose]\n"
        "                      [--port N] [--starttls | --tls] [--password-file FILE]\n"
        "                      [--cafile FILE] [--tls-name NAME]\n"
        "  Downloads every message waiting on the POP3 server (port 110) into FILE,\n"
        "  which is created anew. --delete removes each message from the server once\n"
        "  it is safely stored; --check only reports how many messages wait (FILE is\n"
        "  then left alone). --password stays for clear-text scripts; prefer\n"
        "  --password-file or ZENKMAIL_PASSWORD, which keep it off the command line.\n"
        "  --verbose (-v) shows the POP3 exchange on standard error as it happens,\n"
        "  the password masked.\n",
        out);
    std::fputs(kSecureUsage, out);
}

// The text for a status code of the POP3 client; null for the progress codes.
const char* FailureText(int status) {
    switch (status) {
    case ZENK_POP3_ERR_READ: return "a buffer is missing or a received chunk cannot be read";
    case ZENK_POP3_ERR_RECEIVE: return "receiving from the server failed, or it stayed silent for 60 s";
    case ZENK_POP3_ERR_SEND: return "sending to the server failed";
    case ZENK_POP3_ERR_CONNECT: return "cannot connect to the server";
    case ZENK_POP3_ERR_REPLY: return "the server refused a command";
    case ZENK_POP3_ERR_INBOX: return "the inbox file cannot be created";
    case ZENK_POP3_ERR_INBOX_WRITE: return "the inbox file cannot be written";
    case ZENK_POP3_ERR_NO_WINDOW: return "no session window";
    case ZENK_POP3_ERR_NO_SERVER: return "no server name given";
    case ZENK_POP3_ERR_STREAM: return "the connection cannot be set up";
    case ZENK_POP3_CLOSED: return "the server closed the connection";
    case ZENK_POP3_ERR_NO_USER: return "no user name given (at most 63 characters)";
    case ZENK_POP3_ERR_NO_PASSWORD: return "no password given (at most 15 characters)";
    default: return SecureFailureText(status);
    }
}

}  // namespace

int FetchCommand(int argc, char** argv) {
    const char *server = nullptr, *user = nullptr, *password = nullptr, *inbox = nullptr;
    bool deleteAfter = false, checkOnly = false, verbose = false;
    SecureOptions secure;
    for (int i = 0; i < argc; ++i) {
        const char* a = argv[i];
        bool hasValue = i + 1 < argc;
        const int secureTaken = TakeSecureOption("fetch", argc, argv, i, secure);
        if (secureTaken < 0) {
            FetchUsage(stderr);
            return 2;
        }
        if (secureTaken > 0) continue;
        if (!std::strcmp(a, "--help") || !std::strcmp(a, "-h")) {
            FetchUsage(stdout);
            return 0;
        } else if (!std::strcmp(a, "--delete")) deleteAfter = true;
        else if (!std::strcmp(a, "--check")) checkOnly = true;
        else if (!std::strcmp(a, "--verbose") || !std::strcmp(a, "-v")) verbose = true;
        else if (!std::strcmp(a, "--server") && hasValue) server = argv[++i];
        else if (!std::strcmp(a, "--password") && hasValue) password = argv[++i];
        else if (!std::strcmp(a, "--inbox") && hasValue) inbox = argv[++i];
        else {
            PrintError("zenkmail fetch: unknown or incomplete option '%s'\n", a);
            FetchUsage(stderr);
            return 2;
        }
    }
    if (!secure.user.empty()) user = secure.user.c_str();
    if (!password) {
        if (!ReadPassword("fetch", secure, false)) return 2;
        if (!secure.password.empty()) password = secure.password.c_str();
    }
    if (!server || !user || !password || (!inbox && !checkOnly)) {
        PrintError("zenkmail fetch: --server, --user, a password and --inbox are required\n");
        FetchUsage(stderr);
        return 2;
    }
    if (verbose) ShowProtocolExchange("pop3");
    ZENKInit();
    if (!ZENKStartWinSock(0x0101)) {
        PrintError("zenkmail fetch: WinSock cannot be started\n");
        return 3;
    }
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the notifications' queue
    void* session = nullptr;
    if (ZENKPOP3StartThread(GetCurrentThreadId(), kNotify, inbox ? inbox : "", &session) != 0) {
        PrintError("zenkmail fetch: no memory for a POP3 session\n");
        return 3;
    }
    const int port = PortFor(secure, 110, 995);
    if (ZENKPOP3SetPort(session, port) != 0 || ZENKPOP3SetSecurity(session, secure.security) != 0 ||
        ZENKPOP3SetTrust(session, secure.caFile.c_str(), secure.certName.c_str()) != 0) {
        PrintError("zenkmail fetch: the library refused --port, --cafile or --tls-name\n");
        ZENKPOP3Close(session);
        return 2;
    }
    if (secure.security != ZENK_SECURITY_NONE || port != 110)
        Print("%s %s:%d%s as %s...\n", checkOnly ? "checking" : "fetching from", server, port,
                    secure.security == ZENK_SECURITY_TLS ? " with TLS" : secure.security ? " with STLS" : "", user);
    else
        Print("%s %s as %s...\n", checkOnly ? "checking" : "fetching from", server, user);
    if (checkOnly)
        ZENKPOP3IsThereMail(session, server, user, password);
    else
        ZENKPOP3PullMail(session, server, user, password, deleteAfter ? 1 : 0);

    int failure = 0, count = 0, stored = 0;
    bool ended = false;
    // No time limit of our own: the library ends every run (a connection
    // not greeted within 30 s, a server silent for 60 s), while a large
    // message may take any time without a notification.
    while (!ended) {
        while (!ended && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.hwnd == nullptr && msg.message == kNotify) {
                const int status = static_cast<int>(msg.wParam);
                const long value = static_cast<long>(msg.lParam);
                if (status == ZENK_POP3_DONE) ended = true;
                else if (status == ZENK_POP3_CONNECTED) Print("  connected\n");
                else if (status == ZENK_POP3_COUNT) {
                    count = static_cast<int>(value);
                    Print("  %d message(s) waiting\n", count);
                }
                else if (status == ZENK_POP3_STORED) {
                    ++stored;
                    Print("  stored message %ld of %d%s\n", value, count, deleteAfter ? ", deleting it" : "");
                } else if (status == ZENK_POP3_EMPTY) Print("  the mailbox is empty\n");
                else if (status == ZENK_POP3_QUIT_DONE) Print("  done, the server said goodbye\n");
                else if (status == ZENK_POP3_ERR_REPLY) {
                    // The library names the command and masks the password.
                    char refusal[ZENK_POP3_REFUSAL_SIZE];
                    std::fflush(stdout);  // the complaint comes after the lines before it
                    if (!failure) failure = status;
                    if (ZENKPOP3LastRefusal(session, refusal, sizeof refusal) == 0)
                        PrintError("zenkmail fetch: server refused %s (status %d)\n", refusal, status);
                    else
                        PrintError("zenkmail fetch: %s (status %d)\n", FailureText(status), status);
                } else if (const char* text = FailureText(status)) {
                    if (!failure) failure = status;
                    std::fflush(stdout);
                    PrintError("zenkmail fetch: %s (status %d)\n", text, status);
                }
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        std::fflush(stdout);  // what the queue held so far, in one write
        if (!ended) MsgWaitForMultipleObjects(0, nullptr, FALSE, 1000, QS_ALLINPUT);
    }
    ZENKPOP3Close(session);
    WipePassword(secure);
    ZENKEndWinSock();
    if (failure) return 1;
    if (!checkOnly) Print("%d message(s) in %s\n", stored, inbox);
    return 0;
}
