// MimeScanner on MIME messages: multipart bodies and attachment files.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "mime/mime_scanner.h"
#include "mime_test_support.h"

using namespace zenk;
using namespace mimetest;

namespace {

// A message as the composer writes it: a text part and base64 attachments.
std::string Composed(const std::vector<std::pair<std::string, std::string>>& files,
                     const std::string& boundary = "\"=_ZENK_b1\"") {
    std::string m = Lines({"From: a@x", "To: b@x", "Subject: parts", "MIME-Version: 1.0",
                           "Content-Type: multipart/mixed; boundary=" + boundary, "",
                           "This is a multi-part message in MIME format.", "", "--=_ZENK_b1",
                           "Content-Type: text/plain; charset=us-ascii",
                           "Content-Transfer-Encoding: 7bit", "", "Hello,", "see attached.", "", ""});
    for (const auto& [name, b64] : files)
        m += Lines({"--=_ZENK_b1", "Content-Type: application/octet-stream; name=\"" + name + "\"",
                    "Content-Transfer-Encoding: base64",
                    "Content-Disposition: attachment; filename=\"" + name + "\"", ""}) + b64 + Lines({""});
    return m + Lines({"--=_ZENK_b1--", "."});
}

TEST(MimeScannerMultipart, TextPartAndNamedAttachment) {
    Scan s(Inbox({Composed({{"a.bin", Lines({"SGVsbG8gV29y", "bGQh"})}})}));
    MimeMessageRecord* r = s.scanner.GetFirst();
    ASSERT_NE(r, nullptr);
    EXPECT_STREQ(r->subject, "parts");
    EXPECT_EQ(Text(r), Lines({"This is a multi-part message in MIME format.", "", "Hello,", "see attached.", "", ""}));
    ASSERT_EQ(r->attachmentCount, 1);
    EXPECT_STREQ(r->attachments[0], "C:\\att\\a.bin");
    EXPECT_EQ(s.store.files["C:\\att\\a.bin"], "Hello World!");
    EXPECT_TRUE(s.store.open.empty());
}

TEST(MimeScannerMultipart, MarkerLinesInAnAttachmentAreKept) {
    std::string m = Lines({"MIME-Version: 1.0", "Content-Type: multipart/mixed; boundary=\"b\"", "", "--b",
                           "Content-Type: text/plain", "Content-Disposition: attachment; filename=\"m.txt\"", "",
                           "END MESSAGE", "BEGIN MESSAGE", "END MESSAGE", "--b--", "."});
    Scan s(Inbox({m, Lines({"Subject: next", "", "n", "."})}));
    MimeMessageRecord* r = s.scanner.GetFirst();
    ASSERT_NE(r, nullptr);
    ASSERT_EQ(r->attachmentCount, 1);
    EXPECT_EQ(s.store.files["C:\\att\\m.txt"], "END MESSAGE\r\nBEGIN MESSAGE\r\nEND MESSAGE");
    r = s.scanner.GetNext();
    ASSERT_NE(r, nullptr);
    EXPECT_STREQ(r->subject, "next");
}

TEST(MimeScannerMultipart, UnpaddedBase64EndsAtItsDelimiterAndTheNextPartFollows) {
    Scan s(Inbox({Composed({{"one", Lines({"AAEC"})}, {"two", Lines({"AwQF", "Bg=="})}}),
                  Lines({"Subject: after", "", "plain", "."})}));
    MimeMessageRecord* r = s.scanner.GetFirst();
    ASSERT_NE(r, nullptr);
    ASSERT_EQ(r->attachmentCount, 2);
    EXPECT_EQ(s.store.files["C:\\att\\one"], std::string("\0\1\2", 3));
    EXPECT_EQ(s.store.files["C:\\att\\two"], std::string("\3\4\5\6", 4));
    r = s.scanner.GetNext();
    ASSERT_NE(r, nullptr);
    EXPECT_STREQ(r->subject, "after");
    EXPECT_EQ(Text(r), "plain\r\n");
}

TEST(MimeScannerMultipart, ExistingNameGetsAGeneratedOneAndIsNotTouched) {
    Scan s(Inbox({Composed({{"a.bin", Lines({"SGk="})}})}));
    s.store.files["C:\\att\\a.bin"] = "keep";
    MimeMessageRecord* r = s.scanner.GetFirst();
    ASSERT_NE(r, nullptr);
    ASSERT_EQ(r->attachmentCount, 1);
    EXPECT_STREQ(r->attachments[0], "C:\\att\\QDF1.tmp");
    EXPECT_EQ(s.store.files["C:\\att\\QDF1.tmp"], "Hi");
    EXPECT_EQ(s.store.files["C:\\att\\a.bin"], "keep");
}

TEST(MimeScannerMultipart, NoFolderMeansGeneratedNamesInTheTemporaryFolder) {
    Scan s(Inbox({Composed({{"a.bin", Lines({"SGk="})}})}), "");
    MimeMessageRecord* r = s.scanner.GetFirst();
    ASSERT_NE(r, nullptr);
    ASSERT_EQ(r->attachmentCount, 1);
    EXPECT_STREQ(r->attachments[0], "TMP\\QDF1.tmp");
}

TEST(MimeScannerMultipart, HostileNamesStayInsideTheFolder) {
    Scan s(Inbox({Composed({{"..\\..\\windows\\evil.dll", Lines({"SGk="})},
                            {"C:/boot.ini", Lines({"SGk="})},
                            {"..", Lines({"SGk="})}})}));
    MimeMessageRecord* r = s.scanner.GetFirst();
    ASSERT_NE(r, nullptr);
    ASSERT_EQ(r->attachmentCount, 3);
    EXPECT_STREQ(r->attachments[0], "C:\\att\\evil.dll");
    EXPECT_STREQ(r->attachments[1], "C:\\att\\boot.ini");
    EXPECT_STREQ(r->attachments[2], "C:\\att\\QDF1.tmp");
}

TEST(MimeScannerMultipart, OverlongPathGetsAGeneratedName) {
    std::string dir(150, 'd');
    Scan s(Inbox({Composed({{std::string(120, 'n'), Lines({"SGk="})}})}), dir.c_str());
    MimeMessageRecord* r = s.scanner.GetFirst();
    ASSERT_NE(r, nullptr);
    ASSERT_EQ(r->attachmentCount, 1);
    EXPECT_EQ(std::string(r->attachments[0]), dir + "\\QDF1.tmp");
}

TEST(MimeScannerMultipart, NinthAttachmentStaysInTheText) {
    std::vector<std::pair<std::string, std::string>> files;
    for (int i = 0; i < 9; ++i) files.push_back({"f" + std::to_string(i), Lines({"SGk="})});
    Scan s(Inbox({Composed(files)}));
    MimeMessageRecord* r = s.scanner.GetFirst();
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->attachmentCount, 8);
    EXPECT_EQ(s.store.files.count("C:\\att\\f8"), 0u);
    EXPECT_NE(Text(r).find("SGk=\r\n"), std::string::npos);
}

