// The shared line reader and the record lines of the message files.
#include <gtest/gtest.h>

#include "line_maker.h"

#include <cstdint>
#include <string>
#include <vector>

#include "mime/message_files.h"

using namespace zenk;

namespace {

// Every line the reader delivers, until it delivers none.
std::vector<std::string> AllLines(MemorySource& src) {
    std::vector<std::string> out;
    Line line;
    while (ReadLine(src, line)) out.emplace_back(line.View());
    return out;
}

std::vector<std::string> AllLines(const std::string& bytes) {
    MemorySource src(bytes);
    return AllLines(src);
}

TEST(LineReader, LineEndsAreRemoved) {
    using V = std::vector<std::string>;
    EXPECT_EQ(AllLines("a\r\nb\nc\r\n"), (V{"a", "b", "c"}));
    // Only a CR just before the LF goes; others stay.
    EXPECT_EQ(AllLines("a\rb\r\n\r\r\n"), (V{"a\rb", "\r"}));
    EXPECT_EQ(AllLines("\r\n\n"), (V{"", ""}));
}

TEST(LineReader, LastLineWithoutLfCountsButEndOfFileIsNoLine) {
    using V = std::vector<std::string>;
    EXPECT_EQ(AllLines("one\r\ntwo"), (V{"one", "two"}));
    EXPECT_EQ(AllLines("one\r\n"), (V{"one"}));
    EXPECT_EQ(AllLines(""), V{});
    // A lone CR at the very end is not followed by LF: it stays.
    EXPECT_EQ(AllLines("x\r"), (V{"x\r"}));
}

TEST(LineReader, AnyByteIsKeptAndLengthIsExact) {
    std::string bytes("a\0b\x80\xff\r\n", 7);
    MemorySource src(bytes);
    Line line;
    ASSERT_TRUE(ReadLine(src, line));
    EXPECT_EQ(line.length, 5u);
    EXPECT_EQ(line.View(), std::string("a\0b\x80\xff", 5));
    EXPECT_EQ(line.text[5], '\0');
}

TEST(LineReader, NineHundredNinetyNineBytesBeforeLfIsTheLimit) {
    std::string fits(999, 'x');
    std::string fitsWithCr(998, 'y');
    std::string tooLong(1000, 'z');
    Line line;

    std::string aBytes = fits + "\nnext\n";
    MemorySource a(aBytes);
    ASSERT_TRUE(ReadLine(a, line));
    EXPECT_EQ(line.length, 999u);
    ASSERT_TRUE(ReadLine(a, line));
    EXPECT_EQ(line.View(), "next");

    // The CR counts among the 999 bytes.
    std::string bBytes = fitsWithCr + "\r\n";
    MemorySource b(bBytes);
    ASSERT_TRUE(ReadLine(b, line));
    EXPECT_EQ(line.length, 998u);
    std::string cBytes = fits + "\r\n";
    MemorySource c(cBytes);
    EXPECT_FALSE(ReadLine(c, line));

    // 1000 bytes without LF: no line, and the position stays after them.
    std::string dBytes = tooLong + "\r\nafter\r\n";
    MemorySource d(dBytes);
    EXPECT_FALSE(ReadLine(d, line));
    EXPECT_EQ(d.Tell(), 1000u);
    // A last line of 999 bytes without LF is still a line.
    MemorySource e(fits);
    ASSERT_TRUE(ReadLine(e, line));
    EXPECT_EQ(line.length, 999u);
    EXPECT_FALSE(ReadLine(e, line));
}

TEST(LineReader, FailedReadDeliversNoLine) {
    MemorySource src("first\r\nsecond\r\n");
    src.FailReadsFrom(10);
    Line line;
    ASSERT_TRUE(ReadLine(src, line));
    EXPECT_EQ(line.View(), "first");
    EXPECT_FALSE(ReadLine(src, line));
    EXPECT_EQ(line.length, 0u);
}

TEST(LineReader, PeekRestoresThePosition) {
    MemorySource src("one\r\ntwo\r\n");
    Line line;
    ASSERT_TRUE(PeekLine(src, line));
    EXPECT_EQ(line.View(), "one");
    EXPECT_EQ(src.Tell(), 0u);
    ASSERT_TRUE(ReadLine(src, line));
    EXPECT_EQ(line.View(), "one");
    ASSERT_TRUE(PeekLine(src, line));
    ASSERT_TRUE(PeekLine(src, line));
    EXPECT_EQ(line.View(), "two");
    ASSERT_TRUE(ReadLine(src, line));
    EXPECT_EQ(line.View(), "two");
    EXPECT_FALSE(PeekLine(src, line));
    EXPECT_EQ(src.Tell(), 10u);
}

// The reader scans whatever span the source hands it. Against a plain
// byte-by-byte model of the line rules, over lines of every kind (CRs, NULs,
// 999 and 1000 bytes, a last line without LF, a failing read) and spans of
// any size: the same lines, and after each the same position, so a peek or
// a record search that seeks back lands exactly.
struct ModelResult {
    bool got;
    std::string text;
    std::size_t next;  // position after the call
};

ModelResult ModelReadLine(const std::string& bytes, std::size_t at, std::size_t failAt) {
    std::string text;
    while (text.size() < kLineCapacity) {
        if (at >= failAt) return {false, "", at};
        if (at == bytes.size()) return {!text.empty(), text, at};
        char c = bytes[at++];
        if (c == '\n') {
            if (!text.empty() && text.back() == '\r') text.pop_back();
            return {true, text, at};
        }
        text += c;
    }
    return {false, "", at};
}

// A source that offers only Read, Tell and Seek: the reader then goes
// through ByteSource's own Span, one byte at a time.
class PlainSource : public ByteSource {
public:
    explicit PlainSource(MemorySource& inner) : inner_(inner) {}
    long Read(void* buffer, std::size_t size) override { return inner_.Read(buffer, size); }
    std::uint64_t Tell() const override { return inner_.Tell(); }
    bool Seek(std::uint64_t position) override { return inner_.Seek(position); }

private:
    MemorySource& inner_;
};

TEST(LineReader, AnySpanSizeGivesTheLinesAndPositionsOfByteReads) {
    std::uint32_t seed = 2024;
    auto next = [&seed](std::uint32_t n) { return (seed = seed * 1103515245u + 12345u) / 65536u % n; };
    const std::size_t spans[] = {1, 2, 7, 64, 999, 1000, 1001, 4096, 0};  // 2: through PlainSource
    for (int round = 0; round < 30; ++round) {
        std::string bytes;
        while (bytes.size() < 20000) {
            std::size_t length = next(4) == 0 ? 995 + next(8) : next(90);
            for (std::size_t i = 0; i < length; ++i) bytes += static_cast<char>(next(6) == 0 ? "\r\0\x8a."[next(4)] : 'a' + next(26));
            bytes += next(3) == 0 ? "\n" : "\r\n";
        }
        bytes.resize(bytes.size() - next(3));  // maybe no LF at the end
        const std::size_t failAt = round % 3 == 0 ? next(static_cast<std::uint32_t>(bytes.size())) : SIZE_MAX;
        for (std::size_t span : spans) {
            MemorySource memory(bytes);
            if (span) memory.LimitSpans(span);
            memory.FailReadsFrom(failAt);
            PlainSource plain(memory);
            ByteSource& src = span == 2 ? static_cast<ByteSource&>(plain) : memory;
            std::size_t at = 0;
            for (int n = 0;; ++n) {
                ModelResult want = ModelReadLine(bytes, at, failAt);
                Line line;
                if (n % 5 == 0) {  // a peek first: same line, position kept
                    ASSERT_EQ(PeekLine(src, line), want.got);
                    ASSERT_EQ(src.Tell(), at);
                }
                ASSERT_EQ(ReadLine(src, line), want.got) << "round " << round << " span " << span << " at " << at;
                ASSERT_EQ(src.Tell(), want.next) << "round " << round << " span " << span;
                if (!want.got) {
                    ASSERT_EQ(line.length, 0u);
                    if (want.next == at) break;  // the end, or the failing read
                } else {
                    ASSERT_EQ(line.View(), want.text);
                    ASSERT_EQ(line.text[line.length], '\0');
                }
                at = want.next;
            }
        }
    }
}

TEST(Markers, ComparedAsWholeLinesCaseSensitively) {
    MemorySource src("BEGIN MESSAGE \r\nbegin message\r\nBEGIN MESSAGE HEADER\r\nBEGIN MESSAGE\r\nrest\r\n");
    Line line;
    ASSERT_TRUE(SkipToMarker(src, line, kBeginMessage));
    ASSERT_TRUE(ReadLine(src, line));
    EXPECT_EQ(line.View(), "rest");
    EXPECT_FALSE(SkipToMarker(src, line, kBeginMessage));
    EXPECT_TRUE(line.StartsWith(""));
}

using testutil::MakeLine;

TEST(CountLine, OutboxAndInboxReadTheNumberFromTheirOwnIndex) {
    int n = -1;
    EXPECT_TRUE(ParseCountLine(MakeLine("Letters : 003"), kOutboxCountAt, &n));
    EXPECT_EQ(n, 3);
    EXPECT_TRUE(ParseCountLine(MakeLine("Letters : 12"), kInboxCountAt, &n));
    EXPECT_EQ(n, 12);
    EXPECT_TRUE(ParseCountLine(MakeLine("Letters : -4"), kOutboxCountAt, &n));
    EXPECT_EQ(n, -4);
    EXPECT_TRUE(ParseCountLine(MakeLine("Lxxxxxxx:   7abc"), kOutboxCountAt, &n));
    EXPECT_EQ(n, 7);
    // A line too short to hold a number gives 0.
    EXPECT_TRUE(ParseCountLine(MakeLine("Letters :"), kOutboxCountAt, &n));
    EXPECT_EQ(n, 0);
}

TEST(CountLine, OtherLinesAreRefused) {
    int n = -1;
    EXPECT_FALSE(ParseCountLine(MakeLine("Letters - 003"), kOutboxCountAt, &n));
    EXPECT_EQ(n, 0);
    EXPECT_FALSE(ParseCountLine(MakeLine("letters : 003"), kOutboxCountAt, &n));
    EXPECT_FALSE(ParseCountLine(MakeLine("Letters"), kOutboxCountAt, &n));
    EXPECT_FALSE(ParseCountLine(MakeLine(""), kOutboxCountAt, &n));
}

TEST(CountLine, HugeNumbersAreClamped) {
    EXPECT_EQ(TextToInt("99999999999999999999"), 2147483647);
    EXPECT_EQ(TextToInt("-99999999999999999999"), -2147483647 - 1);
    EXPECT_EQ(TextToInt(" \t+42x"), 42);
    EXPECT_EQ(TextToInt("x42"), 0);
}

TEST(SenderLine, NeedsFAndColonAtIndexFour) {
    EXPECT_TRUE(IsSenderLine(MakeLine("FROM:<a@b>")));
    EXPECT_TRUE(IsSenderLine(MakeLine("Fxxx:")));
    EXPECT_FALSE(IsSenderLine(MakeLine("FROM <a@b>")));
    EXPECT_FALSE(IsSenderLine(MakeLine("From")));
    EXPECT_FALSE(IsSenderLine(MakeLine("TO:<a@b>")));
}

}  // namespace
