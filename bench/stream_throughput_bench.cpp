// Stream throughput over loopback: 512 MiB from a library stream client to a
// library server connection, all on one thread's message loop, against a
// plain blocking WinSock send/recv pair in two threads (what the platform
// itself manages on this machine).
//
//   stream_throughput_bench [MiB [chunk KiB [rounds]]]   (default 512, 1024, 5)
//
// Both endpoints' buffers are set to the chunk size; four writes are in
// flight. Each round runs the library, then the plain loop, then both
// plain ends on one thread as the library has them; the summary
// sets the best time of each against the other, since on a shared machine
// a round is only slowed down by others, never sped up. Prints elapsed
// time, MB/s (1 MB = 10^6 bytes), the ratio, and for the library the
// messages the loop dispatched per MiB (by kind) and the process's peak
// working set. Every byte is checked on arrival.
// Exit code 0 when both transfers completed intact, 1 otherwise.
#include <winsock2.h>
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "zenk32.h"

namespace {

constexpr char kHost[] = "127.0.1.9";
constexpr int kLibraryPort = 47500;     // and the next ones, a port per round
constexpr int kPlainPort = 47510;
constexpr int kMaxRounds = 9;
constexpr unsigned kMaxChunk = 16u << 20;
unsigned g_chunk = 1u << 20;                // bytes per write and per endpoint buffer
constexpr unsigned kQueued = 4;            // writes in flight on the client
constexpr DWORD kTimeoutMs = 120000;

constexpr UINT kSocketEvent = 2984;  // the library's event window message
constexpr UINT kServerMsg = WM_APP + 1;
constexpr UINT kCommMsg = WM_APP + 2;
constexpr UINT kClientMsg = WM_APP + 3;
constexpr UINT_PTR kTimeoutTimer = 1;

// Stream byte k is Pattern()[k % kPeriod]; a chunk of up to g_chunk bytes
// starting anywhere is one contiguous slice of the table.
constexpr std::size_t kPeriod = 65521;
const std::vector<char>& Pattern() {
    static const std::vector<char> table = [] {
        std::vector<char> t(kPeriod + g_chunk);
        for (std::size_t i = 0; i < t.size(); ++i)
            t[i] = static_cast<char>(((i % kPeriod) * 131 + (i % kPeriod) / 509) & 0xFF);
        return t;
    }();
    return table;
}
// Compares eight bytes at a time: the C runtime's memcmp under Wine goes
// byte by byte, and checking would then cost more than moving the data.
bool Matches(const char* data, std::size_t length, std::uint64_t offset) {
    const char* expected = &Pattern()[offset % kPeriod];
    std::size_t i = 0;
    for (; i + 8 <= length; i += 8) {
        std::uint64_t a, b;
        std::memcpy(&a, data + i, 8);
        std::memcpy(&b, expected + i, 8);
        if (a != b) return false;
    }
    for (; i < length; ++i)
        if (data[i] != expected[i]) return false;
    return true;
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(f.QuadPart);
}

void PrintRate(const char* name, std::uint64_t bytes, double seconds) {
    std::printf("%-28s %6.3f s  %9.1f MB/s", name, seconds,
                seconds > 0 ? static_cast<double>(bytes) / seconds / 1e6 : 0.0);
}

// ---- the library: client -> accepted connection, one message loop --------

struct LibraryRun {
    std::uint64_t total = 0;
    void* server = nullptr;
    void* client = nullptr;
    void* comm = nullptr;
    bool clientUp = false, commUp = false, started = false;
    std::uint64_t written = 0;   // bytes handed to ZENKStreamWrite
    std::uint64_t received = 0;
    unsigned inFlight = 0;
    unsigned long long notes = 0;
    const char* failure = nullptr;
    LARGE_INTEGER start{}, end{};
    std::vector<char> in = std::vector<char>(g_chunk);

