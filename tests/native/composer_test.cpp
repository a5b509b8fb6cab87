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

// Every way a record can fail to be written whole. Each must return -2,
// leave the outbox exactly as it was and keep the message open: once the
// cause is gone, the same message ends with all its text and attachment.
struct EndFailure {
    const char* name;
    void (*arrange)(MemoryStorage&);
};

std::size_t OutboxSize(MemoryStorage& s) { return s.Text("out.txt").size(); }

TEST_F(Composer, ARecordThatCannotBeWrittenWholeLeavesNoTrace) {
    const EndFailure cases[] = {
        {"attachment missing", [](MemoryStorage& s) { s.files.erase("att.bin"); }},
        {"attachment held by another program", [](MemoryStorage& s) { s.unopenable.insert("att.bin"); }},
        {"attachment unreadable after 60 bytes", [](MemoryStorage& s) { s.readFailsAt["att.bin"] = 60; }},
        {"attachment unreadable at once", [](MemoryStorage& s) { s.readFailsAt["att.bin"] = 0; }},
        {"text unreadable", [](MemoryStorage& s) { s.readFailsAt[kScratchFileName] = 3; }},
        {"disk full in the record head", [](MemoryStorage& s) { s.room["out.txt"] = OutboxSize(s) + 10; }},
        {"disk full in the text", [](MemoryStorage& s) { s.room["out.txt"] = OutboxSize(s) + 330; }},
        {"disk full in the attachment", [](MemoryStorage& s) { s.room["out.txt"] = OutboxSize(s) + 560; }},
        {"disk full at the last byte", [](MemoryStorage& s) { s.room["out.txt"] = OutboxSize(s) + 888; }},
    };
    std::string qLine;
    for (int i = 0; i < 17; ++i) qLine += "cXFx";  // base64 of 51 "q"
    const std::string content = "filename=\"att.bin\"\r\n\r\n" + qLine + "\r\n" + qLine + "\r\n" + qLine + "\r\n";
    std::string before;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        storage.files["att.bin"] = std::make_shared<std::string>(200, 'q');
        ASSERT_EQ(composer.NewMessage(), 0);
        composer.AddTo("B");
        ASSERT_EQ(composer.AddFile("att.bin"), 0);
        Data("first half, ");
        c.arrange(storage);
        EXPECT_EQ(composer.EndMessage(), -2);
        EXPECT_EQ(Outbox(), before);
        storage.files["att.bin"] = std::make_shared<std::string>(200, 'q');
        storage.unopenable.clear();
        storage.readFailsAt.clear();
        storage.room.clear();
        Data("second half\r\n");
        ASSERT_EQ(composer.EndMessage(), 0);
        std::string out = Outbox();
        ASSERT_EQ(out.compare(0, before.size(), before), 0);
        std::string record = out.substr(before.size());
        EXPECT_NE(record.find("7bit\r\n\r\nfirst half, second half\r\n\r\n\r\n--ZENK"), std::string::npos);
        EXPECT_NE(record.find(content), std::string::npos);
        EXPECT_EQ(record.size(), 903u);  // the disk-full cases cut inside this
        before = out;
    }
    ASSERT_EQ(composer.Finish(), 0);
    EXPECT_EQ(Outbox().substr(0, 15), "Letters : 009\r\n");
}

// A failed record that cannot be taken back leaves a broken tail: nothing
// more is appended behind it, and the count keeps to the whole records.
TEST_F(Composer, AFailedRecordThatCannotBeTakenBackStopsTheOutbox) {
    composer.NewMessage();
    composer.AddTo("B");
    ASSERT_EQ(composer.EndMessage(), 0);
    std::size_t whole = Outbox().size();
    composer.NewMessage();
    composer.AddTo("C");
    storage.room["out.txt"] = whole + 100;
    storage.truncateFails.insert("out.txt");
    EXPECT_EQ(composer.EndMessage(), -2);
    storage.room.clear();
    EXPECT_EQ(composer.EndMessage(), -2);
    EXPECT_EQ(Outbox().size(), whole + 100);
    ASSERT_EQ(composer.Finish(), 0);
    EXPECT_EQ(Outbox().substr(0, 15), "Letters : 001\r\n");
}

TEST(ComposerFinish, ACountLineThatCannotBeWrittenIsReported) {
    MemoryStorage storage;
    MimeComposer composer(storage);
    ASSERT_EQ(composer.Start("out.txt", "A"), 0);
    composer.NewMessage();
    composer.AddTo("B");
    ASSERT_EQ(composer.EndMessage(), 0);
    storage.room["out.txt"] = 5;
    EXPECT_EQ(composer.Finish(), -2);
}

TEST_F(Composer, BaseNameSplitsOnlyAtBackslash) {
    EXPECT_STREQ(AttachmentBaseName("C:\\dir\\f.txt"), "f.txt");
    EXPECT_STREQ(AttachmentBaseName("C:f.txt"), "C:f.txt");
    EXPECT_STREQ(AttachmentBaseName("dir/f.txt"), "dir/f.txt");
    EXPECT_STREQ(AttachmentBaseName("dir\\"), "");
}

