// Shared by the protocol fuzz targets: turns fuzz input into a server's
// byte stream plus the stream events around it.
//
// The input reads as a transcript of what the server sends. A few control
// bytes, taken out of the stream, stand for events instead:
//   \x01 the server closes        \x02 a second passes
//   \x03 a send fails             \x04 a receive fails
//   \x05 a chunk cannot be read   \x06 a chunk boundary
// Every other byte is received; a chunk also ends after each LF. After each
// chunk the harness completes every write the engine has queued, so the
// session moves on as it would against a live server.
//
// ExpandRuns lets short inputs reach lines far longer than any limit: \x07
// followed by a byte b stands for kRun copies of b.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzzutil {

enum class Event { kClosed, kSecond, kSendError, kReceiveError, kReadFailed };

constexpr std::size_t kRun = 70000;  // bytes a \x07 pair expands to

inline std::string ExpandRuns(const std::uint8_t* data, std::size_t size) {
    std::string bytes;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0x07 && i + 1 < size && (data[i + 1] < 0x01 || data[i + 1] > 0x07))
            bytes.append(kRun, static_cast<char>(data[++i]));
        else if (data[i] != 0x07)
            bytes.push_back(static_cast<char>(data[i]));
    }
    return bytes;
}

// Walks data; calls onChunk(const char*, size_t) then pump() for each chunk,
// and onEvent(Event) then pump() for each control byte.
template <class OnChunk, class OnEvent, class Pump>
void Play(const std::uint8_t* data, std::size_t size, OnChunk&& onChunk, OnEvent&& onEvent, Pump&& pump) {
    const char* text = reinterpret_cast<const char*>(data);
    std::size_t start = 0;
    auto flush = [&](std::size_t end) {
        if (end > start) {
            onChunk(text + start, end - start);
            pump();
        }
    };
    for (std::size_t i = 0; i < size; ++i) {
        std::uint8_t c = data[i];
        if (c >= 0x01 && c <= 0x06) {
            flush(i);
            start = i + 1;
            if (c != 0x06) {
                static constexpr Event kEvents[] = {Event::kClosed, Event::kSecond, Event::kSendError,
                                                    Event::kReceiveError, Event::kReadFailed};
                onEvent(kEvents[c - 1]);
                pump();
            }
        } else if (c == '\n') {
            flush(i + 1);
            start = i + 1;
        }
    }
    flush(size);
}

}  // namespace fuzzutil
