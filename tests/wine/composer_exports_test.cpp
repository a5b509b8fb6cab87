// The MIME composer through zenk32.dll's exports, on real files in a
// private folder (the scratch body file lives in the current directory).
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "scratch_folder.h"
#include "wine_test_util.h"
#include "zenk32.h"

namespace {

std::string ReadAll(const char* path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteAll(const char* path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

bool Exists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

std::string Base64Decode(const std::string& text) {
    static const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    unsigned bits = 0;
    int have = 0;
    for (char c : text) {
        std::size_t v = alphabet.find(c);
        if (v == std::string::npos) continue;  // line ends and padding
        bits = (bits << 6) | static_cast<unsigned>(v);
        have += 6;
        if (have >= 8) {
            have -= 8;
            out += static_cast<char>((bits >> have) & 0xff);
        }
    }
    return out;
}

// Every test works in a fresh folder of its own.
class ComposerExports : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scratch_.entered);
        folder_ = scratch_.path;
        ZENKInit();
    }
    testutil::ScratchFolder scratch_{"zenk_composer_"};
    std::string folder_;
};

TEST(ComposerGate, RefusedBeforeInitAndNullHandles) {
    void* handle = reinterpret_cast<void*>(1);
    EXPECT_EQ(ZENKMimePrepStart("never.txt", "a@b", &handle), ZENK_NOT_READY);
    EXPECT_EQ(handle, reinterpret_cast<void*>(1));
    EXPECT_FALSE(Exists("never.txt"));
    ZENKInit();
    EXPECT_EQ(ZENKMimePrepNewMesg(nullptr), ZENK_BAD_HANDLE);
    EXPECT_EQ(ZENKMimePrepTO(nullptr, "x"), ZENK_BAD_HANDLE);
    EXPECT_EQ(ZENKMimePrepData(nullptr, "x", 1), ZENK_BAD_HANDLE);
    EXPECT_EQ(ZENKMimePrepEndMesg(nullptr), ZENK_BAD_HANDLE);
    EXPECT_EQ(ZENKMimePrepFinish(nullptr), ZENK_BAD_HANDLE);
    EXPECT_EQ(ZENKMimePrepStart("x.txt", "a@b", nullptr), ZENK_FAILED);
}

