// MimeScanner over inbox text in memory, with attachment files kept in a map.
#include <gtest/gtest.h>

#include <string>

#include "mime/mime_scanner.h"
#include "mime_test_support.h"

using namespace zenk;
using namespace mimetest;

namespace {

const std::string kPlain = Lines({"Message-ID: <1@x>", "Date: Fri, 08 Nov 1996 14:03:09 +0100",
                                  "From: Al <al@x.org>", "subject: word (comment)", "To: a@x, b@x",
                                  "TO: c@x", "Cc: d@x", "", "", "first", "..dotted", "", "last", "."});

TEST(MimeScannerPlain, HeaderFieldsAndText) {
    Scan s(Inbox({kPlain}));
    EXPECT_EQ(s.scanner.MessageCount(), 1);
    MimeMessageRecord* r = s.scanner.GetFirst();
    ASSERT_NE(r, nullptr);
    EXPECT_STREQ(r->messageId, "<1@x>");
    EXPECT_STREQ(r->date, "Fri, 08 Nov 1996 14:03:09 +0100");
    EXPECT_STREQ(r->from, "Al <al@x.org>");
    EXPECT_STREQ(r->subject, "word (comment)");  // free text: nothing cut
    ASSERT_EQ(r->toCount, 2);
    EXPECT_STREQ(r->to[0], "a@x, b@x");
    EXPECT_STREQ(r->to[1], "c@x");
    ASSERT_EQ(r->ccCount, 1);
    EXPECT_STREQ(r->cc[0], "d@x");
    EXPECT_EQ(Text(r), "first\r\n.dotted\r\n\r\nlast\r\n");
    EXPECT_EQ(r->textLength, int(Text(r).size()) + 1);
    EXPECT_EQ(s.scanner.GetNext(), nullptr);
}

TEST(MimeScannerPlain, CountLineRules) {
    Scan zero("Letters : 0\r\nBEGIN MESSAGE\r\nSubject: x\r\n\r\nt\r\nEND MESSAGE\r\n");
    EXPECT_EQ(zero.scanner.MessageCount(), 0);
    EXPECT_EQ(zero.scanner.GetFirst(), nullptr);
    Scan other("Hello : 3\r\n");
    EXPECT_EQ(other.scanner.MessageCount(), 0);
    Scan negative("Letters :-4\r\n");
    EXPECT_EQ(negative.scanner.MessageCount(), 0);
    MemoryStore store;
    MimeScanner none(nullptr, store, "");
    EXPECT_EQ(none.MessageCount(), 0);
    EXPECT_EQ(none.GetFirst(), nullptr);
    EXPECT_EQ(none.GetNext(), nullptr);
}

TEST(MimeScannerPlain, MissingMessagesAreEmptyRecords) {
    Scan s(Inbox({Lines({"Subject: one", "", "a", "."}), Lines({"Subject: two", "", "b", "."})}, 3));
    ASSERT_NE(s.scanner.GetFirst(), nullptr);
    MimeMessageRecord* r = s.scanner.GetNext();
    ASSERT_NE(r, nullptr);
    EXPECT_STREQ(r->subject, "two");
    r = s.scanner.GetNext();
    ASSERT_NE(r, nullptr);
    EXPECT_STREQ(r->subject, "");
    EXPECT_EQ(r->toCount, 0);
    EXPECT_EQ(r->textLength, 0);
    EXPECT_EQ(s.scanner.GetNext(), nullptr);
}

TEST(MimeScannerPlain, GetFirstAgainStartsOverAndGetNextFirstSkipsNothing) {
    Scan s(Inbox({Lines({"Subject: one", "", "a", "."}), Lines({"Subject: two", "", "b", "."})}));
    ASSERT_NE(s.scanner.GetFirst(), nullptr);
    ASSERT_NE(s.scanner.GetNext(), nullptr);
    MimeMessageRecord* r = s.scanner.GetFirst();
    ASSERT_NE(r, nullptr);
    EXPECT_STREQ(r->subject, "one");
    EXPECT_EQ(Text(r), "a\r\n");
    EXPECT_STREQ(s.scanner.GetNext()->subject, "two");

    Scan t(Inbox({Lines({"Subject: one", "", "a", "."}), Lines({"Subject: two", "", "b", "."})}));
    r = t.scanner.GetNext();  // without GetFirst: the first message, one fewer in all
    ASSERT_NE(r, nullptr);
    EXPECT_STREQ(r->subject, "one");
    EXPECT_EQ(t.scanner.GetNext(), nullptr);
}

TEST(MimeScannerPlain, ToAndCcBeyondThirtyTwoLinesAreKept) {
    std::string m;
    for (int i = 0; i < 34; ++i) m += "To: t" + std::to_string(i) + "\r\n";
    for (int i = 0; i < 33; ++i) m += "Cc: c" + std::to_string(i) + "\r\n";
    Scan s(Inbox({m + "\r\nx\r\n.\r\n"}));
    MimeMessageRecord* r = s.scanner.GetFirst();
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->toCount, 32);
    EXPECT_STREQ(r->to[30], "t30");
    EXPECT_STREQ(r->to[31], "t31, t32, t33");
    EXPECT_EQ(r->ccCount, 32);
    EXPECT_STREQ(r->cc[31], "c31, c32");
}

