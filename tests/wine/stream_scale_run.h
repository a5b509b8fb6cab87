// Many stream connections served at once on one thread, through zenk32's
// exports: a library server accepts `connections` library clients; then
// every client and every accepted connection writes `bytesEachWay` bytes
// (chunks of `chunk` bytes, two writes in flight) while reading and checking
// what its other end writes. Each of the 2 x connections byte streams has
// its own pattern, so a byte delivered late, twice or to the wrong
// connection shows. Shared by the scale test and the scale benchmark.
#pragma once
#include <windows.h>
#include <psapi.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "zenk32.h"

namespace streamscale {

struct Options {
    const char* host;           // loopback address of the server
    int port;                   // its port
    int connections;            // clients served at once (1..kMaxConnections)
    std::uint32_t bytesEachWay; // bytes each end writes
    std::uint32_t chunk;        // bytes per write, and every endpoint's buffer size
    DWORD timeoutMs;            // for the whole run
};

struct Result {
    bool ok = false;
    std::string failure;                 // why not, when !ok
    double seconds = 0;                  // from the first write to the last byte checked
    unsigned long long messages = 0;     // messages the loop dispatched meanwhile
    std::size_t peakWorkingSet = 0;      // the process's, after the run
    double mib = 0;                      // MiB moved, both ways together
};

constexpr int kMaxConnections = 1000;

namespace detail {

constexpr UINT kServerMsg = WM_APP + 1;
constexpr UINT kClientBase = WM_APP + 0x100;                 // + connection
constexpr UINT kCommBase = kClientBase + kMaxConnections;    // + connection
constexpr UINT_PTR kTimeoutTimer = 1;
constexpr unsigned kInFlight = 2;

// Byte k of stream s is Table()[(Start(s) + k) % kPeriod]; any chunk from
// anywhere is one contiguous slice of the table.
constexpr std::size_t kPeriod = 65521;
inline std::vector<char>& Table() {
    static std::vector<char> table;
    return table;
}
inline void MakeTable(std::uint32_t chunk) {
    std::vector<char>& t = Table();
    if (t.size() >= kPeriod + chunk) return;
    t.resize(kPeriod + chunk);
    for (std::size_t i = 0; i < t.size(); ++i) {
        std::size_t j = i % kPeriod;
        t[i] = static_cast<char>((j * 131 + j / 509) & 0xFF);
    }
}
// Stream 2c runs from client c to its connection, 2c+1 back.
inline std::size_t Start(int stream) { return (static_cast<std::size_t>(stream) * 7919) % kPeriod; }
inline const char* At(int stream, std::uint64_t offset) {
    return &Table()[(Start(stream) + offset) % kPeriod];
}
// memcmp, eight bytes at a time (the C runtime's under Wine goes byte by byte).
inline bool Same(const char* a, const char* b, std::size_t n) {
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t x, y;
        std::memcpy(&x, a + i, 8);
        std::memcpy(&y, b + i, 8);
        if (x != y) return false;
    }
    for (; i < n; ++i)
        if (a[i] != b[i]) return false;
    return true;
}

struct End {
    void* handle = nullptr;
    int sends = 0;                // stream this end writes
    int receives = 0;             // stream this end reads
    bool connected = false;
    std::uint64_t written = 0;    // bytes handed to ZENKStreamWrite
    std::uint64_t received = 0;   // bytes read and checked
    unsigned inFlight = 0;        // writes without their 15006 yet
};

struct Run {
    Options options{};
    Result result{};
    void* server = nullptr;
    std::vector<End> clients, comms;
    int connecting = 0;           // the client being connected (one at a time)
    int accepted = 0;             // connections accepted so far
    bool streaming = false;
    int done = 0;                 // ends that have received everything
    unsigned long long dispatched = 0, dispatchedAtStart = 0;
    LARGE_INTEGER start{}, end{};
    std::vector<char> in;

