// libFuzzer target: the FTP reply reader over arbitrary control-connection
// bytes, fed in chunks whose sizes come from the input, and the PASV parser
// over every reply it yields. Checks the reader's limits and that a parsed
// address survives the PORT round trip. \x07 followed by a byte b stands
// for 70000 copies of b (fuzz_events.h), so replies far longer than the
// reader's limits are fed too.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_events.h"
#include "protocol/data_address.h"
#include "protocol/reply_reader.h"

namespace {

void CheckReply(const tovan::Reply& r) {
    if (r.code < 100 || r.code > 599) __builtin_trap();
    if (r.lastLine.size() > tovan::ReplyReader::kMaxLine) __builtin_trap();
    if (r.text.size() > tovan::ReplyReader::kMaxReplyText + tovan::ReplyReader::kMaxLine) __builtin_trap();
    tovan::DataAddress a;
    if (!tovan::ParsePassiveReply(r.text, a)) return;
    if (a.port == 0) __builtin_trap();
    tovan::DataAddress b;
    if (!tovan::ParsePassiveReply("227 (" + tovan::FormatPortArgument(a) + ")", b)) __builtin_trap();
    for (int i = 0; i < 4; ++i)
        if (a.ip[i] != b.ip[i]) __builtin_trap();
    if (a.port != b.port) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t step = data[0] % 16 == 15 ? 4096 : data[0] % 16 + 1;  // chunk size
    const std::string bytes = fuzzutil::ExpandRuns(data + 1, size - 1);
    const char* text = bytes.data();
    std::size_t left = bytes.size();
    tovan::ReplyReader reader;
    tovan::Reply reply;
    while (left > 0) {
        std::size_t n = left < step ? left : step;
        reader.Feed(text, n);
        text += n;
        left -= n;
        while (reader.Next(reply)) CheckReply(reply);
    }
    tovan::DataAddress a;
    tovan::ParsePassiveReply(std::string(reinterpret_cast<const char*>(data), size), a);
    return 0;
}