// The count lines number the records, so the first line announces exactly
// the records the file holds: a message dropped by the next NewMessage or
// never ended (the last one here) is not counted.
TEST_F(Composer, CountLinesNumberTheRecordsWritten) {
    for (int i = 0; i < 3; ++i) {
        composer.NewMessage();
        if (i == 1) composer.NewMessage();  // the first try of this one is dropped
        composer.AddTo("B");
        ASSERT_EQ(composer.EndMessage(), 0);
    }
    composer.NewMessage();  // started, never ended
    composer.AddTo("B");
    ASSERT_EQ(composer.Finish(), 0);
    std::string out = Outbox();
    EXPECT_EQ(out.substr(0, 25), "Letters : 003\r\nFROM:<A>\r\n");
    EXPECT_NE(out.find("\r\nLetters : 002\r\nFROM:<A>\r\n"), std::string::npos);
    EXPECT_NE(out.find("\r\nLetters : 003\r\nFROM:<A>\r\n"), std::string::npos);
    EXPECT_EQ(out.find("Letters : 004"), std::string::npos);
}

TEST_F(Composer, NoMessageEndedLeavesOnlyTheCountLine) {
    ASSERT_EQ(composer.Finish(), 0);
    EXPECT_EQ(Outbox(), "Letters : 000\r\n");
}

TEST_F(Composer, EndWithoutNewMessageIsARecordWithoutText) {
    composer.AddTo("B");
    ASSERT_EQ(composer.AddData("x", 1), -2);  // no scratch file yet
    ASSERT_EQ(composer.EndMessage(), 0);
    ASSERT_EQ(composer.Finish(), 0);
    EXPECT_EQ(Outbox().substr(0, 15), "Letters : 001\r\n");
    EXPECT_NE(Outbox().find("7bit\r\n\r\n\r\nEND DATA\r\n"), std::string::npos);
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
    std::size_t second = out.find("\r\nLetters : 002\r\n");
    ASSERT_NE(second, std::string::npos);
    EXPECT_NE(out.find("body\r\nEND DATA"), std::string::npos);
    EXPECT_NE(out.find("7bit\r\n\r\n\r\nEND DATA", second), std::string::npos);
}

TEST_F(Composer, LengthLimits) {
    std::string s79(79, 'x'), s80(80, 'x'), s127(127, 'y'), s128(128, 'y');
    storage.files[s127] = std::make_shared<std::string>("attached");
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

}

// CR, LF and the bytes the SMTP client turns into them (0x8D, 0x8A) are
// refused in every field that becomes a header or record line; other
// 8-bit bytes pass.
TEST(ComposerFields, LineBreakBytesAreRefusedInEveryHeaderField) {
    const char* breaks[] = {"\r", "\n", "\x8d", "\x8a", "\x8d\x8a"};
    for (const char* b : breaks) {
        SCOPED_TRACE(testing::PrintToString(std::string(b)));
        std::string bad = std::string("x") + b + "X-Injected: yes";
        MemoryStorage storage;
        MimeComposer refused(storage);
        EXPECT_EQ(refused.Start("s.txt", bad.c_str()), -2);
        EXPECT_EQ(storage.files.count("s.txt"), 0u);

        MimeComposer composer(storage);
        ASSERT_EQ(composer.Start("out.txt", "a\xe9@x"), 0);
        composer.NewMessage();
        EXPECT_EQ(composer.AddTo(bad.c_str()), -2);
        EXPECT_EQ(composer.AddCc(bad.c_str()), -2);
        EXPECT_EQ(composer.SetSubject(bad.c_str()), -2);
        EXPECT_EQ(composer.AddFile(bad.c_str()), -2);
        ASSERT_EQ(composer.AddTo("b\xe9@y"), 0);
        ASSERT_EQ(composer.SetSubject("caf\xe9 \xa0"), 0);
        ASSERT_EQ(composer.EndMessage(), 0);
        composer.Finish();
        std::string out = storage.Text("out.txt");
        EXPECT_EQ(out.find("Injected"), std::string::npos);
        EXPECT_NE(out.find("\r\nSubject: caf\xe9 \xa0\r\n"), std::string::npos);
    }
}

TEST_F(Composer, AnEmptyAttachmentPathIsRefused) {
    composer.NewMessage();
    EXPECT_EQ(composer.AddFile(""), -2);
    composer.AddTo("B");
    ASSERT_EQ(composer.EndMessage(), 0);
    EXPECT_EQ(Outbox().find("multipart"), std::string::npos);
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
    EXPECT_EQ(out.substr(0, 15), "Letters : 001\r\n");
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

TEST_F(Composer, MoreThan999RecordsAreRefused) {
    for (int i = 0; i < 999; ++i) {
        ASSERT_EQ(composer.NewMessage(), 0);
        composer.AddTo("B");
        ASSERT_EQ(composer.EndMessage(), 0);
    }
    std::size_t full = Outbox().size();
    EXPECT_EQ(composer.NewMessage(), -2);
    composer.AddTo("B");
    EXPECT_EQ(composer.EndMessage(), -2);
    EXPECT_EQ(Outbox().size(), full);
    ASSERT_EQ(composer.Finish(), 0);
    std::string out = Outbox();
    EXPECT_EQ(out.substr(0, 25), "Letters : 999\r\nFROM:<A>\r\n");
    EXPECT_NE(out.find("\r\nLetters : 999\r\n", 1), std::string::npos);
    EXPECT_EQ(out.find("Letters : 1000"), std::string::npos);
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
