// How the SMTP engine's delivery scales with the message size.
//
// The engine sends the text in chunks of many lines, one chunk per write
// completion, so what is queued for the socket at any time stays within one
// chunk (SmtpEngine::kDataChunkBytes, 32 KiB) however large the message is.
// The benchmark delivers messages of growing size to a scripted server and
// reports the time per message, the byte rate, and the peak of bytes
// queued but not yet sent ("peak_queued"), which must stay flat: it grows
// with the message only up to the first full chunk.
//
// For meaningful times build without the sanitizers:
//   cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DZENK_SANITIZE=OFF
//   cmake --build build/bench --target smtp_delivery_bench && build/bench/bin/smtp_delivery_bench
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

#include "smtp_fake_link.h"

namespace {

// The scripted link, but keeping no transcript: only the bytes in flight.
class CountingLink : public testutil::FakeSmtpLink {
public:
    using FakeSmtpLink::FakeSmtpLink;
    bool Write(const void* data, std::size_t length) override {
        pendingWrites.emplace_back(static_cast<const char*>(data), length);
        std::size_t queued = 0;
        for (const auto& w : pendingWrites) queued += w.size();
        peakQueued = std::max(peakQueued, queued);
        sent += length;
        return true;
    }
    std::size_t peakQueued = 0;
    std::size_t sent = 0;
};

std::string Outbox(std::int64_t lines) {
    std::string out =
        "Letters : 001\r\nFROM:<alice@example.org>\r\nBEGIN MESSAGE HEADER\r\n"
        "TO:<bob@example.org>\r\nEND MESSAGE HEADER\r\nBEGIN DATA\r\nSubject: bench\r\n\r\n";
    const std::string line(72, 'x');
    for (std::int64_t i = 0; i < lines; ++i) out += line + "\r\n";
    return out + "END DATA\r\n";
}

void BM_DeliverOneMessage(benchmark::State& state) {
    const std::string outbox = Outbox(state.range(0));
    std::size_t peak = 0, bytes = 0;
    for (auto _ : state) {
        CountingLink link(outbox);
        zenk::SmtpEngine engine(link);
        testutil::ScriptedServer server(engine, link);
        engine.SendMail("bench.example");
        server.Greet();
        while (!engine.Finished() && !link.pendingWrites.empty()) server.Pump();
        if (!engine.Finished()) state.SkipWithError("delivery did not finish");
        peak = std::max(peak, link.peakQueued);
        bytes += link.sent;
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
    state.counters["peak_queued"] = static_cast<double>(peak);
    state.counters["message_bytes"] = static_cast<double>(outbox.size());
}
BENCHMARK(BM_DeliverOneMessage)->RangeMultiplier(10)->Range(10, 100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
