// How the scanner reads its inbox and writes attachment files: lines cut
// from blocks exactly where a byte-wise reader would cut them, the inbox
// read once, attachment bytes written in blocks, and the look-ahead for a
// record's end working across blocks.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "mime/base64_encode.h"
#include "mime/scan_line.h"
#include "mime_test_support.h"

using namespace zenk;
using namespace mimetest;

namespace {

constexpr std::size_t kBlock = ScanReader::kBlockSize;

struct ExpectedLine {
    std::string text;  // line end removed
    std::size_t end;   // position after its LF
};

// The lines of data as the byte-wise readers define them.
std::vector<ExpectedLine> SplitLines(const std::string& data) {
    std::vector<ExpectedLine> lines;
    std::size_t at = 0;
    while (at < data.size()) {
        std::size_t lf = data.find('\n', at);
        std::size_t end = lf == std::string::npos ? data.size() : lf + 1;
        std::string text = data.substr(at, (lf == std::string::npos ? data.size() : lf) - at);
        if (lf != std::string::npos && !text.empty() && text.back() == '\r') text.pop_back();
        lines.push_back({text, end});
        at = end;
    }
    return lines;
}

TEST(ScanReader, LinesAndPositionsMatchAByteWiseReaderAcrossBlocks) {
    const std::string x(kBlock - 1, 'x');
    const std::vector<std::string> inputs = {
        "",
        "\n\n",
        "a\r\nb\nc\rd\r\nlast without LF",
        x + "\r\nnext\r\n",                                // CR ends a block, LF starts the next
        x + "y\r\nnext\r\n",                               // CR starts a block
        std::string(3 * kBlock + 17, 'L') + "\n\r\ntail",  // a line over several blocks
        std::string(998, 'a') + "\r\n" + std::string(999, 'b') + "\r\n" + std::string(1000, 'c') + "\n.\r\n",
    };
    for (std::size_t most : {std::size_t(1), std::size_t(7), SIZE_MAX}) {
        for (std::size_t n = 0; n < inputs.size(); ++n) {
            const std::string& data = inputs[n];
            const std::vector<ExpectedLine> want = SplitLines(data);
            SCOPED_TRACE("input " + std::to_string(n) + ", reads of at most " + std::to_string(most));
            CountingSource source(data, most);
            ScanReader reader(&source);
            ScanLine line;
            std::size_t start = 0;
            for (const ExpectedLine& w : want) {
                ASSERT_EQ(reader.PeekByte(), static_cast<unsigned char>(data[start]));
                ASSERT_TRUE(reader.ReadLine(line));
                ASSERT_FALSE(line.cut);
                ASSERT_TRUE(line.View() == w.text) << line.Length() << " vs " << w.text.size();
                ASSERT_EQ(reader.Tell(), w.end);
                // Back to the line's start (inside or before the block in
                // hand), read again as a marker line.
                ASSERT_TRUE(reader.Seek(start));
                Line marker;
                ASSERT_TRUE(reader.ReadLineSkippingRest(marker));
                const std::string kept = data.substr(start, std::min<std::size_t>(w.end - start, kMaxLineBytes));
                std::string wantMarker = w.text.size() < kMaxLineBytes ? w.text : kept.substr(0, kMaxLineBytes);
                EXPECT_EQ(marker.View(), wantMarker);
                ASSERT_EQ(reader.Tell(), w.end);
                start = w.end;
            }
            EXPECT_EQ(reader.PeekByte(), -1);
            EXPECT_FALSE(reader.ReadLine(line));
        }
    }
}

TEST(ScanReader, AFailedReadIsNoLine) {
    std::string data = "first\r\n" + std::string(2 * kBlock, 's') + "\r\n";
    MemorySource source(data);
    source.FailReadsFrom(kBlock);
    ScanReader reader(&source);
    ScanLine line;
    ASSERT_TRUE(reader.ReadLine(line));
    EXPECT_EQ(line.View(), "first");
    EXPECT_FALSE(reader.ReadLine(line));
    ScanReader none(nullptr);
    EXPECT_FALSE(none.ReadLine(line));
    EXPECT_EQ(none.PeekByte(), -1);
}

std::string RandomBytes(std::size_t n, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(n, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
}

// Base64 lines of 76 characters, CR LF after each.
std::string Base64Lines(const std::string& bytes) {
    std::string out;
    char line[80];
    for (std::size_t at = 0; at < bytes.size(); at += 57) {
        const std::size_t n = std::min<std::size_t>(57, bytes.size() - at);
        out.append(line, Base64Encode(bytes.data() + at, n, line));
        out += "\r\n";
    }
    return out;
}

std::string WithAttachment(const std::string& subject, const std::string& name, const std::string& bytes,
                           const std::string& text = "see attached") {
    return Lines({"Subject: " + subject, "MIME-Version: 1.0", "Content-Type: multipart/mixed; boundary=\"=_b\"", "",
                  "--=_b", "Content-Type: text/plain", "", text, "", "--=_b",
                  "Content-Type: application/octet-stream", "Content-Transfer-Encoding: base64",
                  "Content-Disposition: attachment; filename=\"" + name + "\"", ""}) +
           Base64Lines(bytes) + Lines({"--=_b--", "."});
}

// Records as the POP3 client writes them are read once, in blocks, and
// every attachment goes to its file in blocks, byte for byte.
TEST(MimeScannerIo, TheInboxIsReadOnceAndAttachmentsAreWrittenInBlocks) {
    const std::vector<std::size_t> sizes = {0, 57, kBlock - 1, kBlock, 5 * kBlock + 3, 300000};
    std::vector<std::string> messages, files;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        files.push_back(RandomBytes(sizes[i], unsigned(i) + 1));
        messages.push_back(WithAttachment("m" + std::to_string(i), "f" + std::to_string(i) + ".bin", files[i]));
    }
    const std::string data = Inbox(messages);
    CountingSource source(data);
    MemoryStore store;
    MimeScanner scanner(&source, store, "C:\\att");
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        MimeMessageRecord* r = i == 0 ? scanner.GetFirst() : scanner.GetNext();
        ASSERT_NE(r, nullptr) << i;
        ASSERT_EQ(r->attachmentCount, 1);
        const std::string path = "C:\\att\\f" + std::to_string(i) + ".bin";
        EXPECT_STREQ(r->attachments[0], path.c_str());
        EXPECT_EQ(Text(r), "see attached\r\n\r\n");
        EXPECT_TRUE(store.files[path] == files[i]) << i;
        const std::vector<std::size_t>& writes = store.writeSizes[path];
        EXPECT_LE(writes.size(), sizes[i] / (MimeScanner::kAttachmentBlock - 57) + 1) << i;
        for (std::size_t w = 0; w + 1 < writes.size(); ++w)
            EXPECT_GT(writes[w], MimeScanner::kAttachmentBlock - 57) << i;
    }
    EXPECT_EQ(scanner.GetNext(), nullptr);
    EXPECT_EQ(source.bytesRead, data.size());  // no byte read twice
    EXPECT_LE(source.reads, data.size() / kBlock + 2);
}

