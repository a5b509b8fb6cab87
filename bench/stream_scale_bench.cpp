// Stream endpoints at scale: one connection, then many at once, all on one
// thread's message loop, each carrying the same bytes each way (every byte
// checked). Prints the time per MiB of both and their ratio: serving many
// connections at once should cost per byte about what one costs.
//
//   stream_scale_bench [connections [KiB each way [chunk KiB [rounds]]]]
//                      (default 100, 1024, 64, 3)
//
// The best round of each is taken, as a shared machine only slows a round.
// Exit code 0 when every run delivered every byte intact, 1 otherwise.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "stream_scale_run.h"
#include "zenk32.h"

namespace {

constexpr char kHost[] = "127.0.1.11";
constexpr int kPort = 47520;  // and the next ones, a port per run
constexpr DWORD kTimeoutMs = 300000;

}  // namespace

int main(int argc, char** argv) {
    int connections = argc > 1 ? std::atoi(argv[1]) : 100;
    long kib = argc > 2 ? std::atol(argv[2]) : 1024;
    long chunkKiB = argc > 3 ? std::atol(argv[3]) : 64;
    int rounds = argc > 4 ? std::atoi(argv[4]) : 3;
    if (connections < 1 || connections > streamscale::kMaxConnections || kib < 1 || kib > 65536 ||
        chunkKiB < 1 || chunkKiB > 16384 || rounds < 1 || rounds > 9) {
        std::fprintf(stderr, "usage: stream_scale_bench [connections 1..1000 [KiB each way [chunk KiB [rounds 1..9]]]]\n");
        return 2;
    }
    if (ZENKInit() != 1 || ZENKStartWinSock(0x0101) != 1) {
        std::printf("cannot start the library's WinSock session\n");
        return 1;
    }
    const std::uint32_t bytes = static_cast<std::uint32_t>(kib) * 1024;
    const std::uint32_t chunk = static_cast<std::uint32_t>(chunkKiB) * 1024;
    std::printf("%ld KiB each way per connection, %ld KiB chunks, on one thread\n", kib, chunkKiB);
    double best[2] = {0, 0};  // ms per MiB: one connection, all of them
    int port = kPort;
    bool ok = true;
    for (int round = 0; round < rounds && ok; ++round) {
        for (int k = 0; k < 2 && ok; ++k) {
            int n = k == 0 ? 1 : connections;
            streamscale::Result r = streamscale::RunScale({kHost, port++, n, bytes, chunk, kTimeoutMs});
            if (!r.ok) {
                std::printf("%4d connections: FAILED (%s)\n", n, r.failure.c_str());
                ok = false;
                break;
            }
            double msPerMiB = 1000 * r.seconds / r.mib;
            std::printf("%4d connections: %7.1f MiB in %6.3f s  %6.2f ms/MiB  %5.1f msgs/MiB  "
                        "peak working set %.1f MiB\n",
                        n, r.mib, r.seconds, msPerMiB, r.messages / r.mib, r.peakWorkingSet / 1048576.0);
            if (round == 0 || msPerMiB < best[k]) best[k] = msPerMiB;
        }
    }
    ZENKEndWinSock();
    if (ok)
        std::printf("best of %d: %.2f ms/MiB with %d connections, %.2f ms/MiB with one: ratio %.2f (goal <= 2)\n",
                    rounds, best[1], connections, best[0], best[1] / best[0]);
    std::fflush(stdout);
    return ok ? 0 : 1;
}
