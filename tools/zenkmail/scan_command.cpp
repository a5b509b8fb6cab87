// zenkmail scan: reads an inbox file back into messages.
//
//   zenkmail scan --inbox FILE [--attachments DIR] [--charset NAME]
//
// Prints every record's fields, its text and the paths (and sizes) of the
// attachment files written. A record the library reports as bad is named
// on stderr and the scan goes on with the next one. Exit codes: 0 done,
// 1 the inbox cannot be read, 2 bad command line, 4 done, but one or more
// messages could not be read (kExitBadMessages).
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "print.h"
#include "mime/charset_names.h"
#include "zenk32.h"
#include "zenkmail_pop3.h"

namespace {

constexpr int kExitBadMessages = 4;

void ScanUsage(FILE* out) {
    std::fputs(
        "usage: zenkmail scan --inbox FILE [--attachments DIR] [--charset NAME]\n"
        "  Reads the messages of an inbox file written by 'zenkmail fetch' and prints\n"
        "  each one's header fields, text and attachments. Attachments are decoded\n"
        "  into DIR under their own names (a generated QDF name when the name is\n"
        "  taken); without DIR they go to the temporary folder. Encoded subjects\n"
        "  and attachment names are shown decoded into the character set NAME\n"
        "  (default: the ANSI code page) where every character fits; the text is\n"
        "  shown in its own character set, named on its Charset line.\n"
        "  Exit status: 0 done, 1 the inbox cannot be read, 2 bad command line,\n"
        "  4 one or more messages could not be read (named on stderr; the others\n"
        "  are listed).\n",
        out);
}

// Paths come in the code page the scan was asked for (0: the ANSI one).
long long FileSize(const char* path, unsigned codePage) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    wchar_t wide[MAX_PATH + 1];
    if (codePage == 0 ? !GetFileAttributesExA(path, GetFileExInfoStandard, &data)
                      : !MultiByteToWideChar(codePage, 0, path, -1, wide, MAX_PATH + 1) ||
                            !GetFileAttributesExW(wide, GetFileExInfoStandard, &data))
        return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void PrintText(const MimeMessageRecord& r) {
    int length = r.textLength > 0 ? r.textLength - 1 : 0;
    Print("  Text (%d bytes):\n", length);
    const char* p = r.text;
    const char* end = r.text ? r.text + length : nullptr;
    while (p && p < end) {
        const char* eol = static_cast<const char*>(std::memchr(p, '\n', end - p));
        const char* stop = eol ? eol : end;
        int n = static_cast<int>(stop - p);
        if (n > 0 && p[n - 1] == '\r') --n;
        Print("    | %.*s\n", n, p);
        p = eol ? eol + 1 : end;
    }
}

void PrintRecord(int number, int count, const MimeMessageRecord& r, const char* charset, unsigned codePage) {
    Print("Message %d of %d\n", number, count);
    Print("  Message-ID: %s\n  Date: %s\n  From: %s\n  Subject: %s\n", r.messageId, r.date, r.from,
                r.subject);
    for (int i = 0; i < r.toCount; ++i) Print("  To: %s\n", r.to[i]);
    for (int i = 0; i < r.ccCount; ++i) Print("  Cc: %s\n", r.cc[i]);
    for (int i = 0; i < r.attachmentCount; ++i)
        Print("  Attachment: %s (%lld bytes)\n", r.attachments[i], FileSize(r.attachments[i], codePage));
    Print("  Charset: %s\n", charset);
    PrintText(r);
}

}  // namespace

int ScanCommand(int argc, char** argv) {
    const char *inbox = nullptr, *dir = "", *charset = nullptr;
    for (int i = 0; i < argc; ++i) {
        const char* a = argv[i];
        if (!std::strcmp(a, "--help") || !std::strcmp(a, "-h")) {
            ScanUsage(stdout);
            return 0;
        } else if (!std::strcmp(a, "--inbox") && i + 1 < argc) inbox = argv[++i];
        else if (!std::strcmp(a, "--attachments") && i + 1 < argc) dir = argv[++i];
        else if (!std::strcmp(a, "--charset") && i + 1 < argc) charset = argv[++i];
        else {
            PrintError("zenkmail scan: unknown or incomplete option '%s'\n", a);
            ScanUsage(stderr);
            return 2;
        }
    }
    if (!inbox) {
        PrintError("zenkmail scan: --inbox is required\n");
        ScanUsage(stderr);
        return 2;
    }
    if (std::strlen(dir) >= 160) {
        PrintError("zenkmail scan: the attachment folder name is too long (at most 159)\n");
        return 2;
    }
    if (GetFileAttributesA(inbox) == INVALID_FILE_ATTRIBUTES) {
        PrintError("zenkmail scan: cannot find the inbox file %s\n", inbox);
        return 1;
    }
    ZENKInit();
    void* scanner = nullptr;
    if (ZENKMimeScanStart(inbox, dir, &scanner) != 0) {
        PrintError("zenkmail scan: no memory for a scanner\n");
        return 1;
    }
    const zenk::CharsetInfo* set = charset ? zenk::FindCharset(charset) : nullptr;
    if (charset && ZENKMimeScanSetCharset(scanner, charset) != 0) {
        PrintError("zenkmail scan: unknown character set '%s'\n", charset);
        ZENKMimeScanClose(scanner);
        return 2;
    }
    int count = 0;
    ZENKMimeScanNumMessages(scanner, &count);
    Print("%s: %d message(s)\n", inbox, count);
    // A NULL before the count is reached is a bad record: the next request
    // goes on with the record after it.
    int bad = 0;
    for (int number = 1; number <= count; ++number) {
        MimeMessageRecord* r = number == 1 ? ZENKMimeScanGetFirst(scanner) : ZENKMimeScanGetNext(scanner);
        if (r) {
            char textCharset[40] = "";
            ZENKMimeScanGetCharset(scanner, textCharset, sizeof textCharset);
            PrintRecord(number, count, *r, textCharset, set ? set->codePage : 0);
            continue;
        }
        ++bad;
        std::fflush(stdout);  // the listing so far comes before the complaint
        PrintError("zenkmail scan: message %d cannot be read (an attachment file cannot be written,"
                             " or no memory); its files are removed\n", number);
    }
    int status = 0;
    if (bad) {
        std::fflush(stdout);
        PrintError("zenkmail scan: %d of %d message(s) cannot be read\n", bad, count);
        status = kExitBadMessages;
    }
    ZENKMimeScanClose(scanner);
    return status;
}
