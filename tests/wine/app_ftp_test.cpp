// Velmira32 end to end: the real tovan32.dll against pyftpdlib on
// 127.0.5.1 (started by app_runner.py --ftp), driven through every command.
#include <gtest/gtest.h>
#include <fstream>
#include "app_driver.h"
#include "app_fake_fixture.h"

using namespace velmira_test;

namespace {
const char kPrompt[] = "Please connect to server first...";
using Lines = std::vector<std::string>;

std::string Env(const char* name) {
    char value[MAX_PATH] = {};
    DWORD got = GetEnvironmentVariableA(name, value, sizeof value);
    return (got > 0 && got < sizeof value) ? value : "";
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Every byte value, many times: a transfer that is not binary-clean shows.
std::string BinaryPayload() {
    std::string bytes;
    for (int i = 0; i < 70000; ++i) bytes.push_back(static_cast<char>((i * 7 + i / 256) & 0xFF));
    bytes += "\r\n\n\r\x1a";
    return bytes;
}

class FtpAppTest : public ::testing::Test {
protected:
    void SetUp() override {
        host_ = Env("VELMIRA_FTP_HOST");
        root_ = Env("VELMIRA_FTP_ROOT");
        if (host_.empty() || root_.empty()) GTEST_SKIP() << "needs app_runner.py --ftp";
        local_ = ScratchDir("ftp");
        ASSERT_TRUE(app_.Start(ExeDir() + "\\Velmira32.exe", local_));
        view_ = app_.View();
        ASSERT_NE(nullptr, view_);
    }
    void TearDown() override {
        if (!host_.empty()) {
            EXPECT_EQ(0u, app_.Stop());
        }
    }
    // Runs a dialog command and returns the lines every view of the document
    // gained. The library keeps the program answering while it waits on the
    // network, so the command's end shows only in its log: `lines` is how
    // many lines it posts when it is done.
    Lines Run(UINT id, const char* title, const std::vector<std::pair<int, std::string>>& fields,
              size_t lines = 1) {
        size_t before = app_.Log(view_).size();
        EXPECT_TRUE(app_.DialogCommand(id, title, fields)) << title;
        return Gained(before, lines);
    }
    Lines Run(UINT id, size_t lines = 1) {
        size_t before = app_.Log(view_).size();
        app_.Command(id);
        return Gained(before, lines);
    }
    Lines Gained(size_t before, size_t lines) {
        app_.WaitLog(view_, before + lines, 30000);
        app_.Sync();
        Lines log = app_.Log(view_);
        Lines second = app_.Log(secondView_ ? secondView_ : view_);
        EXPECT_EQ(log, second) << "every view of the document logs alike";
        return log.size() > before ? Lines(log.begin() + static_cast<long>(before), log.end()) : Lines();
    }
    Lines Login(const char* password = "secret") {
        return Run(kLogin, "FTP LOGIN", {{1000, host_}, {1001, "bob"}, {1002, password}});
    }

    AppDriver app_;
    std::string host_, root_, local_;
    HWND view_ = nullptr;
    HWND secondView_ = nullptr;
};

bool Contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

// Waits until a dialog item's text holds part (the reply of a library call).
bool WaitItemText(HWND dlg, int id, const char* part) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < 20000; Sleep(20))
        if (Contains(AppDriver::ItemText(dlg, id), part)) return true;
    return false;
}
}  // namespace