    void Fail(const char* why) {
        if (!failure) failure = why;
        PostQuitMessage(1);
    }
    void WriteMore() {
        while (inFlight < kQueued && written < total) {
            std::uint64_t left = total - written;
            unsigned n = left < g_chunk ? static_cast<unsigned>(left) : g_chunk;
            ZENKStreamWrite(client, &Pattern()[written % kPeriod], n);
            written += n;
            ++inFlight;
        }
    }
    void MaybeStart() {
        if (started || !clientUp || !commUp) return;
        started = true;
        QueryPerformanceCounter(&start);
        WriteMore();
    }
    void OnNote(UINT message, WPARAM code, LPARAM count, HWND window) {
        ++notes;
        if (message == kServerMsg && code == ZENK_STREAM_ACCEPT_READY) {
            if (comm) return;
            if (ZENKCreateStreamCommWindow(window, kCommMsg, &comm) != 0 ||
                ZENKSetStreamBufferSize(comm, g_chunk) != 0 || ZENKStreamAccept(server, comm) != 0)
                Fail("accept failed");
        } else if (code == ZENK_STREAM_CONNECTED) {
            (message == kClientMsg ? clientUp : commUp) = true;
            MaybeStart();
        } else if (message == kClientMsg && code == ZENK_STREAM_SENT) {
            if (inFlight) --inFlight;
            WriteMore();
        } else if (message == kCommMsg && code == ZENK_STREAM_RECEIVED) {
            // The note carries the chunk's length; the read takes the whole chunk.
            if (count <= 0 || count > static_cast<LPARAM>(g_chunk)) return Fail("bad chunk length");
            if (ZENKStreamRead(comm, in.data(), g_chunk) != ZENK_OK) return Fail("read failed");
            std::size_t n = static_cast<std::size_t>(count);
            if (!Matches(in.data(), n, received)) return Fail("data corrupted");
            received += n;
            if (received == total) {
                QueryPerformanceCounter(&end);
                PostQuitMessage(0);
            } else if (received > total) {
                Fail("too many bytes");
            }
        } else if (code == ZENK_STREAM_SEND_ERROR) {
            Fail("send failed (15007)");
        } else if (code == ZENK_STREAM_RECEIVE_ERROR) {
            Fail("receive failed (15008)");
        } else if (code == ZENK_STREAM_CLOSED) {
            Fail("connection closed early");
        }
    }
};

LibraryRun* g_run = nullptr;

LRESULT CALLBACK OwnerProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (g_run && (m == kServerMsg || m == kCommMsg || m == kClientMsg)) {
        g_run->OnNote(m, wp, lp, w);
        return 0;
    }
    if (g_run && m == WM_TIMER && wp == kTimeoutTimer) {
        g_run->Fail("timed out");
        return 0;
    }
    return DefWindowProcA(w, m, wp, lp);
}

// Results of the library's run, for the summary.
struct LibraryFigures {
    double seconds = -1;      // below 0: the run failed
    double messagesPerMiB = 0;
};

std::size_t PeakWorkingSet() {
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    return GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc) ? pmc.PeakWorkingSetSize : 0;
}

LibraryFigures RunLibrary(std::uint64_t total, int port) {
    LibraryRun run;
    run.total = total;
    g_run = &run;
    WNDCLASSA wc{};
    wc.lpfnWndProc = OwnerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "StreamBenchOwner";
    RegisterClassA(&wc);
    HWND owner = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               wc.hInstance, nullptr);
    bool ok = owner && ZENKCreateStreamServerWindow(port, owner, kServerMsg, &run.server) == 0 &&
              ZENKCreateStreamClientWindow(owner, kClientMsg, &run.client) == 0 &&
              ZENKSetStreamBufferSize(run.client, g_chunk) == 0 &&
              ZENKStreamConnectToPort(run.client, kHost, port) == 0;
    if (!ok) run.failure = "setup failed";

    unsigned long long dispatched = 0, dispatchedAtStart = 0, notesAtStart = 0;
    unsigned long long reads = 0, writes = 0, timers = 0;  // event window messages by kind
    if (ok) {
        SetTimer(owner, kTimeoutTimer, kTimeoutMs, nullptr);
        MSG m;
        bool wasStarted = false;
        while (GetMessageA(&m, nullptr, 0, 0) > 0) {
            ++dispatched;
            if (run.started) {
                if (m.message == kSocketEvent && WSAGETSELECTEVENT(m.lParam) == FD_READ) ++reads;
                else if (m.message == kSocketEvent && WSAGETSELECTEVENT(m.lParam) == FD_WRITE) ++writes;
                else if (m.message == WM_TIMER) ++timers;
            }
            TranslateMessage(&m);
            DispatchMessageA(&m);
            if (!wasStarted && run.started) {
                // Count from the first write on: connection setup is not streaming.
                wasStarted = true;
                dispatchedAtStart = dispatched;
                notesAtStart = run.notes - 1;
            }
        }
        KillTimer(owner, kTimeoutTimer);
    }
    for (void* h : {run.client, run.comm, run.server})
        if (h) ZENKCloseStream(h);
    if (owner) DestroyWindow(owner);
    g_run = nullptr;

    if (run.failure || run.received != total) {
        std::printf("library stream: FAILED (%s) after %llu of %llu bytes\n",
                    run.failure ? run.failure : "incomplete",
                    static_cast<unsigned long long>(run.received),
                    static_cast<unsigned long long>(total));
        return {};
    }
    double mib = static_cast<double>(total) / (1024.0 * 1024.0);
    unsigned long long messages = dispatched - dispatchedAtStart + 1;
    unsigned long long notes = run.notes - notesAtStart;
    PrintRate("library stream (1 thread)", total, Seconds(run.start, run.end));
    std::printf("  %5.1f msgs/MiB (%llu: FD_READ %llu, FD_WRITE %llu, timer %llu, notifications %llu)\n",
                messages / mib, messages, reads, writes, timers, notes);
    return {Seconds(run.start, run.end), messages / mib};
}