// A record holding an "END MESSAGE" line that follows no end mark is looked
// ahead in, from blocks long gone, and ends where FindRecordEnd says; an
// attachment being copied meanwhile is not disturbed.
TEST(MimeScannerIo, TheRecordEndLookAheadWorksAcrossBlocks) {
    for (std::size_t pad : {std::size_t(0), 3 * kBlock}) {
        SCOPED_TRACE("pad " + std::to_string(pad));
        const std::string padText = "t" + std::string(pad, 'p');
        const std::string bytes = RandomBytes(2 * kBlock + 5, 9);
        // A line "END MESSAGE" amid the attachment's base64 lines (it
        // decodes to nothing), then the record goes on: the marker is text.
        std::string withMarker = WithAttachment("big", "big.bin", bytes, padText);
        const std::size_t encodedAt = withMarker.find(Base64Lines(bytes));
        ASSERT_NE(encodedAt, std::string::npos);
        withMarker.insert(withMarker.find("\r\n", encodedAt + bytes.size()) + 2, "END MESSAGE\r\n");
        Scan s(Inbox({withMarker, Lines({"Subject: one", "", padText, "END MESSAGE", "BEGIN MESSAGE", "q", "."}),
                      Lines({"Subject: two", "", "b", "."})}));
        MimeMessageRecord* r = s.scanner.GetFirst();
        ASSERT_NE(r, nullptr);
        EXPECT_STREQ(r->subject, "big");
        EXPECT_EQ(Text(r), padText + "\r\n\r\n");
        ASSERT_EQ(r->attachmentCount, 1);
        EXPECT_TRUE(s.store.files["C:\\att\\big.bin"] == bytes);
        r = s.scanner.GetNext();
        ASSERT_NE(r, nullptr);
        EXPECT_STREQ(r->subject, "one");
        EXPECT_EQ(Text(r), Lines({padText, "END MESSAGE", "BEGIN MESSAGE", "q"}));
        r = s.scanner.GetNext();
        ASSERT_NE(r, nullptr);
        EXPECT_STREQ(r->subject, "two");

        // Without end marks the record ends at its last marker before the
        // next record, even when that lies blocks behind the reading.
        Scan noMark("Letters : 2\r\n" + Lines({"BEGIN MESSAGE", "Subject: one", "", padText, "END MESSAGE",
                                               padText + "y", "END MESSAGE", padText + "junk", "BEGIN MESSAGE",
                                               "Subject: two", "", "z", "END MESSAGE"}));
        r = noMark.scanner.GetFirst();
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(Text(r), Lines({padText, "END MESSAGE", padText + "y"}));
        r = noMark.scanner.GetNext();
        ASSERT_NE(r, nullptr);
        EXPECT_STREQ(r->subject, "two");
        EXPECT_EQ(Text(r), "z\r\n");
    }
}

}  // namespace