TEST(MimeScannerMultipart, QuotedPrintableIsSavedAndSevenBitTextIsNot) {
    std::string m = Lines({"MIME-Version: 1.0", "Content-Type: multipart/mixed; boundary=zz", "",
                           "--zz", "Content-Type: text/plain", "", "seven bit", "--zz",
                           "Content-Type: text/plain; charset=utf-8", "Content-Transfer-Encoding: quoted-printable",
                           "", "caf=C3=A9 and a soft=", " break", "..dot", "--zz--", "."});
    Scan s(Inbox({m}));
    MimeMessageRecord* r = s.scanner.GetFirst();
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(Text(r), "seven bit\r\n");
    ASSERT_EQ(r->attachmentCount, 1);
    EXPECT_EQ(s.store.files[r->attachments[0]], "caf\xc3\xa9 and a soft break\r\n.dot");
}

TEST(MimeScannerMultipart, NestedMultipartUsesItsOwnBoundaryThenTheOuter) {
    std::string m = Lines({"MIME-Version: 1.0", "Content-Type: multipart/mixed;",
                           "\tboundary=\"outer\"", "", "--outer",
                           "Content-Type: multipart/alternative; boundary=\"inner\"", "", "--inner",
                           "Content-Type: text/plain", "", "plain version", "--inner",
                           "Content-Type: text/html", "Content-Transfer-Encoding: 7bit",
                           "Content-Disposition: inline; filename=\"page.html\"", "", "<p>html</p>",
                           "--inner--", "", "--outer", "Content-Type: text/plain", "", "after nest",
                           "--outer--", "."});
    Scan s(Inbox({m}));
    MimeMessageRecord* r = s.scanner.GetFirst();
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(Text(r), "plain version\r\nafter nest\r\n");
    ASSERT_EQ(r->attachmentCount, 1);
    EXPECT_EQ(s.store.files["C:\\att\\page.html"], "<p>html</p>");
}