// ---- the platform: blocking send loop and recv loop in two threads -------

struct PlainReceiver {
    SOCKET listener = INVALID_SOCKET;
    std::uint64_t total = 0;
    std::uint64_t received = 0;
    bool intact = true;
    LARGE_INTEGER end{};
};

DWORD WINAPI ReceiveAll(void* arg) {
    auto* r = static_cast<PlainReceiver*>(arg);
    SOCKET s = accept(r->listener, nullptr, nullptr);
    if (s == INVALID_SOCKET) return 1;
    std::vector<char> in(g_chunk);
    while (r->received < r->total) {
        int n = recv(s, in.data(), static_cast<int>(in.size()), 0);
        if (n <= 0) break;
        if (!Matches(in.data(), static_cast<std::size_t>(n), r->received)) r->intact = false;
        r->received += static_cast<std::uint64_t>(n);
    }
    QueryPerformanceCounter(&r->end);
    closesocket(s);
    return 0;
}

// Seconds for the plain loop, below 0 when it failed.
double RunPlain(std::uint64_t total) {
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(kPlainPort);
    at.sin_addr.s_addr = inet_addr(kHost);
    PlainReceiver r;
    r.total = total;
    r.listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    BOOL yes = TRUE;
    setsockopt(r.listener, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&yes), sizeof yes);
    if (r.listener == INVALID_SOCKET || bind(r.listener, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0 ||
        listen(r.listener, 1) != 0) {
        std::printf("plain WinSock: FAILED (listen: %d)\n", WSAGetLastError());
        if (r.listener != INVALID_SOCKET) closesocket(r.listener);
        return -1;
    }
    HANDLE thread = CreateThread(nullptr, 0, ReceiveAll, &r, 0, nullptr);
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    bool sentAll = false;
    if (s != INVALID_SOCKET && connect(s, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0) {
        std::uint64_t sent = 0;
        while (sent < total) {
            std::uint64_t left = total - sent;
            int n = static_cast<int>(left < g_chunk ? left : g_chunk);
            int k = send(s, &Pattern()[sent % kPeriod], n, 0);
            if (k <= 0) break;
            sent += static_cast<std::uint64_t>(k);
        }
        sentAll = sent == total;
    }
    if (s != INVALID_SOCKET) closesocket(s);  // ends the receiver if the sender stopped early
    WaitForSingleObject(thread, kTimeoutMs);
    CloseHandle(thread);
    closesocket(r.listener);
    if (!sentAll || r.received != total || !r.intact) {
        std::printf("plain WinSock: FAILED (%llu of %llu bytes%s)\n",
                    static_cast<unsigned long long>(r.received),
                    static_cast<unsigned long long>(total), r.intact ? "" : ", corrupted");
        return -1;
    }
    PrintRate("plain WinSock (2 threads)", total, Seconds(start, r.end));
    std::printf("\n");
    return Seconds(start, r.end);
}

// ---- the platform on one thread: both ends non-blocking, one select loop --
//
// The library dispatches every socket event on the one thread that started
// WinSock, so both of its ends share a thread; this loop shows what the
// platform itself manages under that same condition.
double RunPlainOneThread(std::uint64_t total) {
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(kPlainPort + 1);
    at.sin_addr.s_addr = inet_addr(kHost);
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    BOOL yes = TRUE;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&yes), sizeof yes);
    SOCKET client = INVALID_SOCKET, server = INVALID_SOCKET;
    std::uint64_t sent = 0, received = 0;
    bool intact = true, broken = false;
    LARGE_INTEGER start{}, end{};
    if (listener != INVALID_SOCKET && bind(listener, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0 &&
        listen(listener, 1) == 0) {
        client = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (client != INVALID_SOCKET && connect(client, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0)
            server = accept(listener, nullptr, nullptr);
    }
    if (server != INVALID_SOCKET) {
        u_long on = 1;
        ioctlsocket(client, FIONBIO, &on);
        ioctlsocket(server, FIONBIO, &on);
        std::vector<char> in(g_chunk);
        QueryPerformanceCounter(&start);
        while (received < total && !broken) {
            bool moved = false;
            if (sent < total) {
                std::uint64_t left = total - sent;
                int n = static_cast<int>(left < g_chunk ? left : g_chunk);
                int k = send(client, &Pattern()[sent % kPeriod], n, 0);
                if (k > 0) sent += static_cast<std::uint64_t>(k), moved = true;
                else if (WSAGetLastError() != WSAEWOULDBLOCK) broken = true;
            }
            int k = recv(server, in.data(), static_cast<int>(in.size()), 0);
            if (k > 0) {
                if (!Matches(in.data(), static_cast<std::size_t>(k), received)) intact = false;
                received += static_cast<std::uint64_t>(k);
                moved = true;
            } else if (k == 0 || WSAGetLastError() != WSAEWOULDBLOCK) {
                broken = true;
            }
            if (!moved && !broken) {
                fd_set readable, writable;
                FD_ZERO(&readable);
                FD_ZERO(&writable);
                FD_SET(server, &readable);
                if (sent < total) FD_SET(client, &writable);
                timeval wait{static_cast<long>(kTimeoutMs / 1000), 0};
                if (select(0, &readable, &writable, nullptr, &wait) <= 0) broken = true;
            }
        }
        QueryPerformanceCounter(&end);
    }
    for (SOCKET s : {client, server, listener})
        if (s != INVALID_SOCKET) closesocket(s);
    if (received != total || !intact) {
        std::printf("plain WinSock, one thread: FAILED (%llu of %llu bytes%s)\n",
                    static_cast<unsigned long long>(received), static_cast<unsigned long long>(total),
                    intact ? "" : ", corrupted");
        return -1;
    }
    PrintRate("plain WinSock (1 thread)", total, Seconds(start, end));
    std::printf("\n");
    return Seconds(start, end);
}

}  // namespace

