// Line decoders, header fields and attachment names of the MIME scanner.
#include <gtest/gtest.h>

#include <string>

#include "mime/attachment_names.h"
#include "mime/header_fields.h"
#include "mime/transfer_decoding.h"

using namespace zenk;

namespace {

std::string Base64(std::string_view line) {
    unsigned char out[kBase64LineBytes];
    std::size_t n = DecodeBase64Line(line, out);
    return std::string(reinterpret_cast<char*>(out), n);
}

std::string QuotedPrintable(std::string_view line, bool* soft = nullptr) {
    std::string out(line.size(), '\0');
    bool s = false;
    out.resize(DecodeQuotedPrintableLine(line, reinterpret_cast<unsigned char*>(out.data()), &s));
    if (soft) *soft = s;
    return out;
}

TEST(Base64Line, DecodesGroupsAndPadding) {
    EXPECT_EQ(Base64("SGVsbG8gV29ybGQh"), "Hello World!");
    EXPECT_EQ(Base64("SGVsbG8="), "Hello");
    EXPECT_EQ(Base64("SGk="), "Hi");
    EXPECT_EQ(Base64("SA=="), "H");
    EXPECT_EQ(Base64("AP8A/w+/"), std::string("\x00\xff\x00\xff\x0f\xbf", 6));
    EXPECT_EQ(Base64("SGk=  \t"), "Hi");  // trailing blanks ignored
    EXPECT_EQ(Base64("SA==SGk="), "H");   // decoding stops at the padded group
    EXPECT_EQ(Base64(""), "");
}

TEST(Base64Line, BrokenLinesGiveNothing) {
    EXPECT_EQ(Base64("SGVsbG8"), "");      // not a multiple of 4
    EXPECT_EQ(Base64("SGV*bG8="), "");     // outside the alphabet
    EXPECT_EQ(Base64("SG=k"), "");         // "=" third but not fourth
    EXPECT_EQ(Base64(std::string(852, 'A')).size(), 639u);  // the longest line
    EXPECT_EQ(Base64(std::string(856, 'A')), "");           // 642 bytes do not fit
}

TEST(QuotedPrintableLine, EscapesSoftBreaksAndBadEscapes) {
    bool soft = true;
    EXPECT_EQ(QuotedPrintable("a=3Db=3d=C3=A9", &soft), "a=b=\xc3\xa9");
    EXPECT_FALSE(soft);
    EXPECT_EQ(QuotedPrintable("long line=", &soft), "long line");
    EXPECT_TRUE(soft);
    EXPECT_EQ(QuotedPrintable("100=ZZ% =4", &soft), "100=ZZ% =4");  // kept as written
    EXPECT_FALSE(soft);
    EXPECT_EQ(QuotedPrintable(std::string_view("=\x00" "1", 3), &soft), std::string("=\x00" "1", 3));
}

TEST(HeaderFields, KeysAreUpperCasedAndBounded) {
    char key[kHeaderKeyCapacity];
    EXPECT_EQ(HeaderKey("subject: Hi", key), "SUBJECT:");
    EXPECT_EQ(HeaderKey("no colon here", key), "");
    EXPECT_EQ(HeaderKey(std::string(46, 'x') + ": v", key).size(), 47u);
    EXPECT_EQ(HeaderKey(std::string(47, 'x') + ": v", key), "");  // 48 characters
    EXPECT_EQ(HeaderValue("Subject:   word (comment)", 8), "word ");
    EXPECT_EQ(HeaderValue("From: Al <al@x.org>", 5), "Al <al@x.org>");
    EXPECT_EQ(HeaderRest("Content-Type:  text/plain (x)", 13), "text/plain (x)");
}

TEST(HeaderFields, MediaTypesIgnoreCase) {
    EXPECT_TRUE(IsMultipartType("multipart/mixed"));
    EXPECT_TRUE(IsMultipartType("Multipart/Alternative"));
    EXPECT_FALSE(IsMultipartType("text/plain"));
    EXPECT_FALSE(IsMultipartType("Application/Octet-Stream"));
}

TEST(HeaderFields, BoundaryQuotedOrToken) {
    char b[128];
    EXPECT_EQ(FindBoundary("multipart/mixed; boundary=\"a b=c\"", b, sizeof b), BoundaryScan::kFound);
    EXPECT_STREQ(b, "a b=c");
    EXPECT_EQ(FindBoundary("multipart/mixed; boundary=simple; x=y", b, sizeof b), BoundaryScan::kFound);
    EXPECT_STREQ(b, "simple");
    EXPECT_EQ(FindBoundary("multipart/mixed; charset=x; BOUNDARY=tok", b, sizeof b), BoundaryScan::kFound);
    EXPECT_STREQ(b, "tok");
    EXPECT_EQ(FindBoundary("multipart/mixed;", b, sizeof b), BoundaryScan::kNoParameter);
    EXPECT_EQ(FindBoundary("multipart/mixed; boundary=\"open", b, sizeof b), BoundaryScan::kBad);
    EXPECT_EQ(FindBoundary("multipart/mixed; boundary=", b, sizeof b), BoundaryScan::kBad);
    EXPECT_EQ(FindBoundary("m; boundary=\"" + std::string(200, 'q') + "\"", b, sizeof b), BoundaryScan::kFound);
    EXPECT_EQ(std::string(b).size(), 127u);
}

TEST(HeaderFields, TransferEncodingAndFileName) {
    int e = -1;
    bool empty = true;
    EXPECT_TRUE(ParseTransferEncoding("Content-Transfer-Encoding: base64", &e, &empty));
    EXPECT_EQ(e, kEncodingBase64);
    EXPECT_FALSE(empty);
    EXPECT_TRUE(ParseTransferEncoding("content-transfer-encoding: Quoted-Printable", &e, &empty));
    EXPECT_EQ(e, kEncodingQuotedPrintable);
    EXPECT_TRUE(ParseTransferEncoding("Content-Transfer-Encoding: 8bit", &e, &empty));
    EXPECT_EQ(e, kEncodingOther);
    EXPECT_TRUE(ParseTransferEncoding("Content-Transfer-Encoding:   ", &e, &empty));
    EXPECT_TRUE(empty);
    EXPECT_FALSE(ParseTransferEncoding("Content-Type: text/plain", &e, &empty));

    char name[144];
    EXPECT_TRUE(DispositionFileName("Content-Disposition: attachment; filename=\"r 1.pdf\"", name, sizeof name));
    EXPECT_STREQ(name, "r 1.pdf");
    EXPECT_TRUE(DispositionFileName("Content-Disposition: attachment; size=3; filename=a.txt; x", name, sizeof name));
    EXPECT_STREQ(name, "a.txt");
    EXPECT_FALSE(DispositionFileName("Content-Disposition: inline", name, sizeof name));
}

TEST(AttachmentNames, NamesNeverLeaveTheFolder) {
    char n[144];
    EXPECT_TRUE(SafeAttachmentName("../../evil.txt", n, sizeof n));
    EXPECT_STREQ(n, "evil.txt");
    EXPECT_TRUE(SafeAttachmentName("C:\\Windows\\system32\\x.dll", n, sizeof n));
    EXPECT_STREQ(n, "x.dll");
    EXPECT_TRUE(SafeAttachmentName("D:boot.ini", n, sizeof n));
    EXPECT_STREQ(n, "boot.ini");
    EXPECT_TRUE(SafeAttachmentName("a<b>|\"?*\x01.txt", n, sizeof n));
    EXPECT_STREQ(n, "a_b______.txt");
    EXPECT_TRUE(SafeAttachmentName("name.txt. . ", n, sizeof n));
    EXPECT_STREQ(n, "name.txt");
    for (const char* bad : {"", "..", ".", "dir/", "CON", "nul.txt", "Com1", "lpt9.log", "file.txt:stream:"})
        EXPECT_FALSE(SafeAttachmentName(bad, n, sizeof n)) << bad;
    EXPECT_TRUE(SafeAttachmentName("COM10", n, sizeof n));
}

TEST(AttachmentNames, JoinedPathsStayWithinMaxPath) {
    char p[kMaxAttachmentPath + 1];
    EXPECT_TRUE(JoinAttachmentPath("C:\\in", "a.txt", p, sizeof p));
    EXPECT_STREQ(p, "C:\\in\\a.txt");
    EXPECT_TRUE(JoinAttachmentPath("C:\\in\\", "a.txt", p, sizeof p));
    EXPECT_STREQ(p, "C:\\in\\a.txt");
    std::string dir(159, 'd');
    EXPECT_TRUE(JoinAttachmentPath(dir, std::string(99, 'n'), p, sizeof p));   // 259
    EXPECT_FALSE(JoinAttachmentPath(dir, std::string(100, 'n'), p, sizeof p)); // 260
}

}  // namespace
