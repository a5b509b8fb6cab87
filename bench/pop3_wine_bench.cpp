// One POP3 retrieval through zenk32.dll under Wine, with the process's
// memory peak.
//
//   pop3_wine_bench SERVER USER PASSWORD INBOX
//
// Runs ZENKPOP3PullMail (no delete) with the thread variant and prints
// "stored=N seconds=S peak_working_set=BYTES" once the run has ended; the
// peak comes from GetProcessMemoryInfo. Exit code 0 only when the run
// ended with 19 and no failure. bench/run_pop3_bench.sh compares the peak
// of a message with an 8 MiB attachment with that of one with 64 MiB.
#include <windows.h>
#include <psapi.h>

#include <cstdio>

#include "zenk32.h"

namespace {

constexpr UINT kNotify = WM_APP + 4;

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: pop3_wine_bench SERVER USER PASSWORD INBOX\n");
        return 2;
    }
    ZENKInit();
    if (!ZENKStartWinSock(0x0101)) return 3;
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    void* session = nullptr;
    if (ZENKPOP3StartThread(GetCurrentThreadId(), kNotify, argv[4], &session) != 0) return 3;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (ZENKPOP3PullMail(session, argv[1], argv[2], argv[3], 0) != 0) return 1;
    int stored = 0, failure = 0;
    bool ended = false, quitDone = false;
    while (!ended && GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd == nullptr && msg.message == kNotify) {
            const int status = static_cast<int>(msg.wParam);
            if (status == ZENK_POP3_DONE) ended = true;
            else if (status == ZENK_POP3_STORED) ++stored;
            else if (status == ZENK_POP3_QUIT_DONE) quitDone = true;
            else if (status != ZENK_POP3_CONNECTED && status != ZENK_POP3_COUNT && !failure) failure = status;
            continue;
        }
        DispatchMessageA(&msg);
    }
    QueryPerformanceCounter(&end);
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    const bool measured = GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters) != 0;
    ZENKPOP3Close(session);
    ZENKEndWinSock();
    std::printf("stored=%d seconds=%.3f peak_working_set=%llu\n", stored,
                double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart),
                measured ? static_cast<unsigned long long>(counters.PeakWorkingSetSize) : 0ull);
    if (failure) std::fprintf(stderr, "pop3_wine_bench: status %d\n", failure);
    return ended && quitDone && !failure && measured ? 0 : 1;
}
