// Line reading and the record lines shared by the outbox and inbox readers.
#include "mime/message_files.h"

#include <climits>
#include <cstring>

#include "core/byte_search.h"

namespace zenk {

long ByteSource::Span(const unsigned char** data) {
    const std::uint64_t at = Tell();
    long got = Read(&spanByte_, 1);
    if (got > 0 && !Seek(at)) return -1;
    *data = &spanByte_;
    return got;
}

// The line is scanned in the source's own span for its LF and copied once;
// only the bytes up to and including the LF are consumed, so the position
// after a line is exactly the start of the next one.
bool ReadLine(ByteSource& source, Line& line) {
    std::size_t count = 0;
    auto noLine = [&line] {
        line.length = 0;
        line.text[0] = '\0';
        return false;
    };
    while (count < kLineCapacity) {
        const unsigned char* span = nullptr;
        long got = source.Span(&span);
        if (got < 0) return noLine();
        if (got == 0) {
            if (count == 0) return noLine();
            break;  // a last line without LF
        }
        std::size_t room = kLineCapacity - count;
        std::size_t take = static_cast<std::size_t>(got) < room ? static_cast<std::size_t>(got) : room;
        const unsigned char* lf = FindByte(span, take, '\n');
        std::size_t bytes = lf ? static_cast<std::size_t>(lf - span) : take;
        std::memcpy(line.text + count, span, bytes);
        count += bytes;
        source.Skip(lf ? bytes + 1 : bytes);
        if (lf) {
            if (count > 0 && line.text[count - 1] == '\r') --count;
            line.length = count;
            line.text[count] = '\0';
            return true;
        }
    }
    if (count == kLineCapacity) return noLine();  // 1000 bytes without an LF
    line.length = count;
    line.text[count] = '\0';
    return true;
}

bool PeekLine(ByteSource& source, Line& line) {
    std::uint64_t at = source.Tell();
    bool got = ReadLine(source, line);
    source.Seek(at);
    return got;
}

bool SkipToMarker(ByteSource& source, Line& line, std::string_view marker) {
    while (ReadLine(source, line))
        if (line.Equals(marker)) return true;
    return false;
}

std::uint64_t FindRecordEnd(ByteSource& source, std::string_view marker, bool (*startsRecord)(const Line&),
                            bool afterEndMark, bool (*readLine)(ByteSource&, Line&)) {
    const std::uint64_t start = source.Tell();
    std::uint64_t lastMarker = kNoRecordEnd;  // the latest marker line not yet followed by a record start
    std::uint64_t fallback = kNoRecordEnd;    // the last marker before the first record start
    std::uint64_t end = kNoRecordEnd;
    int recordStarts = 0;  // record starts seen after a marker line
    bool afterDot = false;
    Line line;
    for (;;) {
        const std::uint64_t at = source.Tell();
        if (!readLine(source, line)) break;
        if (line.Equals(marker)) {
            if (afterEndMark && afterDot) {
                end = at;
                break;
            }
            lastMarker = at;
        } else if (lastMarker != kNoRecordEnd && startsRecord(line)) {
            // Without the end-mark rule the first record start decides. With
            // it, the search goes on for a marker after an end mark (a text
            // may quote whole records), within kRecordLookAhead record
            // starts; without one, the first record start decides.
            if (!afterEndMark) break;
            if (fallback == kNoRecordEnd) fallback = lastMarker;
            lastMarker = kNoRecordEnd;
            if (++recordStarts > kRecordLookAhead) break;
        }
        afterDot = line.Equals(".");
    }
    source.Seek(start);
    if (end != kNoRecordEnd) return end;
    return fallback != kNoRecordEnd ? fallback : lastMarker;
}

bool StartsOutboxRecord(const Line& line) {
    return line.StartsWith("Letters :") || line.Equals(kBeginMessageHeader);
}

bool StartsInboxRecord(const Line& line) { return line.Equals(kBeginMessage); }

int TextToInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) value = INT_MAX;
    if (value < INT_MIN) value = INT_MIN;
    return static_cast<int>(value);
}

bool ParseCountLine(const Line& line, std::size_t numberAt, int* count) {
    *count = 0;
    if (line.length < 9 || line.text[0] != 'L' || line.text[8] != ':') return false;
    if (numberAt < line.length) *count = TextToInt(line.View().substr(numberAt));
    return true;
}

bool IsSenderLine(const Line& line) {
    return line.length >= 5 && line.text[0] == 'F' && line.text[4] == ':';
}

std::size_t MemorySource::Available() const {
    if (position_ >= failAt_) return 0;
    std::size_t n = size_ - position_;
    if (failAt_ - position_ < n) n = static_cast<std::size_t>(failAt_ - position_);
    return n < spanLimit_ ? n : spanLimit_;
}

long MemorySource::Read(void* buffer, std::size_t size) {
    if (position_ >= failAt_) return -1;
    std::size_t n = Available();
    if (size < n) n = size;
    if (n > 0) std::memcpy(buffer, data_ + position_, n);
    position_ += n;
    return static_cast<long>(n);
}

long MemorySource::Span(const unsigned char** data) {
    if (position_ >= failAt_) return -1;
    *data = data_ + position_;
    return static_cast<long>(Available());
}

void MemorySource::Skip(std::size_t count) {
    std::size_t left = size_ - position_;
    position_ += count < left ? count : left;
}

bool MemorySource::Seek(std::uint64_t position) {
    if (position > size_) return false;
    position_ = static_cast<std::size_t>(position);
    return true;
}

}  // namespace zenk