TEST(MimeScannerPlain, EndsWithoutMarkers) {
    Scan eof("Letters : 2\r\nBEGIN MESSAGE\r\nSubject: s\r\n\r\n\r\n\r\n");
    MimeMessageRecord* r = eof.scanner.GetFirst();  // empty lines up to the end of the file
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->textLength, 0);
    ASSERT_NE(eof.scanner.GetNext(), nullptr);
}

// The marker lines have no escape in the inbox: a text line that reads
// "END MESSAGE" is text, because a record the POP3 client writes ends at
// the marker after the end mark ".". Records without an end mark end at
// their last marker before the next record.
TEST(MimeScannerPlain, EndMessageLineInTheTextIsText) {
    Scan s(Inbox({Lines({"Subject: one", "", "END MESSAGE", "BEGIN MESSAGE", "Subject: no", "", "kept", "."}),
                  Lines({"Subject: two", "", "b", "END MESSAGE", "."})}));
    MimeMessageRecord* r = s.scanner.GetFirst();
    ASSERT_NE(r, nullptr);
    EXPECT_STREQ(r->subject, "one");
    EXPECT_EQ(Text(r), Lines({"END MESSAGE", "BEGIN MESSAGE", "Subject: no", "", "kept"}));
    r = s.scanner.GetNext();
    ASSERT_NE(r, nullptr);
    EXPECT_STREQ(r->subject, "two");
    EXPECT_EQ(Text(r), Lines({"b", "END MESSAGE"}));
    EXPECT_EQ(s.scanner.GetNext(), nullptr);

    Scan noMark("Letters : 2\r\n" +
                Lines({"BEGIN MESSAGE", "Subject: one", "", "x", "END MESSAGE", "y", "END MESSAGE", "", "junk",
                       "BEGIN MESSAGE", "Subject: two", "", "z", "END MESSAGE"}));
    r = noMark.scanner.GetFirst();
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(Text(r), Lines({"x", "END MESSAGE", "y"}));
    r = noMark.scanner.GetNext();
    ASSERT_NE(r, nullptr);
    EXPECT_STREQ(r->subject, "two");
    EXPECT_EQ(Text(r), Lines({"z"}));
}

// A text quoting whole inbox records (markers and all) is kept: the record
// ends at the marker after the end mark.
TEST(MimeScannerPlain, QuotedInboxRecordsInTheTextAreText) {
    Scan s(Inbox({Lines({"Subject: fwd", "", "quoted inbox:", "END MESSAGE", "BEGIN MESSAGE", "one", "END MESSAGE",
                         "BEGIN MESSAGE", "two", "END MESSAGE", "tail line", "."}),
                  Lines({"Subject: next", "", "n", "."})}));
    MimeMessageRecord* r = s.scanner.GetFirst();
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(Text(r), Lines({"quoted inbox:", "END MESSAGE", "BEGIN MESSAGE", "one", "END MESSAGE", "BEGIN MESSAGE",
                              "two", "END MESSAGE", "tail line"}));
    r = s.scanner.GetNext();
    ASSERT_NE(r, nullptr);
    EXPECT_STREQ(r->subject, "next");
}

// Megabytes of text come back whole (the text grows by doubling, so this
// takes moments, not minutes).
TEST(MimeScannerPlain, AMultiMegabyteTextComesBackWhole) {
    std::string body;
    for (int i = 0; body.size() < 3 * 1024 * 1024; ++i)
        body += "line " + std::to_string(i) + " " + std::string(60, 'x') + "\r\n";
    Scan s(Inbox({"Subject: big\r\n\r\n" + body + ".\r\n"}));
    MimeMessageRecord* r = s.scanner.GetFirst();
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->textLength, int(body.size()) + 1);
    EXPECT_TRUE(Text(r) == body);
}

TEST(MimeScannerPlain, TextGrowsBeyondItsFirstBlock) {
    std::string body;
    for (int i = 0; i < 300; ++i) body += "line " + std::to_string(i) + "\r\n";
    Scan s(Inbox({"Subject: big\r\n\r\n" + body + ".\r\n"}));
    MimeMessageRecord* r = s.scanner.GetFirst();
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(Text(r), body);
    EXPECT_EQ(r->textLength, int(body.size()) + 1);
}

TEST(MimeScannerPlain, MultipartWithoutMimeVersionIsPlainText) {
    std::string m = Lines({"Content-Type: multipart/mixed; boundary=\"b\"", "", "--b",
                           "Content-Type: text/plain", "", "hi", "--b--", "."});
    Scan s(Inbox({m}));
    EXPECT_EQ(Text(s.scanner.GetFirst()), Lines({"--b", "Content-Type: text/plain", "", "hi", "--b--"}));
}

}  // namespace