TEST_F(ComposerExports, TwoMessagesWithAnAttachmentRoundTrip) {
    std::string binary;
    for (int i = 0; i < 1000; ++i) binary += static_cast<char>(i * 7 + 3);
    WriteAll("data.bin", binary);
    std::string full = folder_ + "\\data.bin";

    void* h = nullptr;
    ASSERT_EQ(ZENKMimePrepStart("outbox.txt", "alice@example.org", &h), 0);
    ASSERT_NE(h, nullptr);
    // The outbox is held without sharing while the composer has it.
    HANDLE other = CreateFileA("outbox.txt", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(other, INVALID_HANDLE_VALUE);
    if (other != INVALID_HANDLE_VALUE) CloseHandle(other);

    ASSERT_EQ(ZENKMimePrepNewMesg(h), 0);
    EXPECT_TRUE(Exists("ZENKMIME.QDF"));
    ASSERT_EQ(ZENKMimePrepTO(h, "bob@example.org"), 0);
    ASSERT_EQ(ZENKMimePrepSubj(h, "first"), 0);
    ASSERT_EQ(ZENKMimePrepFile(h, full.c_str()), 0);
    const char text[] = "Hello\r\n.\r\n";
    ASSERT_EQ(ZENKMimePrepData(h, text, sizeof text - 1), 0);
    ASSERT_EQ(ZENKMimePrepEndMesg(h), 0);
    EXPECT_FALSE(Exists("ZENKMIME.QDF"));

    ASSERT_EQ(ZENKMimePrepNewMesg(h), 0);
    ASSERT_EQ(ZENKMimePrepTO(h, "carol@example.org"), 0);
    ASSERT_EQ(ZENKMimePrepSubj(h, "second\r\nBcc: x@y"), ZENK_FAILED);
    ASSERT_EQ(ZENKMimePrepEndMesg(h), 0);
    ASSERT_EQ(ZENKMimePrepFinish(h), 0);

    std::string out = ReadAll("outbox.txt");
    ASSERT_EQ(out.substr(0, 40), "Letters : 002\r\nFROM:<alice@example.org>\r");
    EXPECT_NE(out.find("\r\nLetters : 002\r\nFROM:<alice@example.org>\r\nBEGIN MESSAGE HEADER\r\n"
                       "TO:<carol@example.org>\r\n"),
              std::string::npos);
    std::smatch m;
    std::regex date("\r\nDate: (Sun|Mon|Tue|Wed|Thu|Fri|Sat), \\d\\d (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) "
                    "\\d{4} \\d\\d:\\d\\d:\\d\\d [+-]\\d{4}\r\nMessage-ID: <\\d\\d:\\d\\d:\\d\\dalice@example.org>\r\n");
    EXPECT_TRUE(std::regex_search(out, m, date));
    std::regex boundary("boundary=\"(ZENKBoundary-\\d\\d[A-Z][a-z][a-z]\\d\\d:\\d\\d)\"");
    ASSERT_TRUE(std::regex_search(out, m, boundary));
    std::string b = m[1];
    std::string partHead = "Content-Disposition: attachment; filename=\"data.bin\"\r\n\r\n";
    std::size_t start = out.find(partHead);
    ASSERT_NE(start, std::string::npos);
    start += partHead.size();
    std::size_t end = out.find("\r\n--" + b + "--\r\nEND DATA\r\n", start);
    ASSERT_NE(end, std::string::npos);
    std::string encoded = out.substr(start, end - start);
    EXPECT_EQ(Base64Decode(encoded), binary);
    // 1000 bytes: 19 full lines of 68 characters and one of 44.
    EXPECT_EQ(encoded.find("\r\n"), 68u);
    EXPECT_EQ(encoded.size(), 19u * 70 + 44 + 2);
    EXPECT_NE(out.find("Content-Transfer-Encoding: 7bit\r\n\r\nHello\r\n.\r\n\r\n\r\n--" + b + "\r\n"),
              std::string::npos);
}

// An attachment that cannot be read when the message is ended fails the
// end: nothing reaches the outbox and the message stays open, text and
// all, until the file can be read. A read-only file can be attached.
TEST_F(ComposerExports, UnreadableAttachmentFailsTheEndAndKeepsTheMessage) {
    WriteAll("held.bin", "secret");
    WriteAll("gone.bin", "x");
    WriteAll("ro.bin", "read only");
    ASSERT_TRUE(SetFileAttributesA("ro.bin", FILE_ATTRIBUTE_READONLY));
    void* h = nullptr;
    ASSERT_EQ(ZENKMimePrepStart("outbox.txt", "a@b", &h), 0);
    ASSERT_EQ(ZENKMimePrepNewMesg(h), 0);
    ASSERT_EQ(ZENKMimePrepTO(h, "c@d"), 0);
    ASSERT_EQ(ZENKMimePrepFile(h, "ro.bin"), 0);
    ASSERT_EQ(ZENKMimePrepFile(h, "held.bin"), 0);
    ASSERT_EQ(ZENKMimePrepFile(h, "gone.bin"), 0);
    ASSERT_EQ(ZENKMimePrepData(h, "kept ", 5), 0);
    // Another program holds it without sharing.
    HANDLE held = CreateFileA("held.bin", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ZENKMimePrepEndMesg(h), ZENK_FAILED);
    CloseHandle(held);
    DeleteFileA("gone.bin");
    EXPECT_EQ(ZENKMimePrepEndMesg(h), ZENK_FAILED);
    EXPECT_TRUE(Exists("ZENKMIME.QDF"));
    ASSERT_EQ(ZENKMimePrepData(h, "text\r\n", 6), 0);
    WriteAll("gone.bin", "back");
    ASSERT_EQ(ZENKMimePrepEndMesg(h), 0);
    EXPECT_FALSE(Exists("ZENKMIME.QDF"));
    ASSERT_EQ(ZENKMimePrepFinish(h), 0);
    SetFileAttributesA("ro.bin", FILE_ATTRIBUTE_NORMAL);
    std::string out = ReadAll("outbox.txt");
    EXPECT_EQ(out.substr(0, 15), "Letters : 001\r\n");
    EXPECT_EQ(out.find("Letters", 1), std::string::npos);  // one record only
    EXPECT_NE(out.find("7bit\r\n\r\nkept text\r\n"), std::string::npos);
    EXPECT_NE(out.find("filename=\"ro.bin\"\r\n\r\ncmVhZCBvbmx5\r\n"), std::string::npos);
    EXPECT_NE(out.find("filename=\"held.bin\"\r\n\r\nc2VjcmV0\r\n"), std::string::npos);
    EXPECT_NE(out.find("filename=\"gone.bin\"\r\n\r\nYmFjaw==\r\n"), std::string::npos);
}

// The first line announces the records the file holds: a message started
// and never ended is not counted. Bytes that become CR or LF once bit 7 is
// cleared are refused in header fields.
TEST_F(ComposerExports, CountMatchesTheRecordsAndLineBreakBytesAreRefused) {
    void* h = nullptr;
    EXPECT_EQ(ZENKMimePrepStart("bad.txt", "a@b\x8d\x8aRCPT TO:<x@y>", &h), ZENK_FAILED);
    EXPECT_FALSE(Exists("bad.txt"));
    ASSERT_EQ(ZENKMimePrepStart("outbox.txt", "a@b", &h), 0);
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(ZENKMimePrepNewMesg(h), 0);
        ASSERT_EQ(ZENKMimePrepTO(h, "c@d"), 0);
        EXPECT_EQ(ZENKMimePrepSubj(h, "Hello \x8d\x8aX-Injected: yes"), ZENK_FAILED);
        EXPECT_EQ(ZENKMimePrepCC(h, "e@f\x8aX-Injected: yes"), ZENK_FAILED);
        ASSERT_EQ(ZENKMimePrepEndMesg(h), 0);
    }
    ASSERT_EQ(ZENKMimePrepNewMesg(h), 0);
    ASSERT_EQ(ZENKMimePrepTO(h, "never@sent"), 0);
    ASSERT_EQ(ZENKMimePrepFinish(h), 0);
    std::string out = ReadAll("outbox.txt");
    EXPECT_EQ(out.substr(0, 15), "Letters : 003\r\n");
    EXPECT_EQ(out.find("never@sent"), std::string::npos);
    EXPECT_EQ(out.find("Injected"), std::string::npos);
    EXPECT_NE(out.find("\r\nLetters : 003\r\n"), std::string::npos);
}

