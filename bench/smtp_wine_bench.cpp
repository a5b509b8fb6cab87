// Delivery time and memory of one composed message through zenk32.dll,
// under Wine.
//
//   smtp_wine_bench compose ATTACHMENT OUTBOX
//   smtp_wine_bench send OUTBOX SERVER
//   smtp_wine_bench send OUTBOX SERVER PORT CAFILE CERTNAME USER
//
// compose writes one message (alice@example.org to bob@example.org) with
// the attachment into OUTBOX through the composer's exports. send delivers
// OUTBOX to SERVER:25 with the window variant of the SMTP client and prints
// "delivery_seconds=S" for the time from ZENKSMTPSendMail to the final
// notification and "peak_working_set=BYTES" (GetProcessMemoryInfo) for the
// sending process, which has done nothing else. Exit code 0 only when the
// step succeeded (the server accepted the message). With PORT and the rest,
// the delivery goes to that port through STARTTLS, trusting CAFILE for
// CERTNAME, and logs in as USER with the password in ZENK_BENCH_PASSWORD.
// bench/run_smtp_bench.sh runs it beside Python's smtplib.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "zenk32.h"

namespace {

constexpr UINT kNotify = WM_APP + 3;

struct Outcome {
    bool ended = false;
    bool accepted = false;
    int failure = 0;
};

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* outcome = reinterpret_cast<Outcome*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (outcome && message == kNotify) {
        int status = static_cast<int>(wParam);
        if (status == ZENK_SMTP_DONE && lParam == 0) outcome->ended = true;
        else if (status == ZENK_SMTP_SENT) outcome->accepted = true;
        else if (status != ZENK_SMTP_CONNECTED && status != ZENK_SMTP_QUIT_DONE && status != ZENK_SMTP_CLOSED &&
                 !outcome->failure)
            outcome->failure = status;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool Compose(const char* attachment, const char* outbox) {
    void* h = nullptr;
    if (ZENKMimePrepStart(outbox, "alice@example.org", &h) != 0) return false;
    static const char text[] = "The benchmark's attachment follows.\r\n";
    bool ok = ZENKMimePrepNewMesg(h) == 0 && ZENKMimePrepTO(h, "bob@example.org") == 0 &&
              ZENKMimePrepFile(h, attachment) == 0 && ZENKMimePrepSubj(h, "smtp bench") == 0 &&
              ZENKMimePrepData(h, text, static_cast<int>(sizeof text - 1)) == 0 && ZENKMimePrepEndMesg(h) == 0;
    ZENKMimePrepFinish(h);
    return ok;
}

struct Secure {
    int port = 0;  // 0: plain SMTP on port 25
    const char *caFile = "", *certName = "", *user = "", *password = "";
};

int Send(const char* outbox, const char* server, const Secure& secure) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "SmtpWineBench";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    Outcome outcome;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&outcome));
    void* session = nullptr;
    if (!window || ZENKSMTPStartWindow(window, kNotify, outbox, &session) != 0) return 3;
    if (secure.port &&
        (ZENKSMTPSetPort(session, secure.port) != 0 || ZENKSMTPSetSecurity(session, ZENK_SECURITY_STARTTLS) != 0 ||
         ZENKSMTPSetTrust(session, secure.caFile, secure.certName) != 0 ||
         ZENKSMTPSetLogin(session, secure.user, secure.password, 0) != 0))
        return 3;

    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    ZENKSMTPSendMail(session, server);
    MSG msg;
    while (!outcome.ended && GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    QueryPerformanceCounter(&end);

    ZENKSMTPClose(session);
    DestroyWindow(window);
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory)) return 3;
    std::printf("delivery_seconds=%.3f\n", static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart);
    std::printf("peak_working_set=%llu\n", static_cast<unsigned long long>(memory.PeakWorkingSetSize));
    if (outcome.failure) std::printf("failure=%d\n", outcome.failure);
    return outcome.accepted && !outcome.failure ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const bool compose = argc == 4 && std::strcmp(argv[1], "compose") == 0;
    const bool send = (argc == 4 || argc == 8) && std::strcmp(argv[1], "send") == 0;
    if (!compose && !send) {
        std::fprintf(stderr, "usage: smtp_wine_bench compose ATTACHMENT OUTBOX | send OUTBOX SERVER "
                             "[PORT CAFILE CERTNAME USER]\n");
        return 2;
    }
    Secure secure;
    if (argc == 8) {
        const char* password = std::getenv("ZENK_BENCH_PASSWORD");
        secure = {std::atoi(argv[4]), argv[5], argv[6], argv[7], password ? password : ""};
    }
    ZENKInit();
    if (!ZENKStartWinSock(0x0101)) return 3;
    int result = 0;
    if (compose && !Compose(argv[2], argv[3])) {
        std::fprintf(stderr, "smtp_wine_bench: composing failed\n");
        result = 3;
    }
    if (send) result = Send(argv[2], argv[3], secure);
    ZENKEndWinSock();
    return result;
}