    void Fail(const std::string& why) {
        if (result.failure.empty()) result.failure = why;
        PostQuitMessage(1);
    }
    void WriteMore(End& e) {
        while (e.inFlight < kInFlight && e.written < options.bytesEachWay) {
            std::uint64_t left = options.bytesEachWay - e.written;
            unsigned n = left < options.chunk ? static_cast<unsigned>(left) : options.chunk;
            int rc = ZENKStreamWrite(e.handle, At(e.sends, e.written), n);
            if (rc != 0) return Fail("write returned " + std::to_string(rc));
            e.written += n;
            ++e.inFlight;
        }
    }
    // Connects the next client, once the one before is in on both ends
    // (the server's backlog is 3: one at a time keeps every SYN).
    void ConnectNext(HWND owner) {
        if (connecting >= options.connections) return;
        End& c = clients[connecting];
        if (ZENKCreateStreamClientWindow(owner, kClientBase + connecting, &c.handle) != 0 ||
            ZENKSetStreamBufferSize(c.handle, options.chunk) != 0 ||
            ZENKStreamConnectToPort(c.handle, options.host, options.port) != 0)
            Fail("client " + std::to_string(connecting) + " cannot connect");
    }
    void MaybeNext(HWND owner) {
        if (!clients[connecting].connected || !comms[connecting].connected) return;
        if (++connecting < options.connections) return ConnectNext(owner);
        streaming = true;
        QueryPerformanceCounter(&start);
        dispatchedAtStart = dispatched;
        for (End& e : clients) WriteMore(e);
        for (End& e : comms) WriteMore(e);
    }
    void OnReceived(End& e, LPARAM count, int index) {
        if (count == 0) return Fail("end of stream on " + std::to_string(index));
        if (count < 0 || count > static_cast<LPARAM>(options.chunk))
            return Fail("chunk of " + std::to_string(count) + " bytes");
        if (ZENKStreamRead(e.handle, in.data(), options.chunk) != 0) return Fail("read failed");
        std::size_t n = static_cast<std::size_t>(count);
        if (e.received + n > options.bytesEachWay) return Fail("too many bytes");
        if (!Same(in.data(), At(e.receives, e.received), n))
            return Fail("stream " + std::to_string(e.receives) + " differs after byte " +
                        std::to_string(e.received));
        e.received += n;
        if (e.received == options.bytesEachWay && ++done == 2 * options.connections) {
            QueryPerformanceCounter(&end);
            PostQuitMessage(0);
        }
    }
    void OnNote(HWND owner, UINT message, WPARAM code, LPARAM count) {
        if (message == kServerMsg) {
            if (code != ZENK_STREAM_ACCEPT_READY || accepted >= options.connections) return;
            End& c = comms[accepted];
            if (ZENKCreateStreamCommWindow(owner, kCommBase + accepted, &c.handle) != 0 ||
                ZENKSetStreamBufferSize(c.handle, options.chunk) != 0 ||
                ZENKStreamAccept(server, c.handle) != 0)
                return Fail("accept " + std::to_string(accepted) + " failed");
            ++accepted;
            return;
        }
        bool isClient = message < kCommBase;
        int index = static_cast<int>(message - (isClient ? kClientBase : kCommBase));
        if (index < 0 || index >= options.connections) return;
        End& e = isClient ? clients[index] : comms[index];
        switch (code) {
        case ZENK_STREAM_CONNECTED: e.connected = true; return MaybeNext(owner);
        case ZENK_STREAM_SENT:
            if (e.inFlight == 0) return Fail("15006 without a write");
            --e.inFlight;
            return WriteMore(e);
        case ZENK_STREAM_RECEIVED: return OnReceived(e, count, index);
        case ZENK_STREAM_SEND_ERROR: return Fail("send failed (15007)");
        case ZENK_STREAM_RECEIVE_ERROR: return Fail("receive failed (15008)");
        case ZENK_STREAM_CLOSED: return Fail("closed early (15011)");
        default: return;
        }
    }
};

inline Run*& Current() {
    static Run* run = nullptr;
    return run;
}

inline LRESULT CALLBACK OwnerProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    Run* run = Current();
    if (run && m == WM_TIMER && wp == kTimeoutTimer) {
        run->Fail("timed out");
        return 0;
    }
    if (run && m >= WM_APP && m < kCommBase + kMaxConnections) {
        run->OnNote(w, m, wp, lp);
        return 0;
    }
    return DefWindowProcA(w, m, wp, lp);
}

}  // namespace detail

// Runs once on this thread (which must be the library's WinSock session
// thread). Every handle it makes is closed again.
inline Result RunScale(const Options& options) {
    using namespace detail;
    Run run;
    run.options = options;
    if (options.connections < 1 || options.connections > kMaxConnections || options.chunk == 0) {
        run.result.failure = "bad options";
        return run.result;
    }
    MakeTable(options.chunk);
    run.clients.resize(static_cast<std::size_t>(options.connections));
    run.comms.resize(static_cast<std::size_t>(options.connections));
    for (int i = 0; i < options.connections; ++i) {
        run.clients[i].sends = run.comms[i].receives = 2 * i;
        run.clients[i].receives = run.comms[i].sends = 2 * i + 1;
    }
    run.in.resize(options.chunk);
    Current() = &run;

    WNDCLASSA wc{};
    wc.lpfnWndProc = OwnerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "StreamScaleOwner";
    RegisterClassA(&wc);
    HWND owner = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               wc.hInstance, nullptr);
    if (!owner || ZENKCreateStreamServerWindow(options.port, owner, kServerMsg, &run.server) != 0) {
        run.result.failure = "no server";
    } else {
        SetTimer(owner, kTimeoutTimer, options.timeoutMs, nullptr);
        run.ConnectNext(owner);
        MSG m;
        while (GetMessageA(&m, nullptr, 0, 0) > 0) {
            ++run.dispatched;
            DispatchMessageA(&m);
        }
        KillTimer(owner, kTimeoutTimer);
    }
    for (End& e : run.clients)
        if (e.handle) ZENKCloseStream(e.handle);
    for (End& e : run.comms)
        if (e.handle) ZENKCloseStream(e.handle);
    if (run.server) ZENKCloseStream(run.server);
    if (owner) DestroyWindow(owner);
    Current() = nullptr;

    Result& r = run.result;
    r.ok = r.failure.empty() && run.done == 2 * options.connections;
    if (!r.ok && r.failure.empty()) r.failure = "incomplete";
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    r.seconds = static_cast<double>(run.end.QuadPart - run.start.QuadPart) / static_cast<double>(f.QuadPart);
    r.messages = run.dispatched - run.dispatchedAtStart;
    r.mib = 2.0 * options.connections * options.bytesEachWay / 1048576.0;
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    if (GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc)) r.peakWorkingSet = pmc.PeakWorkingSetSize;
    return r;
}

}  // namespace streamscale