TEST_F(ComposerExports, OneOpenMessagePerDirectory) {
    void *a = nullptr, *b = nullptr;
    ASSERT_EQ(ZENKMimePrepStart("a.txt", "a@b", &a), 0);
    ASSERT_EQ(ZENKMimePrepStart("b.txt", "a@b", &b), 0);
    ZENKMimePrepNewMesg(a);
    ZENKMimePrepNewMesg(b);
    EXPECT_EQ(ZENKMimePrepData(a, "x", 1), 0);
    EXPECT_EQ(ZENKMimePrepData(b, "y", 1), ZENK_FAILED);
    // A new message on the first composer closes and deletes its old
    // scratch file, so it can be created again.
    EXPECT_EQ(ZENKMimePrepNewMesg(a), 0);
    EXPECT_EQ(ZENKMimePrepData(a, "z", 1), 0);
    ZENKMimePrepTO(a, "c@d");
    EXPECT_EQ(ZENKMimePrepEndMesg(a), 0);
    ZENKMimePrepFinish(a);
    ZENKMimePrepFinish(b);
    std::string out = ReadAll("a.txt");
    EXPECT_EQ(out.substr(0, 15), "Letters : 001\r\n");
    EXPECT_NE(out.find("7bit\r\n\r\nz\r\nEND DATA\r\n"), std::string::npos);
}

TEST_F(ComposerExports, OutboxThatCannotBeCreated) {
    void* h = nullptr;
    ASSERT_EQ(ZENKMimePrepStart("no\\such\\folder\\out.txt", "a@b", &h), 0);
    ZENKMimePrepNewMesg(h);
    ZENKMimePrepTO(h, "c@d");
    EXPECT_EQ(ZENKMimePrepEndMesg(h), ZENK_FAILED);
    EXPECT_EQ(ZENKMimePrepFinish(h), 0);
}

}  // namespace
