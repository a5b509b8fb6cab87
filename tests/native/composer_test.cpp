// MimeComposer over in-memory files: outbox records byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "memory_storage.h"
#include "mime/message_files.h"
#include "mime/mime_composer.h"

using namespace zenk;
using testutil::MemoryStorage;

namespace {

const char kHead[] =
    "Date: Fri, 08 Nov 1996 14:03:09 +0100\r\n"
    "Message-ID: <14:03:09A>\r\n"
    "MIME-Version: 1.0\r\n"
    "X-Mail-Agent: Orvanel v1.0\r\n";

class Composer : public ::testing::Test {
protected:
    MemoryStorage storage;
    MimeComposer composer{storage};

    void SetUp() override { ASSERT_EQ(composer.Start("out.txt", "A"), 0); }
    std::string Outbox() const { return storage.Text("out.txt"); }
    void Data(const std::string& s) { ASSERT_EQ(composer.AddData(s.data(), static_cast<int>(s.size())), 0); }
};

TEST_F(Composer, PlainMessageRecord) {
    ASSERT_EQ(composer.NewMessage(), 0);
    ASSERT_EQ(composer.AddTo("B"), 0);
    ASSERT_EQ(composer.AddCc("C"), 0);
    ASSERT_EQ(composer.SetSubject("S"), 0);
    Data("line one\r\n");
    Data(".dot stays\r\n\xe9\r\n");
    ASSERT_EQ(composer.EndMessage(), 0);
    ASSERT_EQ(composer.Finish(), 0);
    EXPECT_EQ(Outbox(), std::string("Letters : 001\r\nFROM:<A>\r\nBEGIN MESSAGE HEADER\r\n"
                                     "TO:<B>\r\nTO:<C>\r\nEND MESSAGE HEADER\r\nBEGIN DATA\r\n"
                                     "From: A\r\nTo: B\r\nCc: C\r\nSubject: S\r\n") +
                         kHead +
                         "Content-Type: text/plain; charset=us-ascii\r\n"
                         "Content-Transfer-Encoding: 7bit\r\n\r\n"
                         "line one\r\n.dot stays\r\n\xe9\r\n"
                         "\r\nEND DATA\r\n");
    // The scratch file is gone once its text is in the record.
    EXPECT_EQ(storage.files.count(kScratchFileName), 0u);
}

TEST_F(Composer, EmptyMessageHasTwoEmptyLinesBeforeEndData) {
    composer.NewMessage();
    composer.AddTo("B");
    ASSERT_EQ(composer.EndMessage(), 0);
    std::string out = Outbox();
    std::string tail = "Content-Transfer-Encoding: 7bit\r\n\r\n\r\nEND DATA\r\n";
    EXPECT_EQ(out.substr(out.size() - tail.size()), tail);
    EXPECT_NE(out.find("Subject: \r\n"), std::string::npos);
}

TEST_F(Composer, MultipartWithAttachmentsOfZero51And52Bytes) {
    storage.files["C:\\in\\zero.bin"] = std::make_shared<std::string>();
    storage.files["C:\\in\\a51"] = std::make_shared<std::string>(51, 'a');
    storage.files["b52"] = std::make_shared<std::string>(52, 'b');
    composer.NewMessage();
    composer.AddTo("B");
    ASSERT_EQ(composer.AddFile("C:\\in\\zero.bin"), 0);
    ASSERT_EQ(composer.AddFile("C:\\in\\a51"), 0);
    ASSERT_EQ(composer.AddFile("b52"), 0);
    Data("text");
    ASSERT_EQ(composer.EndMessage(), 0);
    std::string part = "Content-Type: application/octet-stream\r\nContent-Transfer-Encoding: base64\r\n";
    std::string a68 = "YWFh";
    std::string b68 = "YmJi";
    std::string aLine, bLine;
    for (int i = 0; i < 17; ++i) aLine += a68, bLine += b68;
    std::string expected = std::string("From: A\r\nTo: B\r\nSubject: \r\n") + kHead +
        "Content-Type: multipart/mixed; boundary=\"ZENKBoundary-08Nov14:03\"\r\n\r\n"
        "--ZENKBoundary-08Nov14:03\r\n"
        "Content-Type: text/plain; charset=us-ascii\r\nContent-Transfer-Encoding: 7bit\r\n\r\n"
        "text"
        "\r\n\r\n--ZENKBoundary-08Nov14:03\r\n" + part +
        "Content-Disposition: attachment; filename=\"zero.bin\"\r\n\r\n"
        "\r\n\r\n--ZENKBoundary-08Nov14:03\r\n" + part +
        "Content-Disposition: attachment; filename=\"a51\"\r\n\r\n" + aLine + "\r\n"
        "\r\n\r\n--ZENKBoundary-08Nov14:03\r\n" + part +
        "Content-Disposition: attachment; filename=\"b52\"\r\n\r\n" + bLine + "\r\nYg==\r\n"
        "\r\n--ZENKBoundary-08Nov14:03--\r\nEND DATA\r\n";
    std::string out = Outbox();
    ASSERT_GE(out.size(), expected.size());
    EXPECT_EQ(out.substr(out.size() - expected.size()), expected);
    EXPECT_EQ(aLine.size(), 68u);
}

TEST_F(Composer, UnopenableAttachmentGivesAPartWithoutContent) {
    storage.files["locked.bin"] = std::make_shared<std::string>("data");
    storage.unopenable.insert("locked.bin");
    composer.NewMessage();
    composer.AddTo("B");
    composer.AddFile("locked.bin");
    composer.AddFile("missing.bin");
    ASSERT_EQ(composer.EndMessage(), 0);
    std::string out = Outbox();
    EXPECT_NE(out.find("filename=\"locked.bin\"\r\n\r\n\r\n\r\n--ZENK"), std::string::npos);
    EXPECT_NE(out.find("filename=\"missing.bin\"\r\n\r\n\r\n--ZENK"), std::string::npos);
}

TEST_F(Composer, BaseNameSplitsOnlyAtBackslash) {
    EXPECT_STREQ(AttachmentBaseName("C:\\dir\\f.txt"), "f.txt");
    EXPECT_STREQ(AttachmentBaseName("C:f.txt"), "C:f.txt");
    EXPECT_STREQ(AttachmentBaseName("dir/f.txt"), "dir/f.txt");
    EXPECT_STREQ(AttachmentBaseName("dir\\"), "");
}

TEST_F(Composer, CountLinesRunningAndFirstRewrittenAtFinish) {
    for (int i = 0; i < 3; ++i) {
        composer.NewMessage();
        composer.AddTo("B");
        ASSERT_EQ(composer.EndMessage(), 0);
    }
    composer.NewMessage();  // started, never ended: still counted
    ASSERT_EQ(composer.Finish(), 0);
    std::string out = Outbox();
    EXPECT_EQ(out.substr(0, 25), "Letters : 004\r\nFROM:<A>\r\n");
    EXPECT_NE(out.find("\r\nLetters : 002\r\nFROM:<A>\r\n"), std::string::npos);
    EXPECT_NE(out.find("\r\nLetters : 003\r\nFROM:<A>\r\n"), std::string::npos);
}

TEST_F(Composer, NoMessageEndedLeavesOnlyTheCountLine) {
    ASSERT_EQ(composer.Finish(), 0);
    EXPECT_EQ(Outbox(), "Letters : 000\r\n");
}

TEST_F(Composer, EndWithoutNewMessageCountsZeroAndHasNoText) {
    composer.AddTo("B");
    ASSERT_EQ(composer.AddData("x", 1), -2);  // no scratch file yet
    ASSERT_EQ(composer.EndMessage(), 0);
    EXPECT_EQ(Outbox().substr(0, 15), "Letters : 000\r\n");
}

TEST_F(Composer, EmptyToListRefusesAndKeepsTheMessageOpen) {
    composer.NewMessage();
    composer.AddCc("C");
    Data("kept\r\n");
    EXPECT_EQ(composer.EndMessage(), -2);
    EXPECT_EQ(Outbox(), "");
    composer.AddTo("B");
    ASSERT_EQ(composer.EndMessage(), 0);
    EXPECT_NE(Outbox().find("\r\n\r\nkept\r\n\r\nEND DATA\r\n"), std::string::npos);
}

TEST_F(Composer, SecondEndWritesTheRecordAgainWithoutText) {
    composer.NewMessage();
    composer.AddTo("B");
    Data("body");
    ASSERT_EQ(composer.EndMessage(), 0);
    ASSERT_EQ(composer.EndMessage(), 0);
    std::string out = Outbox();
    std::size_t second = out.find("Letters : 001", 1);
    ASSERT_NE(second, std::string::npos);
    EXPECT_NE(out.find("body\r\nEND DATA"), std::string::npos);
    EXPECT_NE(out.find("7bit\r\n\r\n\r\nEND DATA", second), std::string::npos);
}

TEST_F(Composer, LengthLimits) {
    std::string s79(79, 'x'), s80(80, 'x'), s127(127, 'y'), s128(128, 'y');
    composer.NewMessage();
    EXPECT_EQ(composer.AddTo(s79.c_str()), 0);
    EXPECT_EQ(composer.AddTo(s80.c_str()), -2);
    EXPECT_EQ(composer.AddCc(s79.c_str()), 0);
    EXPECT_EQ(composer.AddCc(s80.c_str()), -2);
    EXPECT_EQ(composer.SetSubject(s127.c_str()), 0);
    EXPECT_EQ(composer.SetSubject(s128.c_str()), -2);
    EXPECT_EQ(composer.AddFile(s127.c_str()), 0);
    EXPECT_EQ(composer.AddFile(s128.c_str()), -2);
    EXPECT_EQ(composer.AddTo(nullptr), -2);
    EXPECT_EQ(composer.SetSubject(nullptr), -2);
    ASSERT_EQ(composer.EndMessage(), 0);
    std::string out = Outbox();
    EXPECT_NE(out.find("\r\nTO:<" + s79 + ">\r\nTO:<" + s79 + ">\r\nEND MESSAGE HEADER"), std::string::npos);
    EXPECT_NE(out.find("\r\nSubject: " + s127 + "\r\n"), std::string::npos);
    EXPECT_EQ(out.find(s80), std::string::npos);
}

TEST(ComposerStart, TooLongSenderIsEmptyAndLineBreaksAreRefused) {
    MemoryStorage storage;
    std::string s80(80, 's'), s79(79, 's');
    MimeComposer tooLong(storage);
    ASSERT_EQ(tooLong.Start("a.txt", s80.c_str()), 0);
    tooLong.NewMessage();
    tooLong.AddTo("B");
    ASSERT_EQ(tooLong.EndMessage(), 0);
    EXPECT_NE(storage.Text("a.txt").find("\r\nFROM:<>\r\n"), std::string::npos);
    tooLong.Finish();

    MimeComposer longest(storage);
    ASSERT_EQ(longest.Start("b.txt", s79.c_str()), 0);
    longest.NewMessage();
    longest.AddTo("B");
    ASSERT_EQ(longest.EndMessage(), 0);
    EXPECT_NE(storage.Text("b.txt").find("\r\nMessage-ID: <14:03:09" + s79 + ">\r\n"), std::string::npos);
    longest.Finish();

    MimeComposer injected(storage);
    EXPECT_EQ(injected.Start("c.txt", "a@b\r\nRCPT TO:<x@y>"), -2);
    EXPECT_EQ(storage.files.count("c.txt"), 0u);
}

TEST_F(Composer, LineBreaksInHeaderValuesAreRefused) {
    composer.NewMessage();
    EXPECT_EQ(composer.AddTo("b@x\r\nBcc: evil@y"), -2);
    EXPECT_EQ(composer.AddCc("c@x\nX"), -2);
    EXPECT_EQ(composer.SetSubject("hi\rthere"), -2);
    EXPECT_EQ(composer.AddFile("f\r\n.txt"), -2);
    composer.AddTo("B");
    ASSERT_EQ(composer.EndMessage(), 0);
    EXPECT_EQ(Outbox().find("evil"), std::string::npos);
}

TEST_F(Composer, NewMessageWhileOneIsOpenDropsItsScratchFile) {
    composer.NewMessage();
    composer.AddTo("old");
    Data("old text\r\n");
    ASSERT_EQ(composer.NewMessage(), 0);
    EXPECT_EQ(storage.scratchDeletes, 1);
    Data("new text\r\n");
    composer.AddTo("B");
    ASSERT_EQ(composer.EndMessage(), 0);
    std::string out = Outbox();
    EXPECT_EQ(out.find("old"), std::string::npos);
    EXPECT_NE(out.find("Letters : 002"), std::string::npos);
    EXPECT_NE(out.find("\r\n\r\nnew text\r\n\r\nEND DATA"), std::string::npos);
}

TEST(ComposerScratch, SecondComposerInTheSameDirectoryHasNoScratch) {
    MemoryStorage storage;
    MimeComposer first(storage), second(storage);
    first.Start("1.txt", "A");
    second.Start("2.txt", "A");
    first.NewMessage();
    second.NewMessage();
    EXPECT_EQ(first.AddData("x", 1), 0);
    EXPECT_EQ(second.AddData("x", 1), -2);
    // The second one's next message must not delete the first one's file.
    second.NewMessage();
    EXPECT_EQ(storage.Text(kScratchFileName), "x");
    first.Finish();
    second.Finish();
    // Finishing with a message open leaves the scratch file on disk.
    EXPECT_EQ(storage.files.count(kScratchFileName), 1u);
}

TEST_F(Composer, DataLinesLongerThanTheReadersLimitAreRefused) {
    composer.NewMessage();
    std::string part(600, 'p');
    Data(part);
    // Together with the first call the line would pass 999 bytes.
    EXPECT_EQ(composer.AddData(part.data(), 400), -2);
    Data(std::string(399, 'q') + "\n");  // exactly 999 before the LF
    Data(std::string(998, 'r') + "\r\n");
    EXPECT_EQ(composer.AddData("x", -1), -2);
    EXPECT_EQ(composer.AddData(nullptr, 3), -2);
    EXPECT_EQ(composer.AddData(nullptr, 0), 0);
    composer.AddTo("B");
    ASSERT_EQ(composer.EndMessage(), 0);
    composer.Finish();
    // Every line of the outbox can be read back.
    std::string out = Outbox();
    MemorySource src(out);
    Line line;
    std::size_t consumed = 0;
    bool sawEnd = false;
    while (ReadLine(src, line)) {
        consumed = src.Tell();
        sawEnd = sawEnd || line.Equals(kEndData);
    }
    EXPECT_TRUE(sawEnd);
    EXPECT_EQ(consumed, out.size());
}

// Ending a message closes an unfinished last line with CR LF: a last line
// of 999 bytes would then be too long for the readers, so the end is
// refused until the caller finishes the line; 998 bytes still fit.
TEST_F(Composer, AnUnfinishedLastLineMustLeaveRoomForItsLineEnd) {
    composer.NewMessage();
    composer.AddTo("B");
    Data(std::string(999, 'z'));
    EXPECT_EQ(composer.EndMessage(), -2);
    EXPECT_EQ(Outbox(), "");
    Data("\n");
    ASSERT_EQ(composer.EndMessage(), 0);
    composer.NewMessage();
    composer.AddTo("B");
    Data(std::string(997, 'y') + "\r");
    EXPECT_EQ(composer.EndMessage(), 0);
    composer.Finish();
    std::string out = Outbox();
    MemorySource src(out);
    Line line;
    int ends = 0;
    while (ReadLine(src, line)) ends += line.Equals(kEndData);
    EXPECT_EQ(ends, 2);
    EXPECT_EQ(src.Tell(), out.size());
}

TEST_F(Composer, MoreThan999MessagesAreRefused) {
    for (int i = 0; i < 999; ++i) ASSERT_EQ(composer.NewMessage(), 0);
    composer.AddTo("B");
    ASSERT_EQ(composer.EndMessage(), 0);
    EXPECT_EQ(composer.NewMessage(), -2);
    composer.AddTo("B");
    EXPECT_EQ(composer.EndMessage(), -2);
    ASSERT_EQ(composer.Finish(), 0);
    std::string out = Outbox();
    EXPECT_EQ(out.substr(0, 25), "Letters : 999\r\nFROM:<A>\r\n");
    EXPECT_EQ(out.find("Letters", 1), std::string::npos);
}

TEST(ComposerOutbox, WithoutOutboxEndFailsAndFinishSucceeds) {
    MemoryStorage storage;
    storage.unopenable.insert("nope.txt");
    MimeComposer composer(storage);
    ASSERT_EQ(composer.Start("nope.txt", "A"), 0);
    composer.NewMessage();
    EXPECT_EQ(composer.EndMessage(), -2);  // empty To first
    composer.AddTo("B");
    EXPECT_EQ(composer.EndMessage(), -2);
    EXPECT_EQ(composer.Finish(), 0);
    EXPECT_EQ(storage.files.count("nope.txt"), 0u);
}

}  // namespace