int main(int argc, char** argv) {
    std::uint64_t mib = 512;  // rounds of about a second: shorter ones measure the scheduler
    if (argc > 1) mib = std::strtoull(argv[1], nullptr, 10);
    unsigned long long chunkKiB = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : g_chunk / 1024;
    int rounds = argc > 3 ? std::atoi(argv[3]) : 5;
    if (mib == 0 || mib > 4096 || chunkKiB == 0 || chunkKiB * 1024 > kMaxChunk || rounds < 1 ||
        rounds > kMaxRounds) {
        std::fprintf(stderr, "usage: stream_throughput_bench [MiB 1..4096 [chunk KiB 1..16384 [rounds 1..9]]]\n");
        return 2;
    }
    g_chunk = static_cast<unsigned>(chunkKiB * 1024);
    const std::uint64_t total = mib * 1024 * 1024;
    if (ZENKInit() != 1 || ZENKStartWinSock(0x0101) != 1) {  // both return 1 on success
        std::printf("cannot start the library's WinSock session\n");
        return 1;
    }
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    std::printf("streaming %llu MiB over loopback (%s), %u-byte chunks\n",
                static_cast<unsigned long long>(mib), kHost, g_chunk);
    Pattern();
    const std::size_t before = PeakWorkingSet();
    double bestLibrary = 0, bestPlain = 0, bestOneThread = 0, messagesPerMiB = 0;
    std::size_t peak = 0;
    bool ok = true;
    for (int round = 0; round < rounds && ok; ++round) {
        LibraryFigures library = RunLibrary(total, kLibraryPort + round);
        if (round == 0) peak = PeakWorkingSet();  // the plain loop's buffers come after
        double plain = RunPlain(total);
        double oneThread = RunPlainOneThread(total);
        ok = library.seconds > 0 && plain > 0 && oneThread > 0;
        if (!ok) break;
        if (round == 0 || oneThread < bestOneThread) bestOneThread = oneThread;
        if (round == 0 || library.seconds < bestLibrary) bestLibrary = library.seconds;
        if (round == 0 || plain < bestPlain) bestPlain = plain;
        messagesPerMiB = std::max(messagesPerMiB, library.messagesPerMiB);
    }
    WSACleanup();
    ZENKEndWinSock();
    if (ok) {
        // The same bytes both ways: the ratio of rates is that of times.
        std::printf("best of %d: library %.1f MB/s, plain %.1f MB/s: ratio %.2f (goal >= 0.60); "
                    "%.1f msgs/MiB at most (goal <= 4); peak working set %.1f MiB (%.1f before streaming)\n",
                    rounds, total / bestLibrary / 1e6, total / bestPlain / 1e6, bestPlain / bestLibrary,
                    messagesPerMiB, peak / 1048576.0, before / 1048576.0);
        std::printf("  beside the platform on one thread, as the library's two ends are: %.1f MB/s, "
                    "ratio %.2f\n", total / bestOneThread / 1e6, bestOneThread / bestLibrary);
    }
    std::fflush(stdout);
    return ok ? 0 : 1;
}
