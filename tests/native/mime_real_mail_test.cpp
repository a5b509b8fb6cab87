// MimeScanner on mail shaped as other mail software writes it: delivery
// reports, multipart/related and signed mail, folded header fields, names
// given only in Content-Type, over-long lines, and inboxes where one record
// is broken. Each record is also scanned alone, to show that no state
// passes from one record to the next.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "mime/mime_scanner.h"
#include "mime_test_support.h"

using namespace zenk;
using namespace mimetest;

namespace {

// What a caller sees of a record: its fields, its text, and for each
// attachment the file's leaf name (generated ones as "QDF") and bytes.
std::string Dump(const MimeMessageRecord* r, MemoryStore& store) {
    if (!r) return "<bad record>";
    std::string d = "subject=" + std::string(r->subject) + "|from=" + r->from + "|date=" + r->date +
                    "|id=" + r->messageId;
    for (int i = 0; i < r->toCount; ++i) d += "|to=" + std::string(r->to[i]);
    for (int i = 0; i < r->ccCount; ++i) d += "|cc=" + std::string(r->cc[i]);
    d += "|text=" + Text(r);
    for (int i = 0; i < r->attachmentCount; ++i) {
        std::string path = r->attachments[i];
        std::string leaf = path.substr(path.rfind('\\') + 1);
        if (leaf.rfind("QDF", 0) == 0) leaf = "QDF";
        d += "|file " + leaf + "=" + store.files[path];
    }
    return d;
}

struct Expected {
    const char* subject;
    std::string text;
    std::vector<std::pair<std::string, std::string>> files;  // leaf name, bytes
};

struct Case {
    const char* what;
    std::string message;
    Expected expected;
};

const std::string kPdfBase64 = "JVBERi0xLjQKJcfs";  // "%PDF-1.4\n%" and 2 bytes
const std::string kPdfBytes = std::string("%PDF-1.4\n%\xc7\xec", 12);

std::vector<Case> RealMail() {
    std::vector<Case> cases;
    cases.push_back({"delivery report, boundary on a folded line",
                     Lines({"From: MAILER-DAEMON@x.org", "Subject: Returned mail: Too many hops 19 (17 max): from",
                            "\t<al@x.org> via relay", "MIME-Version: 1.0",
                            "Content-Type: multipart/report; report-type=delivery-status;",
                            "\tboundary=\"9B0.1/relay\"", "", "This is a MIME-encapsulated message", "",
                            "--9B0.1/relay", "", "The original message was received.", "",
                            "--9B0.1/relay", "Content-Type: message/delivery-status", "",
                            "Reporting-MTA: dns; relay", "", "--9B0.1/relay",
                            "Content-Type: application/pdf", "Content-Transfer-Encoding: base64",
                            "Content-Disposition: attachment;", " filename=\"report.pdf\"", "", kPdfBase64,
                            "--9B0.1/relay--", "."}),
                     {"Returned mail: Too many hops 19 (17 max): from\t<al@x.org> via relay",
                      Lines({"This is a MIME-encapsulated message", "", "The original message was received.", "",
                             "Reporting-MTA: dns; relay", ""}),
                      {{"report.pdf", kPdfBytes}}}});
    cases.push_back({"multipart/related with type= first, name only in Content-Type",
                     Lines({"Subject: page", "MIME-Version: 1.0", "Content-Type: multipart/related; type=\"text/html\";",
                            "  boundary=\"rel\"", "", "--rel", "Content-Type: text/html; charset=utf-8",
                            "Content-Transfer-Encoding: quoted-printable", "", "<p>caf=C3=A9</p>", "--rel",
                            "Content-Type: image/png;", " name=\"logo.png\"", "Content-Transfer-Encoding: base64",
                            "Content-ID: <logo>", "", "iVBORw0K", "--rel--", "."}),
                     {"page", "", {{"QDF", "<p>caf\xc3\xa9</p>"}, {"logo.png", "\x89PNG\r\n"}}}});
    cases.push_back({"signed mail, micalg before the boundary; binary part bytes exact",
                     Lines({"Subject: signed", "MIME-Version: 1.0",
                            "Content-Type: multipart/signed; micalg=pgp-sha256;",
                            " protocol=\"application/pgp-signature\"; boundary=sig", "", "--sig",
                            "Content-Type: text/plain", "", "signed text", "", "--sig",
                            "Content-Type: application/octet-stream; name=\"raw.bin\"",
                            "Content-Transfer-Encoding: binary", "", "b\x01n", "ary", "--sig--", "."}),
                     {"signed", Lines({"signed text", ""}), {{"raw.bin", "b\x01n\r\nary"}}}});
    cases.push_back({"multipart without a boundary is given back as text",
                     Lines({"Subject: no boundary", "MIME-Version: 1.0", "Content-Type: multipart/mixed;",
                            "X-Other: 1", "", "--x", "body", "."}),
                     {"no boundary", Lines({"--x", "body"}), {}}});
    cases.push_back({"multipart without MIME-Version is text, leading empty lines dropped",
                     Lines({"Subject: old", "Content-Type: multipart/mixed; boundary=\"b\"", "", "", "--b",
                            "Content-Type: text/plain", "", "hi", "--b--", "."}),
                     {"old", Lines({"--b", "Content-Type: text/plain", "", "hi", "--b--"}), {}}});
    return cases;
}

TEST(MimeScannerRealMail, EachShapeGivesItsTextSubjectAndFiles) {
    for (const Case& c : RealMail()) {
        Scan s(Inbox({c.message}));
        MimeMessageRecord* r = s.scanner.GetFirst();
        ASSERT_NE(r, nullptr) << c.what;
        EXPECT_STREQ(r->subject, c.expected.subject) << c.what;
        EXPECT_EQ(Text(r), c.expected.text) << c.what;
        ASSERT_EQ(r->attachmentCount, int(c.expected.files.size())) << c.what;
        for (int i = 0; i < r->attachmentCount; ++i) {
            const std::string path = r->attachments[i];
            const std::string& name = c.expected.files[i].first;
            if (name == "QDF")
                EXPECT_NE(path.find("\\QDF"), std::string::npos) << c.what;
            else
                EXPECT_EQ(path, "C:\\att\\" + name) << c.what;
            EXPECT_EQ(s.store.files[path], c.expected.files[i].second) << c.what << " " << path;
        }
    }
}

// Every record of an inbox gives the same record scanned alone as scanned
// after the others; the order of the shapes is chosen so that a record
// follows one that ended inside an attachment, one with MIME-Version, and
// one that was given back as text.
TEST(MimeScannerRealMail, ARecordReadsTheSameAloneAndAmongOthers) {
    std::vector<std::string> messages;
    for (const Case& c : RealMail()) messages.push_back(c.message);
    messages.push_back(Lines({"Subject: plain", "", "", "kept after an empty line", "."}));
    messages.insert(messages.begin() + 2, Lines({"Subject: cut", "MIME-Version: 1.0",
                                                 "Content-Type: multipart/mixed; boundary=q", "", "--q",
                                                 "Content-Type: application/octet-stream",
                                                 "Content-Transfer-Encoding: base64", "", "AAEC", "."}));
    std::vector<std::string> alone;
    for (const std::string& m : messages) {
        Scan s(Inbox({m}));
        alone.push_back(Dump(s.scanner.GetFirst(), s.store));
    }
    Scan all(Inbox(messages));
    std::vector<std::string> together;
    for (MimeMessageRecord* r = all.scanner.GetFirst(); r || all.scanner.Index() < all.scanner.MessageCount();
         r = all.scanner.GetNext())
        together.push_back(Dump(r, all.store));
    ASSERT_EQ(together.size(), alone.size());
    for (std::size_t i = 0; i < alone.size(); ++i) EXPECT_EQ(together[i], alone[i]) << "record " << i + 1;
}

// A line of any length is read whole; nothing after it is lost.
TEST(MimeScannerRealMail, LongLinesAreReadWhole) {
    const std::string megabyte(1 << 20, 'm');
    const std::string boundaryLike = "--" + std::string(5000, 'b');
    std::string base64Line;
    std::string bytes;
    for (int i = 0; i < 247; ++i) {
        base64Line += "AAEC";  // bytes 0 1 2
        bytes += std::string("\0\1\2", 3);
    }
    const std::string longSubject(5000, 's');
    const std::string longTo = "To: " + std::string(3000, 't');
    Scan s(Inbox({Lines({"Subject: big", "", "before", megabyte, "after", "."}),
                  Lines({"Subject: " + longSubject, longTo, "MIME-Version: 1.0",
                         "Content-Type: multipart/mixed; boundary=\"b\"", "", "--b", "Content-Type: text/plain", "",
                         boundaryLike, "--b", "Content-Type: application/octet-stream",
                         "Content-Transfer-Encoding: base64", "Content-Disposition: attachment; filename=one.bin", "",
                         base64Line, "--b--", "."}),
                  Lines({"Subject: next", "", "n", "."})}));
    MimeMessageRecord* r = s.scanner.GetFirst();
    ASSERT_NE(r, nullptr);
    EXPECT_TRUE(Text(r) == Lines({"before", megabyte, "after"}));
    r = s.scanner.GetNext();
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(std::string(r->subject), longSubject.substr(0, 255));
    ASSERT_EQ(r->toCount, 1);
    EXPECT_EQ(std::string(r->to[0]), std::string(3000, 't'));
    EXPECT_EQ(Text(r), boundaryLike + "\r\n");
    ASSERT_EQ(r->attachmentCount, 1);
    EXPECT_EQ(base64Line.size(), 988u);
    EXPECT_EQ(s.store.files["C:\\att\\one.bin"], bytes);
    r = s.scanner.GetNext();
    ASSERT_NE(r, nullptr);
    EXPECT_STREQ(r->subject, "next");
    EXPECT_EQ(Text(r), "n\r\n");
}

// A folded or cut header field can never put a line break into a record
// field, nor into a file name.
TEST(MimeScannerRealMail, RecordFieldsHoldNoLineBreaks) {
    Scan s(Inbox({Lines({"Subject: one\rtwo", "From: a\r@x", "To: b@x,", " c\r@x", "Cc: \rd@x",
                         "Date: Mon,\r 1 Jan", "Message-ID: <\r1@x>", "MIME-Version: 1.0",
                         "Content-Type: multipart/mixed; boundary=b", "", "--b",
                         "Content-Disposition: attachment; filename*=utf-8''x%0D%0Ay.txt", "", "z", "--b--", "."})}));
    MimeMessageRecord* r = s.scanner.GetFirst();
    ASSERT_NE(r, nullptr);
    EXPECT_STREQ(r->subject, "one two");
    EXPECT_STREQ(r->from, "a @x");
    ASSERT_EQ(r->toCount, 1);
    EXPECT_STREQ(r->to[0], "b@x, c @x");
    ASSERT_EQ(r->attachmentCount, 1);
    EXPECT_STREQ(r->attachments[0], "C:\\att\\x__y.txt");
    for (const char* field : {r->subject, r->from, r->date, r->messageId, r->to[0], r->cc[0], r->attachments[0]})
        EXPECT_EQ(std::string(field).find_first_of("\r\n"), std::string::npos) << field;
}

// Thousands of To and Cc lines: each further value is joined to the last
// entry, which stops growing at its bound; every value before that is kept
// in order.
TEST(MimeScannerRealMail, ManyToLinesAreJoinedUpToABound) {
    std::string m;
    for (int i = 0; i < 20000; ++i) m += "To: t" + std::to_string(i) + "@x\r\nCc: c" + std::to_string(i) + "\r\n";
    Scan s(Inbox({m + "\r\nx\r\n.\r\n"}));
    MimeMessageRecord* r = s.scanner.GetFirst();
    ASSERT_NE(r, nullptr);
    ASSERT_EQ(r->toCount, 32);
    std::string joined = "t31@x";
    for (int i = 32; joined.size() + 2 + 3 + std::to_string(i).size() <= MessageRecordContent::kMaxJoinedEntry; ++i)
        joined += ", t" + std::to_string(i) + "@x";
    EXPECT_EQ(std::string(r->to[31]), joined);
    EXPECT_LE(std::strlen(r->cc[31]), MessageRecordContent::kMaxJoinedEntry);
    EXPECT_EQ(std::string(r->cc[31]).substr(0, 12), "c31, c32, c3");
    EXPECT_EQ(Text(r), "x\r\n");
}

// A full disk while an attachment is written: that record is reported as
// bad (null), every file written for it is removed, and the next record is
// read as usual.
TEST(MimeScannerRealMail, AFailedAttachmentWriteReportsTheRecordAndRemovesItsFiles) {
    const std::string twoFiles = Lines({"Subject: files", "MIME-Version: 1.0", "Content-Type: multipart/mixed; boundary=b",
                                        "", "--b", "Content-Disposition: attachment; filename=a.txt", "", "first",
                                        "--b", "Content-Disposition: attachment; filename=b.txt", "", "second",
                                        "--b--", "."});
    const std::string later = Lines({"Subject: later", "", "ok", "."});
    for (int writesLeft : {0, 1}) {  // the first file fails, or the second after the first is whole
        Scan s(Inbox({twoFiles, later}));
        s.store.writesLeft = writesLeft;
        EXPECT_EQ(s.scanner.GetFirst(), nullptr) << writesLeft;
        EXPECT_TRUE(s.store.files.empty()) << writesLeft;
        EXPECT_TRUE(s.store.open.empty());
        MimeMessageRecord* r = s.scanner.GetNext();
        ASSERT_NE(r, nullptr);
        EXPECT_STREQ(r->subject, "later");
        EXPECT_EQ(Text(r), "ok\r\n");
        EXPECT_EQ(s.scanner.GetNext(), nullptr);
    }
    // After a sound record, whose files stay.
    Scan s(Inbox({twoFiles, twoFiles, later}));
    ASSERT_NE(s.scanner.GetFirst(), nullptr);
    s.store.writesLeft = 0;
    EXPECT_EQ(s.scanner.GetNext(), nullptr);
    s.store.writesLeft = -1;
    MimeMessageRecord* r = s.scanner.GetNext();
    ASSERT_NE(r, nullptr);
    EXPECT_STREQ(r->subject, "later");
    EXPECT_EQ(s.store.files.size(), 2u);
    EXPECT_EQ(s.store.files["C:\\att\\a.txt"], "first");
    EXPECT_EQ(s.store.files["C:\\att\\b.txt"], "second");
}

}  // namespace
