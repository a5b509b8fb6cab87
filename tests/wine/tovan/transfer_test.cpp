// tovan32.dll against real FTP servers: put and get in both types,
// listings, mput and mget, the unique options, the active-mode fallback
// and abort during a transfer.
#include <algorithm>
#include <vector>

#include "ftp_fixture.h"

using namespace ftptest;

namespace {

std::string Lines(const std::string& text) {
    std::string sorted;
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    std::sort(lines.begin(), lines.end());
    for (const auto& l : lines) sorted += l + "|";
    return sorted;
}

TEST(Transfer, BinaryRoundTripIsByteIdentical) {
    std::string dir = FreshLocalDir("binary");
    int h = Login();
    std::string local = dir + "\\binary.bin";
    ASSERT_EQ(ftp_get(h, "binary.bin", local.c_str()), TOVAN_OK) << LastMessage();
    std::string original = FileBytes(ServerHome() + "\\binary.bin");
    EXPECT_EQ(LastMessage(), "Received binary.bin into " + local + " (" + std::to_string(original.size()) +
                                 " bytes, binary)");
    EXPECT_TRUE(FileBytes(local) == original);

    ASSERT_EQ(ftp_put(h, local.c_str(), "binary-copy.bin"), TOVAN_OK) << LastMessage();
    EXPECT_EQ(LastMessage().rfind("Sent " + local + " as binary-copy.bin (", 0), 0u);
    EXPECT_TRUE(FileBytes(ServerHome() + "\\binary-copy.bin") == original);
    ftp_quit(h);
}

TEST(Transfer, AsciiModeUsesCrLfOnTheWire) {
    std::string dir = FreshLocalDir("ascii");
    int h = Login();
    ASSERT_EQ(ftp_setascii(h), TOVAN_OK);
    // The server's file has LF lines; the wire and so the local file CR LF.
    std::string local = dir + "\\text.txt";
    ASSERT_EQ(ftp_get(h, "text.txt", local.c_str()), TOVAN_OK) << LastMessage();
    EXPECT_EQ(FileBytes(local), "first line\r\nsecond line\r\n\r\nlast line\r\n");
    EXPECT_NE(LastMessage().find("bytes, ASCII)"), std::string::npos);

    // Bare LF and CR LF lines both leave as CR LF; the server stores LF.
    WriteFileBytes(dir + "\\mixed.txt", "one\ntwo\r\nthree\n");
    ASSERT_EQ(ftp_put(h, (dir + "\\mixed.txt").c_str(), "mixed.txt"), TOVAN_OK) << LastMessage();
    EXPECT_EQ(FileBytes(ServerHome() + "\\mixed.txt"), "one\ntwo\nthree\n");
    ftp_quit(h);
}

TEST(Transfer, FailuresLeaveLocalFilesAlone) {
    std::string dir = FreshLocalDir("failures");
    int h = Login();
    std::string keep = dir + "\\keep.txt";
    WriteFileBytes(keep, "precious");
    EXPECT_EQ(ftp_get(h, "missing.txt", keep.c_str()), TOVAN_ERR_REFUSED);
    EXPECT_EQ(LastMessage().rfind("RETR failed: 550", 0), 0u);
    EXPECT_EQ(FileBytes(keep), "precious");

    EXPECT_EQ(ftp_put(h, (dir + "\\nothing-here.txt").c_str(), "x.txt"), TOVAN_ERR_LOCALFILE);
    EXPECT_EQ(LastMessage().rfind("Cannot open local file " + dir + "\\nothing-here.txt", 0), 0u);
    EXPECT_FALSE(Exists(ServerHome() + "\\x.txt"));

    EXPECT_EQ(ftp_get(h, "text.txt", (dir + "\\no-folder\\t.txt").c_str()), TOVAN_ERR_LOCALFILE);
    EXPECT_EQ(LastMessage().rfind("Cannot create local file", 0), 0u);
    // The connection carries on after the transfer was stopped.
    EXPECT_EQ(ftp_get(h, "text.txt", (dir + "\\t.txt").c_str()), TOVAN_OK) << LastMessage();
    ftp_quit(h);
}

TEST(Listing, DirAndLsWriteTheirListings) {
    std::string dir = FreshLocalDir("listing");
    int h = Login();
    std::string longList = dir + "\\long.txt", shortList = dir + "\\short.txt";
    ASSERT_EQ(ftp_dir(h, "sub", longList.c_str()), TOVAN_OK) << LastMessage();
    EXPECT_EQ(LastMessage().rfind("Directory of sub written to " + longList, 0), 0u);
    std::string text = FileBytes(longList);
    EXPECT_NE(text.find("-rw"), std::string::npos) << text;
    EXPECT_NE(text.find(" a1.txt\r\n"), std::string::npos) << text;

    ASSERT_EQ(ftp_ls(h, "sub", shortList.c_str()), TOVAN_OK) << LastMessage();
    EXPECT_EQ(Lines(FileBytes(shortList)), "a1.txt|a2.txt|b1.bin|");

    ASSERT_EQ(ftp_cd(h, "sub"), TOVAN_OK);
    ASSERT_EQ(ftp_ls(h, "", shortList.c_str()), TOVAN_OK) << LastMessage();
    EXPECT_EQ(Lines(FileBytes(shortList)), "a1.txt|a2.txt|b1.bin|");
    EXPECT_EQ(ftp_dir(h, "missing", longList.c_str()), TOVAN_ERR_REFUSED);
    ftp_quit(h);
}

TEST(Multiple, MputAndMgetFollowTheirPatterns) {
    std::string dir = FreshLocalDir("multi");
    int h = Login();
    ASSERT_EQ(ftp_mget(h, "sub/a*.txt"), TOVAN_OK) << LastMessage();
    EXPECT_EQ(LastMessage(), "mget sub/a*.txt: 2 of 2 files received");
    EXPECT_EQ(FileBytes(dir + "\\a1.txt"), "a1\r\n");
    EXPECT_EQ(FileBytes(dir + "\\a2.txt"), "a2\r\n");
    EXPECT_FALSE(Exists(dir + "\\b1.bin"));
    EXPECT_EQ(ftp_mget(h, "sub/z*"), TOVAN_ERR_REFUSED);
    EXPECT_EQ(LastMessage(), "No remote file matches sub/z*");
    // Matches that are all skipped leave nothing received: no success.
    EXPECT_EQ(ftp_mget(h, "devices/*"), TOVAN_ERR_REFUSED);
    EXPECT_EQ(LastMessage(), "mget devices/*: 0 of 0 files received; 4 names skipped (not plain file names)");

    std::string upload = dir + "\\up";
    CreateDirectoryA(upload.c_str(), nullptr);
    WriteFileBytes(upload + "\\M1.TXT", "m1");
    WriteFileBytes(upload + "\\m2.txt", "m2");
    WriteFileBytes(upload + "\\other.dat", "no");
    ASSERT_EQ(ftp_quote(h, "MKD up", nullptr, 0), 257);
    ASSERT_EQ(ftp_cd(h, "up"), TOVAN_OK);
    ASSERT_EQ(ftp_mput(h, (upload + "\\m?.txt").c_str(), nullptr), TOVAN_OK) << LastMessage();
    EXPECT_EQ(LastMessage(), "mput " + upload + "\\m?.txt: 2 of 2 files sent");
    EXPECT_EQ(FileBytes(ServerHome() + "\\up\\M1.TXT"), "m1");
    EXPECT_EQ(FileBytes(ServerHome() + "\\up\\m2.txt"), "m2");
    EXPECT_FALSE(Exists(ServerHome() + "\\up\\other.dat"));
    EXPECT_EQ(ftp_mput(h, (upload + "\\*.none").c_str(), nullptr), TOVAN_ERR_LOCALFILE);
    ftp_quit(h);
}

TEST(Unique, LocalUniqueNeverOverwrites) {
    std::string dir = FreshLocalDir("localunique");
    int h = Login();
    std::string target = dir + "\\t.txt";
    WriteFileBytes(target, "mine");
    ASSERT_EQ(ftp_localunique(h), TOVAN_OK);
    ASSERT_EQ(ftp_get(h, "text.txt", target.c_str()), TOVAN_OK) << LastMessage();
    EXPECT_EQ(LastMessage().rfind("Received text.txt into " + target + ".1 (", 0), 0u);
    ASSERT_EQ(ftp_get(h, "text.txt", target.c_str()), TOVAN_OK);
    EXPECT_EQ(FileBytes(target), "mine");
    EXPECT_EQ(FileBytes(target + ".2"), FileBytes(ServerHome() + "\\text.txt"));
    ftp_quit(h);
}

TEST(Unique, StoreUniqueLetsTheServerPickTheName) {
    std::string dir = FreshLocalDir("storeunique");
    int h = Login();
    WriteFileBytes(dir + "\\u.txt", "unique");
    ASSERT_EQ(ftp_quote(h, "MKD uniq", nullptr, 0), 257);
    ASSERT_EQ(ftp_cd(h, "uniq"), TOVAN_OK);
    ASSERT_EQ(ftp_storeunique(h), TOVAN_OK);
    ASSERT_EQ(ftp_put(h, (dir + "\\u.txt").c_str(), "u.txt"), TOVAN_OK) << LastMessage();
    std::string first = LastMessage();
    ASSERT_EQ(ftp_put(h, (dir + "\\u.txt").c_str(), "u.txt"), TOVAN_OK) << LastMessage();
    EXPECT_NE(first, LastMessage());
    // Two files on the server, each named in its message.
    std::string listing = dir + "\\ls.txt";
    ASSERT_EQ(ftp_ls(h, "", listing.c_str()), TOVAN_OK);
    std::string names = FileBytes(listing);
    EXPECT_EQ(std::count(names.begin(), names.end(), '\n'), 2) << names;
    std::string prefix = "Sent " + dir + "\\u.txt as ";
    ASSERT_EQ(first.rfind(prefix, 0), 0u) << first;
    std::string stored = first.substr(prefix.size(), first.find(" (") - prefix.size());
    EXPECT_NE(names.find(stored + "\r\n"), std::string::npos) << stored << " in " << names;
    EXPECT_EQ(FileBytes(ServerHome() + "\\uniq\\" + stored), "unique");
    ftp_quit(h);
}

TEST(Transfer, ActiveModeWhenPassiveIsRefused) {
    std::string dir = FreshLocalDir("active");
    int h = Login(kNoPasv);
    ASSERT_EQ(ftp_get(h, "binary.bin", (dir + "\\b.bin").c_str()), TOVAN_OK) << LastMessage();
    EXPECT_TRUE(FileBytes(dir + "\\b.bin") == FileBytes(ServerHome() + "\\binary.bin"));
    ASSERT_EQ(ftp_ls(h, "sub", (dir + "\\ls.txt").c_str()), TOVAN_OK) << LastMessage();
    EXPECT_EQ(Lines(FileBytes(dir + "\\ls.txt")), "a1.txt|a2.txt|b1.bin|");
    ftp_quit(h);
}

// The handle the timer aborts; the timer fires while ftp_get dispatches
// this thread's messages, as a UI command would reach the library.
int g_abortHandle = 0;
int g_abortResult = 1;
void CALLBACK AbortLater(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    g_abortResult = ftp_abort(g_abortHandle);
}

TEST(Abort, ReachesARunningTransfer) {
    std::string dir = FreshLocalDir("abort");
    int h = Login(kThrottled);
    g_abortHandle = h;
    UINT_PTR timer = SetTimer(nullptr, 0, 400, AbortLater);
    ASSERT_NE(timer, 0u);
    DWORD start = GetTickCount();
    std::string local = dir + "\\big.bin";
    EXPECT_EQ(ftp_get(h, "big.bin", local.c_str()), TOVAN_ERR_ABORTED);
    EXPECT_LT(GetTickCount() - start, 8000u);  // the whole file takes 32 s
    EXPECT_EQ(LastMessage().rfind("Transfer aborted: ", 0), 0u);
    EXPECT_EQ(g_abortResult, TOVAN_OK);
    EXPECT_FALSE(Exists(local));

    // The connection is in step afterwards.
    char reply[1024];
    EXPECT_EQ(ftp_quote(h, "NOOP", reply, sizeof reply), 200) << reply;
    EXPECT_EQ(ftp_get(h, "text.txt", (dir + "\\t.txt").c_str()), TOVAN_OK) << LastMessage();
    ftp_quit(h);
}

// On a fast link data is ready at every wait; messages must be dispatched
// all the same, or the abort never gets in.
TEST(Abort, ReachesAFastTransfer) {
    std::string dir = FreshLocalDir("abortfast");
    int h = Login(kServer);
    g_abortHandle = h;
    g_abortResult = 1;
    ASSERT_NE(SetTimer(nullptr, 0, 200, AbortLater), 0u);
    std::string local = dir + "\\huge.bin";
    EXPECT_EQ(ftp_get(h, "huge.bin", local.c_str()), TOVAN_ERR_ABORTED) << LastMessage();
    EXPECT_EQ(LastMessage().rfind("Transfer aborted: ", 0), 0u);
    EXPECT_EQ(g_abortResult, TOVAN_OK);
    EXPECT_FALSE(Exists(local));
    char reply[1024];
    EXPECT_EQ(ftp_quote(h, "NOOP", reply, sizeof reply), 200) << reply;
    ftp_quit(h);
}

TEST(Abort, ReachesARunningUpload) {
    std::string dir = FreshLocalDir("abortput");
    std::string local = dir + "\\big-up.bin";
    WriteFileBytes(local, std::string(8u << 20, 'u'));
    int h = Login(kThrottled);
    g_abortHandle = h;
    g_abortResult = 1;
    SetTimer(nullptr, 0, 300, AbortLater);
    DWORD start = GetTickCount();
    EXPECT_EQ(ftp_put(h, local.c_str(), "big-up.bin"), TOVAN_ERR_ABORTED);
    EXPECT_LT(GetTickCount() - start, 8000u);
    EXPECT_EQ(LastMessage().rfind("Transfer aborted: ", 0), 0u);
    EXPECT_EQ(g_abortResult, TOVAN_OK);
    char reply[1024];
    EXPECT_EQ(ftp_quote(h, "NOOP", reply, sizeof reply), 200) << reply;
    ftp_quit(h);
}

// A call on a connection that is inside another call is refused.
int g_busyResult = 0;
void CALLBACK CallWhileBusy(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    g_busyResult = ftp_cd(g_abortHandle, "sub");
    ftp_abort(g_abortHandle);
}

TEST(Abort, OtherCallsOnABusyConnectionAreRefused) {
    std::string dir = FreshLocalDir("busy");
    int h = Login(kThrottled);
    g_abortHandle = h;
    SetTimer(nullptr, 0, 300, CallWhileBusy);
    EXPECT_EQ(ftp_get(h, "big.bin", (dir + "\\big.bin").c_str()), TOVAN_ERR_ABORTED);
    EXPECT_EQ(g_busyResult, TOVAN_ERR_BUSY);
    ftp_quit(h);
}

}  // namespace