TEST_F(FtpAppTest, TransfersListingsAndQuote) {
    EXPECT_EQ((Lines{"Connected to " + host_}), Login());
    Lines binary = Run(kBinary);
    ASSERT_EQ(1u, binary.size());

    // Put and Get of a binary file, byte for byte.
    const std::string payload = BinaryPayload();
    const std::string upload = local_ + "\\payload.bin";
    WriteFile(upload, payload);
    Lines put = Run(kPut, "Put file", {{1000, upload}, {1001, "payload.bin"}}, 2);
    ASSERT_EQ(2u, put.size());
    EXPECT_EQ("Wait...putting " + upload, put[0]);
    EXPECT_EQ(payload, ReadFileBytes(root_ + "\\payload.bin"));
    const std::string download = local_ + "\\back.bin";
    Lines get = Run(kGet, "Get File", {{1000, "payload.bin"}, {1001, download}}, 2);
    ASSERT_EQ(2u, get.size());
    EXPECT_EQ("Wait...getting payload.bin", get[0]);
    EXPECT_EQ(payload, ReadFileBytes(download));

    // MPut and MGet with wildcards.
    WriteFile(local_ + "\\m1.dat", "one");
    WriteFile(local_ + "\\m2.dat", "two");
    Lines mput = Run(kMPut, "MPUT", {{1000, local_ + "\\m*.dat"}}, 2);
    ASSERT_EQ(2u, mput.size());
    EXPECT_EQ("Wait...putting " + local_ + "\\m*.dat", mput[0]);
    EXPECT_EQ("one", ReadFileBytes(root_ + "\\m1.dat"));
    EXPECT_EQ("two", ReadFileBytes(root_ + "\\m2.dat"));
    DeleteFileA((local_ + "\\m1.dat").c_str());
    DeleteFileA((local_ + "\\m2.dat").c_str());
    Lines mget = Run(kMGet, "MGET", {{1000, "m*.dat"}}, 2);
    ASSERT_EQ(2u, mget.size());
    EXPECT_EQ("Wait...getting m*.dat", mget[0]);
    EXPECT_EQ("one", ReadFileBytes(local_ + "\\m1.dat"));
    EXPECT_EQ("two", ReadFileBytes(local_ + "\\m2.dat"));

    // A folder whose listing is far longer than one 1024-byte chunk.
    CreateDirectoryA((root_ + "\\many").c_str(), nullptr);
    for (int i = 0; i < 120; ++i) WriteFile(root_ + "\\many\\entry_" + std::to_string(1000 + i) + ".txt", "x");
    EXPECT_EQ(1u, Run(kCwd, "Change Directory", {{1000, "many"}}).size());

    PostMessageA(app_.Main(), WM_COMMAND, kDirList, 0);
    HWND dlg = app_.WaitWindow("Directory Listing");
    ASSERT_NE(nullptr, dlg);
    AppDriver::SetCheck(dlg, 1003, true);
    size_t before = app_.Log(view_).size();
    AppDriver::Click(dlg, IDOK);
    ASSERT_TRUE(app_.WaitLog(view_, before + 1));
    std::string listing = AppDriver::ItemText(dlg, 1001);
    EXPECT_GT(listing.size(), 3000u);
    for (int i = 0; i < 120; ++i) EXPECT_TRUE(Contains(listing, ("entry_" + std::to_string(1000 + i) + ".txt").c_str())) << i;
    EXPECT_TRUE(Screenshot("dirlist")) << "the Directory Listing dialog with a long listing";
    AppDriver::SetCheck(dlg, 1003, false);
    AppDriver::Click(dlg, IDOK);
    ASSERT_TRUE(app_.WaitLog(view_, before + 2));
    std::string names = AppDriver::ItemText(dlg, 1001);
    EXPECT_TRUE(Contains(names, "entry_1119.txt"));
    EXPECT_FALSE(Contains(names, "rw")) << "a short listing has names only";
    AppDriver::Click(dlg, IDCANCEL);
    ASSERT_TRUE(app_.WaitGone(dlg));

    // Quote: the reply shows in the dialog, which stays open.
    PostMessageA(app_.Main(), WM_COMMAND, kQuote, 0);
    dlg = app_.WaitWindow("FTP Quote");
    ASSERT_NE(nullptr, dlg);
    before = app_.Log(view_).size();
    AppDriver::SetItemText(dlg, 1000, "SYST");
    AppDriver::Click(dlg, IDOK);
    EXPECT_TRUE(WaitItemText(dlg, 1001, "215")) << AppDriver::ItemText(dlg, 1001);
    AppDriver::SetItemText(dlg, 1000, "PWD");
    AppDriver::Click(dlg, IDOK);
    EXPECT_TRUE(WaitItemText(dlg, 1001, "/many")) << AppDriver::ItemText(dlg, 1001);
    EXPECT_TRUE(IsWindowVisible(dlg));
    AppDriver::Click(dlg, IDCANCEL);
    ASSERT_TRUE(app_.WaitGone(dlg));
    app_.Sync();
    EXPECT_EQ(before, app_.Log(view_).size()) << "Quote posts nothing";

    for (UINT id : {kAscii, kLocalUnique, kStoreUnique}) EXPECT_EQ(1u, Run(id).size());
    EXPECT_EQ((Lines{"Disconnected"}), Run(kLogout));
}

// Last: it stops the server.
TEST_F(FtpAppTest, ConnectionCommandsAgainstTheServer) {
    app_.Command(kWindowNew);  // a second view of the same document
    secondView_ = app_.View();
    ASSERT_NE(view_, secondView_);

    Lines failed = Login("wrong");
    ASSERT_EQ(1u, failed.size());
    EXPECT_TRUE(Contains(failed[0], "530")) << failed[0];
    EXPECT_EQ((Lines{"Connected to " + host_}), Login());
    EXPECT_EQ((Lines{"User bob logged in"}), Run(kReLogin, "ReLogin", {{1000, "bob"}, {1001, "secret"}}));
    Lines badRelogin = Run(kReLogin, "ReLogin", {{1000, "bob"}, {1001, "nope"}});
    ASSERT_EQ(1u, badRelogin.size());
    EXPECT_TRUE(Contains(badRelogin[0], "530")) << badRelogin[0];
    // The server also plays the gateway: "USER bob@host" logs in through it.
    EXPECT_EQ((Lines{host_ + " connected"}),
              Run(kGateLogin, "GATEWAY LOGIN", {{1000, host_}, {1001, "bob"}, {1002, "secret"}}));
    EXPECT_EQ((Lines{"Abort submitted...."}), Run(kAbort));
    EXPECT_EQ((Lines{"Status Box turned off"}), Run(kStatusBox));
    EXPECT_EQ((Lines{"Disconnected"}), Run(kLogout));
    EXPECT_EQ(Lines{}, Run(kLogout, 0)) << "nothing while disconnected";
    EXPECT_EQ((Lines{"Status Box turned on"}), Run(kStatusBox));
    EXPECT_EQ((Lines{"Status Box turned off"}), Run(kStatusBox));
    EXPECT_EQ((Lines{"No FTP connection."}), Run(kAbort));

    // The server goes away under a connected document.
    EXPECT_EQ((Lines{"Connected to " + host_}), Login());
    ASSERT_TRUE(RunnerRequest("stop-ftp"));
    EXPECT_EQ((Lines{"Quit failed, disconnect anyway"}), Run(kLogout));
    EXPECT_EQ((Lines{"No FTP connection."}), Run(kAbort));
}
