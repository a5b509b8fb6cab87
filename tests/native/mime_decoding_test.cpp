// Line decoders, header fields and attachment names of the MIME scanner.
#include <gtest/gtest.h>

#include <string>

#include "mime/attachment_names.h"
#include "mime/header_fields.h"
#include "mime/transfer_decoding.h"

using namespace zenk;

namespace {

std::string Base64(std::string_view line) {
    std::string out(Base64LineBytes(line.size()), '\0');
    out.resize(DecodeBase64Line(line, reinterpret_cast<unsigned char*>(out.data())));
    return out;
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
    EXPECT_EQ(Base64(std::string(4001, 'A')), "");         // long, and not a multiple of 4
    EXPECT_EQ(Base64(std::string(4000, 'A') + "*AAA"), ""); // a bad group at the end of a long line
}

TEST(Base64Line, LongLinesDecodeWhole) {
    std::string bytes;
    for (int i = 0; i < 741; ++i) bytes += char(i * 7 + 3);
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string line;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        unsigned v = (unsigned char)bytes[i] << 16;
        if (i + 1 < bytes.size()) v |= (unsigned char)bytes[i + 1] << 8;
        if (i + 2 < bytes.size()) v |= (unsigned char)bytes[i + 2];
        line += kAlphabet[v >> 18 & 63];
        line += kAlphabet[v >> 12 & 63];
        line += i + 1 < bytes.size() ? kAlphabet[v >> 6 & 63] : '=';
        line += i + 2 < bytes.size() ? kAlphabet[v & 63] : '=';
    }
    ASSERT_EQ(line.size(), 988u);
    EXPECT_EQ(Base64(line), bytes);
    EXPECT_EQ(Base64(std::string(40000, '/')).size(), 30000u);
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

std::string Parameter(std::string_view value, std::string_view name) {
    GrowBuffer out;
    return FindParameter(value, name, out) ? std::string(out.View()) : "<none>";
}

// Parameters are found by name wherever they stand, never by position.
TEST(HeaderFields, ParametersByName) {
    struct Case {
        const char* value;
        const char* name;
        const char* expected;
    } cases[] = {
        {"multipart/mixed; boundary=\"a b=c\"", "boundary", "a b=c"},
        {"multipart/mixed; boundary=simple; x=y", "boundary", "simple"},
        {"multipart/mixed; charset=x; BOUNDARY=tok", "boundary", "tok"},
        {"multipart/report; report-type=delivery-status;  boundary=\"9B0\"", "boundary", "9B0"},
        {"multipart/related; type=\"text/html\";\tboundary=\"rel\"", "boundary", "rel"},
        {"multipart/signed; micalg=pgp-sha1; protocol=\"a;b\"; boundary = sig ;", "boundary", "sig"},
        {"multipart/mixed; x=\"boundary=no\"", "boundary", "<none>"},
        {"multipart/mixed;", "boundary", "<none>"},
        {"multipart/mixed; boundary=", "boundary", ""},
        {"multipart/mixed; boundary=\"open", "boundary", "open"},
        {"attachment; size=3; filename=a.txt; x", "filename", "a.txt"},
        {"attachment; filename=\"r \\\"1\\\".pdf\"", "filename", "r \"1\".pdf"},
        {"attachment; creation-date=\"x=y\"", "filename", "<none>"},
        {"application/pdf; filename=f.pdf; name=n.pdf", "name", "n.pdf"},
        {"attachment; filename*=utf-8''caf%C3%A9%20menu.txt", "filename", "caf\xc3\xa9 menu.txt"},
        {"attachment; filename*0=\"long \"; filename*1*=na%6De; filename*2=.txt", "filename", "long name.txt"},
        {"attachment; filename=plain.txt; filename*=utf-8''wins.txt", "filename", "wins.txt"},
    };
    for (const Case& c : cases) EXPECT_EQ(Parameter(c.value, c.name), c.expected) << c.value;
}

TEST(HeaderFields, TransferEncodingByWord) {
    struct Case {
        const char* value;
        int expected;
    } cases[] = {
        {"base64", kEncodingBase64},         {" BASE64 ", kEncodingBase64},
        {"Quoted-Printable", kEncodingQuotedPrintable}, {"7bit", kEncodingNone},
        {"", kEncodingNone},                 {"8bit", kEncodingOther},
        {"binary", kEncodingOther},          {"quoted", kEncodingOther},
        {"x-uuencode", kEncodingOther},      {"base64 (comment)", kEncodingBase64},
    };
    for (const Case& c : cases) EXPECT_EQ(TransferEncodingOf(c.value), c.expected) << c.value;
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

// A name too long for its field is shortened before its final extension.
TEST(AttachmentNames, ShortenedNamesKeepTheirExtension) {
    char n[144];
    const std::string stem(140, 'A');
    struct Case {
        std::string name;
        std::string expected;  // empty: refused
    } cases[] = {
        {stem + ".exe.txt", std::string(139, 'A') + ".txt"},
        {std::string(143, 'B'), std::string(143, 'B')},
        {std::string(150, 'C'), std::string(143, 'C')},
        {"x." + std::string(150, 'e'), ""},
        {"con" + std::string(150, '.') + "a", ""},
        {"a\r\nb.txt", "a__b.txt"},
        {std::string(138, 'D') + "\r\n.txt", std::string(138, 'D') + "_.txt"},
    };
    for (const Case& c : cases) {
        const bool ok = SafeAttachmentName(c.name, n, sizeof n);
        EXPECT_EQ(ok, !c.expected.empty()) << c.name;
        EXPECT_EQ(std::string(n), c.expected) << c.name;
    }
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
