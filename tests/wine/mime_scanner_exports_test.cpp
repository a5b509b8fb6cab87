// The MIME scanner through its exports: real inbox and attachment files.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "inbox_test_files.h"
#include "zenk32.h"

namespace {

std::string TempFolder(const char* leaf) {
    char base[MAX_PATH];
    GetTempPathA(sizeof base, base);
    std::string dir = std::string(base) + leaf + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    DWORD wrote = 0;
    WriteFile(f, bytes.data(), DWORD(bytes.size()), &wrote, nullptr);
    CloseHandle(f);
}


const char kMessage[] =
    "From: a@x\r\nTo: b@x\r\nSubject: files\r\nMIME-Version: 1.0\r\n"
    "Content-Type: multipart/mixed; boundary=\"=_b\"\r\n\r\n"
    "--=_b\r\nContent-Type: text/plain\r\n\r\nSee the file.\r\n\r\n"
    "--=_b\r\nContent-Type: application/octet-stream\r\nContent-Transfer-Encoding: base64\r\n"
    "Content-Disposition: attachment; filename=\"data.bin\"\r\n\r\nAAECAwT/\r\n\r\n"
    "--=_b--\r\n.\r\n";

std::string Inbox() {
    return std::string("Letters : 2\r\nBEGIN MESSAGE\r\n") + kMessage +
           "END MESSAGE\r\nBEGIN MESSAGE\r\nSubject: two\r\n\r\nplain\r\n.\r\nEND MESSAGE\r\n";
}

TEST(MimeScanExports, RefusedBeforeInit) {
    void* h = nullptr;
    EXPECT_EQ(ZENKMimeScanStart("x", "", &h), ZENK_NOT_READY);
    EXPECT_EQ(ZENKMimeScanGetFirst(&h), nullptr);
    ZENKInit();
}

TEST(MimeScanExports, NullHandlesAndOutputs) {
    int n = 7;
    EXPECT_EQ(ZENKMimeScanNumMessages(nullptr, &n), ZENK_BAD_HANDLE);
    EXPECT_EQ(ZENKMimeScanGetFirst(nullptr), nullptr);
    EXPECT_EQ(ZENKMimeScanGetNext(nullptr), nullptr);
    EXPECT_EQ(ZENKMimeScanClose(nullptr), ZENK_BAD_HANDLE);
    EXPECT_EQ(ZENKMimeScanStart("x", "", nullptr), ZENK_FAILED);
}

TEST(MimeScanExports, ReadOnlyInboxScansAndAttachmentsAreWritten) {
    std::string dir = TempFolder("zenkscan");
    std::string inbox = dir + "\\inbox.txt";
    WriteFileBytes(inbox, Inbox());
    SetFileAttributesA(inbox.c_str(), FILE_ATTRIBUTE_READONLY);
    WriteFileBytes(dir + "\\data.bin", "existing");  // planted: must not be overwritten
    void* h = nullptr;
    ASSERT_EQ(ZENKMimeScanStart(inbox.c_str(), dir.c_str(), &h), 0);
    int n = 0;
    EXPECT_EQ(ZENKMimeScanNumMessages(h, &n), 0);
    EXPECT_EQ(n, 2);
    // Held without sharing while the scanner is open.
    HANDLE other = CreateFileA(inbox.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(other, INVALID_HANDLE_VALUE);
    if (other != INVALID_HANDLE_VALUE) CloseHandle(other);

    MimeMessageRecord* r = ZENKMimeScanGetFirst(h);
    ASSERT_NE(r, nullptr);
    EXPECT_STREQ(r->subject, "files");
    EXPECT_STREQ(r->text, "See the file.\r\n\r\n");
    EXPECT_EQ(r->textLength, 18);
    ASSERT_EQ(r->attachmentCount, 1);
    std::string path = r->attachments[0];
    EXPECT_EQ(path.rfind(dir + "\\QDF", 0), 0u) << path;
    EXPECT_EQ(inboxtest::ReadWholeFile(path), std::string("\0\1\2\3\4\xff", 6));
    EXPECT_EQ(inboxtest::ReadWholeFile(dir + "\\data.bin"), "existing");

    r = ZENKMimeScanGetNext(h);
    ASSERT_NE(r, nullptr);
    EXPECT_STREQ(r->subject, "two");
    EXPECT_STREQ(r->text, "plain\r\n");
    EXPECT_EQ(ZENKMimeScanGetNext(h), nullptr);
    EXPECT_EQ(ZENKMimeScanClose(h), 0);
    EXPECT_EQ(inboxtest::ReadWholeFile(path), std::string("\0\1\2\3\4\xff", 6));  // stays on disk
    DeleteFileA(path.c_str());
    DeleteFileA((dir + "\\data.bin").c_str());
    SetFileAttributesA(inbox.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(inbox.c_str());
    RemoveDirectoryA(dir.c_str());
}

TEST(MimeScanExports, NamedAttachmentGoesToTheFolderAndNoFolderToTemp) {
    std::string dir = TempFolder("zenkscan2");
    std::string inbox = dir + "\\inbox.txt";
    WriteFileBytes(inbox, Inbox());
    void* h = nullptr;
    ASSERT_EQ(ZENKMimeScanStart(inbox.c_str(), dir.c_str(), &h), 0);
    MimeMessageRecord* r = ZENKMimeScanGetFirst(h);
    ASSERT_NE(r, nullptr);
    ASSERT_EQ(r->attachmentCount, 1);
    EXPECT_EQ(std::string(r->attachments[0]), dir + "\\data.bin");
    EXPECT_EQ(inboxtest::ReadWholeFile(dir + "\\data.bin"), std::string("\0\1\2\3\4\xff", 6));
    ZENKMimeScanClose(h);

    ASSERT_EQ(ZENKMimeScanStart(inbox.c_str(), "", &h), 0);
    r = ZENKMimeScanGetFirst(h);
    ASSERT_NE(r, nullptr);
    ASSERT_EQ(r->attachmentCount, 1);
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string generated = r->attachments[0];
    EXPECT_EQ(generated.rfind(std::string(temp) + "QDF", 0), 0u) << generated;
    EXPECT_EQ(inboxtest::ReadWholeFile(generated), std::string("\0\1\2\3\4\xff", 6));
    ZENKMimeScanClose(h);
    DeleteFileA(generated.c_str());
    DeleteFileA((dir + "\\data.bin").c_str());
    DeleteFileA(inbox.c_str());
    RemoveDirectoryA(dir.c_str());
}

TEST(MimeScanExports, InboxHeldElsewhereOrMissingGivesNoMessages) {
    std::string dir = TempFolder("zenkscan3");
    std::string inbox = dir + "\\inbox.txt";
    WriteFileBytes(inbox, Inbox());
    HANDLE held = CreateFileA(inbox.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    for (const char* path : {inbox.c_str(), "Z:\\no\\such\\inbox.txt"}) {
        void* h = nullptr;
        ASSERT_EQ(ZENKMimeScanStart(path, "", &h), 0);
        int n = 5;
        EXPECT_EQ(ZENKMimeScanNumMessages(h, &n), 0);
        EXPECT_EQ(n, 0);
        EXPECT_EQ(ZENKMimeScanGetFirst(h), nullptr);
        EXPECT_EQ(ZENKMimeScanGetNext(h), nullptr);
        EXPECT_EQ(ZENKMimeScanClose(h), 0);
    }
    CloseHandle(held);
    DeleteFileA(inbox.c_str());
    RemoveDirectoryA(dir.c_str());
}

// Mail as other software writes it, through the exports onto real files: a
// megabyte line, a multipart without boundary between sound records, a
// boundary and a file name on folded lines, a base64 attachment on one long
// line under a name too long to keep whole, and an 8bit file whose bytes
// must come back exactly.
TEST(MimeScanExports, RealMailComesBackWhole) {
    std::string dir = TempFolder("zenkscan4");
    std::string inbox = dir + "\\inbox.txt";
    const std::string megabyte(1 << 20, 'm');
    std::string base64, bytes;
    for (int i = 0; i < 247; ++i) {
        base64 += "AP8A";
        bytes += std::string("\0\xff\0", 3);
    }
    const std::string longName = std::string(140, 'A') + ".exe.txt";
    const std::string keptName = std::string(139, 'A') + ".txt";
    std::string records =
        "BEGIN MESSAGE\r\nSubject: big\r\n\r\nbefore\r\n" + megabyte + "\r\nafter\r\n.\r\nEND MESSAGE\r\n"
        "BEGIN MESSAGE\r\nSubject: no boundary\r\nMIME-Version: 1.0\r\nContent-Type: multipart/mixed;\r\n\r\n"
        "--x\r\nbody\r\n.\r\nEND MESSAGE\r\n"
        "BEGIN MESSAGE\r\nSubject: Returned mail (17 max):\r\n from relay\r\nMIME-Version: 1.0\r\n"
        "Content-Type: multipart/report; report-type=delivery-status;\r\n\tboundary=\"9B0/r\"\r\n\r\n"
        "--9B0/r\r\nContent-Type: text/plain\r\n\r\nreport text\r\n\r\n"
        "--9B0/r\r\nContent-Type: application/octet-stream\r\nContent-Transfer-Encoding: base64\r\n"
        "Content-Disposition: attachment;\r\n filename=\"" + longName + "\"\r\n\r\n" + base64 + "\r\n"
        "--9B0/r\r\nContent-Type: application/octet-stream; name=\"raw.bin\"\r\nContent-Transfer-Encoding: 8bit\r\n\r\n"
        "r\xe9\r\nsult\r\n--9B0/r--\r\n.\r\nEND MESSAGE\r\n"
        "BEGIN MESSAGE\r\nSubject: last\r\n\r\nl\r\n.\r\nEND MESSAGE\r\n";
    WriteFileBytes(inbox, "Letters : 4\r\n" + records);
    void* h = nullptr;
    ASSERT_EQ(ZENKMimeScanStart(inbox.c_str(), dir.c_str(), &h), 0);
    MimeMessageRecord* r = ZENKMimeScanGetFirst(h);
    ASSERT_NE(r, nullptr);
    EXPECT_TRUE(std::string(r->text) == "before\r\n" + megabyte + "\r\nafter\r\n");
    r = ZENKMimeScanGetNext(h);
    ASSERT_NE(r, nullptr);
    EXPECT_STREQ(r->subject, "no boundary");
    EXPECT_STREQ(r->text, "--x\r\nbody\r\n");
    r = ZENKMimeScanGetNext(h);
    ASSERT_NE(r, nullptr);
    EXPECT_STREQ(r->subject, "Returned mail (17 max): from relay");
    EXPECT_STREQ(r->text, "report text\r\n\r\n");
    ASSERT_EQ(r->attachmentCount, 2);
    EXPECT_EQ(std::string(r->attachments[0]), dir + "\\" + keptName);
    EXPECT_EQ(inboxtest::ReadWholeFile(dir + "\\" + keptName), bytes);
    EXPECT_EQ(std::string(r->attachments[1]), dir + "\\raw.bin");
    EXPECT_EQ(inboxtest::ReadWholeFile(dir + "\\raw.bin"), "r\xe9\r\nsult");
    r = ZENKMimeScanGetNext(h);
    ASSERT_NE(r, nullptr);
    EXPECT_STREQ(r->subject, "last");
    EXPECT_EQ(ZENKMimeScanGetNext(h), nullptr);
    EXPECT_EQ(ZENKMimeScanClose(h), 0);
    DeleteFileA((dir + "\\" + keptName).c_str());
    DeleteFileA((dir + "\\raw.bin").c_str());
    DeleteFileA(inbox.c_str());
    RemoveDirectoryA(dir.c_str());
}

// An attachment of many blocks through real files, with a line reading
// "END MESSAGE" amid its base64 lines (text, since no end mark precedes it):
// finding the record's end reads ahead and returns to blocks already
// passed, and the file still comes back byte for byte, also when
// ZENKMimeScanGetFirst starts over.
TEST(MimeScanExports, ManyBlockAttachmentWithAMarkerLineInsideComesBackWhole) {
    std::string dir = TempFolder("zenkscan5");
    std::string inbox = dir + "\\inbox.txt";
    const char* groups[] = {"AP8A", "AAEC", "AwQF"};
    const char* groupBytes[] = {"\0\xff\0", "\0\1\2", "\3\4\5"};
    std::string encoded, bytes;
    for (int line = 0; line < 6000; ++line) {
        for (int g = 0; g < 19; ++g) {
            encoded += groups[(line + g) % 3];
            bytes.append(groupBytes[(line + g) % 3], 3);
        }
        encoded += "\r\n";
        if (line == 4000) encoded += "END MESSAGE\r\n";
    }
    const std::string record =
        "BEGIN MESSAGE\r\nSubject: many\r\nMIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"b\"\r\n\r\n"
        "--b\r\nContent-Type: text/plain\r\n\r\nhere\r\n--b\r\nContent-Transfer-Encoding: base64\r\n"
        "Content-Disposition: attachment; filename=\"many.bin\"\r\n\r\n" + encoded + "--b--\r\n.\r\nEND MESSAGE\r\n";
    WriteFileBytes(inbox, "Letters : 2\r\n" + record + "BEGIN MESSAGE\r\nSubject: two\r\n\r\nt\r\n.\r\nEND MESSAGE\r\n");
    void* h = nullptr;
    ASSERT_EQ(ZENKMimeScanStart(inbox.c_str(), dir.c_str(), &h), 0);
    for (int pass = 0; pass < 2; ++pass) {
        MimeMessageRecord* r = ZENKMimeScanGetFirst(h);
        ASSERT_NE(r, nullptr) << pass;
        EXPECT_STREQ(r->text, "here\r\n");
        ASSERT_EQ(r->attachmentCount, 1);
        const std::string path = r->attachments[0];
        if (pass == 0)
            EXPECT_EQ(path, dir + "\\many.bin");
        else
            EXPECT_EQ(path.rfind(dir + "\\QDF", 0), 0u) << path;  // the name is taken by then
        EXPECT_TRUE(inboxtest::ReadWholeFile(path) == bytes) << pass;
        r = ZENKMimeScanGetNext(h);
        ASSERT_NE(r, nullptr);
        EXPECT_STREQ(r->subject, "two");
        EXPECT_EQ(ZENKMimeScanGetNext(h), nullptr);
        if (pass == 1) DeleteFileA(path.c_str());
    }
    EXPECT_EQ(ZENKMimeScanClose(h), 0);
    DeleteFileA((dir + "\\many.bin").c_str());
    DeleteFileA(inbox.c_str());
    RemoveDirectoryA(dir.c_str());
}

}  // namespace

namespace {

// The charset exports' answers for bad handles, names and buffers, and the
// text charset of a record whose text part is quoted-printable.
TEST(MimeScanExports, CharsetNamesAndBuffers) {
    ZENKInit();
    char buffer[40];
    EXPECT_EQ(ZENKMimeScanSetCharset(nullptr, "utf-8"), ZENK_BAD_HANDLE);
    EXPECT_EQ(ZENKMimeScanGetCharset(nullptr, buffer, sizeof buffer), ZENK_BAD_HANDLE);
    EXPECT_EQ(ZENKMimePrepSetCharset(nullptr, "utf-8"), ZENK_BAD_HANDLE);

    const std::string dir = TempFolder("zcs");
    const std::string inbox = dir + "\\inbox.txt";
    WriteFileBytes(inbox, "Letters : 1\r\nBEGIN MESSAGE\r\nSubject: =?utf-8?Q?caf=C3=A9?=\r\n"
                          "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=ISO-8859-15\r\n"
                          "Content-Transfer-Encoding: quoted-printable\r\n\r\ncaf=E9 =A4\r\n.\r\nEND MESSAGE\r\n");
    void* h = nullptr;
    ASSERT_EQ(ZENKMimeScanStart(inbox.c_str(), dir.c_str(), &h), ZENK_OK);
    const char* const refused[] = {nullptr, "", "x-unknown", "iso-2022-jp",
                                   "a-name-far-longer-than-any-charset-name-there-is"};
    for (const char* name : refused)
        EXPECT_EQ(ZENKMimeScanSetCharset(h, name), ZENK_FAILED) << (name ? name : "null");
    ASSERT_EQ(ZENKMimeScanSetCharset(h, "UTF-8"), ZENK_OK);
    MimeMessageRecord* r = ZENKMimeScanGetFirst(h);
    ASSERT_NE(r, nullptr);
    EXPECT_STREQ(r->subject, "caf\xc3\xa9");
    EXPECT_STREQ(r->text, "caf\xe9 \xa4\r\n");
    const struct {
        int size;
        int result;
        const char* text;
    } buffers[] = {{40, ZENK_OK, "ISO-8859-15"}, {12, ZENK_OK, "ISO-8859-15"}, {11, ZENK_FAILED, ""},
                   {1, ZENK_FAILED, ""}, {0, ZENK_FAILED, "untouched"}};
    for (const auto& b : buffers) {
        std::strcpy(buffer, "untouched");
        EXPECT_EQ(ZENKMimeScanGetCharset(h, buffer, b.size), b.result) << b.size;
        EXPECT_STREQ(buffer, b.text) << b.size;
    }
    EXPECT_EQ(ZENKMimeScanGetCharset(h, nullptr, 40), ZENK_FAILED);
    EXPECT_EQ(ZENKMimeScanClose(h), ZENK_OK);
    DeleteFileA(inbox.c_str());
    RemoveDirectoryA(dir.c_str());
}

}  // namespace