TEST(MimeScannerMultipart, LooseEndsHaveSafeOutcomes) {
    // "--" lines that are no delimiter, text after the outermost closing
    // delimiter, a part header without Content-Type first, capitalised
    // media types, and an attachment cut off by the end of the message.
    std::string m = Lines({"MIME-Version: 1.0", "Content-Type: Multipart/Mixed; boundary=\"-b\"", "",
                           "--- not a delimiter", "-- ", "---b", "Content-Disposition: attachment; filename=x.txt",
                           "Content-Type: Text/Plain", "", "named text", "---b--", "epilogue", "."});
    Scan s(Inbox({m, Lines({"Subject: next", "", "n", "."})}));
    MimeMessageRecord* r = s.scanner.GetFirst();
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(Text(r), Lines({"--- not a delimiter", "-- ", "epilogue"}));
    ASSERT_EQ(r->attachmentCount, 1);
    EXPECT_EQ(s.store.files["C:\\att\\x.txt"], "named text");
    ASSERT_NE(s.scanner.GetNext(), nullptr);

    std::string cut = Lines({"MIME-Version: 1.0", "Content-Type: multipart/mixed; boundary=q", "", "--q",
                             "Content-Type: application/octet-stream", "Content-Transfer-Encoding: base64", "",
                             "AAEC", "AwQF"});
    Scan t("Letters : 1\r\nBEGIN MESSAGE\r\n" + cut);
    r = t.scanner.GetFirst();
    ASSERT_NE(r, nullptr);
    ASSERT_EQ(r->attachmentCount, 1);
    EXPECT_EQ(t.store.files[r->attachments[0]], std::string("\0\1\2\3\4\5", 6));
    EXPECT_TRUE(t.store.open.empty());
}

TEST(MimeScannerMultipart, SinglePartBase64StaysEncodedInTheText) {
    std::string m = Lines({"MIME-Version: 1.0", "Content-Type: text/plain", "Content-Transfer-Encoding: base64",
                           "", "SGk=", "--", "."});
    Scan s(Inbox({m}));
    MimeMessageRecord* r = s.scanner.GetFirst();
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(Text(r), "SGk=\r\n--\r\n");
    EXPECT_EQ(r->attachmentCount, 0);
}

TEST(MimeScannerMultipart, FailedUniqueNameLeavesThePartInTheText) {
    Scan s(Inbox({Composed({{"a.bin", Lines({"SGk="})}})}), "");
    s.store.failUnique = true;
    MimeMessageRecord* r = s.scanner.GetFirst();
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->attachmentCount, 0);
    EXPECT_NE(Text(r).find("SGk=\r\n"), std::string::npos);
}

}  // namespace
