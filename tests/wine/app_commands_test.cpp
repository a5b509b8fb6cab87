// Velmira32's connection, transfer and option commands against the
// stand-in library: the exact lines each view gains and the exact calls made.
#include "app_fake_fixture.h"

using namespace velmira_test;

namespace {
const char kPrompt[] = "Please connect to server first...";
using Lines = std::vector<std::string>;

class CommandsTest : public FakeAppTest {
protected:
    void Login(const std::string& host = "host", const std::string& user = "bob", const std::string& pass = "pw") {
        ASSERT_TRUE(app_.DialogCommand(kLogin, "FTP LOGIN", {{1000, host}, {1001, user}, {1002, pass}}));
    }
    // The log lines after the first `skip` ones.
    Lines LogAfter(size_t skip) const {
        Lines log = ActiveLog();
        return log.size() > skip ? Lines(log.begin() + static_cast<long>(skip), log.end()) : Lines();
    }
    // The library calls after the first `skip` ones.
    Lines CallsAfter(size_t skip) const {
        Lines calls = Calls();
        return calls.size() > skip ? Lines(calls.begin() + static_cast<long>(skip), calls.end()) : Lines();
    }
    // Opens a dialog that stays open (DirList, Quote).
    HWND OpenStayingDialog(UINT id, const char* title) {
        PostMessageA(app_.Main(), WM_COMMAND, id, 0);
        return app_.WaitWindow(title);
    }
};
}  // namespace

TEST_F(CommandsTest, DialogsHaveTheirTitlesControlsAndLabels) {
    struct Expect {
        UINT command;
        const char* title;
        std::vector<int> edits;
        std::vector<std::string> labels;
    };
    const std::vector<Expect> dialogs = {
        {kLogin, "FTP LOGIN", {1000, 1001, 1002}, {"Host Name:", "Username:", "Password:"}},
        {kPut, "Put file", {1000, 1001}, {"Local file", "Remote file", "File..."}},
        {kGet, "Get File", {1000, 1001}, {"Remote file", "Local file"}},
        {kMGet, "MGET", {1000}, {"Remote file:"}},
        {kMPut, "MPUT", {1000}, {"Local File:", "File..."}},
        {kCwd, "Change Directory", {1000}, {"Remote Dir"}},
        {kDirList, "Directory Listing", {1000, 1001}, {"Directory:", "Long Listing"}},
        {kQuote, "FTP Quote", {1000, 1001}, {"Command:"}},
    };
    for (const Expect& e : dialogs) {
        PostMessageA(app_.Main(), WM_COMMAND, e.command, 0);
        HWND dlg = app_.WaitWindow(e.title);
        ASSERT_NE(nullptr, dlg) << e.title;
        for (int id : e.edits) {
            ASSERT_NE(nullptr, GetDlgItem(dlg, id)) << e.title << " " << id;
            EXPECT_EQ("", AppDriver::ItemText(dlg, id)) << "opens empty";
        }
        for (const std::string& label : e.labels)
            EXPECT_TRUE(FindWindowExA(dlg, nullptr, nullptr, label.c_str())) << e.title << ": " << label;
        EXPECT_EQ("OK", AppDriver::ItemText(dlg, IDOK));
        EXPECT_EQ("Cancel", AppDriver::ItemText(dlg, IDCANCEL));
        if (e.command == kPut || e.command == kMPut) {
            AppDriver::Click(dlg, 1004);  // "File..." does nothing
            app_.Sync();
            EXPECT_TRUE(IsWindowVisible(dlg));
        }
        AppDriver::Click(dlg, IDCANCEL);
        ASSERT_TRUE(app_.WaitGone(dlg));
        app_.Sync();
    }
    EXPECT_EQ((Lines{kPrompt}), ActiveLog()) << "a cancelled dialog posts nothing";
    EXPECT_TRUE(Calls().empty());
}

TEST_F(CommandsTest, LoginConnectsAndHandsTheStatusBoxOption) {
    Login("ftp.example", " bob ", "secret");
    EXPECT_EQ((Lines{kPrompt, "Connected to ftp.example"}), ActiveLog());
    EXPECT_EQ((Lines{"ftp_login(ftp.example, bob ,secret,)", "ftp_statusbox(7,1)"}), Calls());
}

TEST_F(CommandsTest, FailedLoginPostsTheMessageAndLeavesTheDocumentDisconnected) {
    Control("LOGIN", -3);
    Login("", "", "");
    EXPECT_EQ((Lines{kPrompt, "msg:ftp_login"}), ActiveLog());
    app_.Command(kAbort);
    app_.Command(kLogout);  // disconnected: nothing at all
    EXPECT_EQ((Lines{"No FTP connection."}), LogAfter(2));
    EXPECT_EQ((Lines{"ftp_login(,,,)"}), Calls());
}

TEST_F(CommandsTest, ReLoginAndGateLoginNeedAConnectionAndShowNoDialogWithout) {
    app_.Command(kReLogin);
    app_.Command(kGateLogin);
    EXPECT_EQ((Lines{kPrompt, "You need to establish a connection first!",
                     "You need to connect to a gateway host first!"}),
              ActiveLog());
    EXPECT_EQ(nullptr, app_.WaitWindow("ReLogin", 300));
    EXPECT_TRUE(Calls().empty());
}

TEST_F(CommandsTest, ConnectedSessionReLoginGateLoginAbortLogout) {
    Login();
    ASSERT_TRUE(app_.DialogCommand(kReLogin, "ReLogin", {{1000, "alice"}, {1001, "pw2"}}));
    ASSERT_TRUE(app_.DialogCommand(kGateLogin, "GATEWAY LOGIN", {{1000, "target"}, {1001, "u"}, {1002, "p"}}));
    Control("RESULT", 1);
    ASSERT_TRUE(app_.DialogCommand(kReLogin, "ReLogin", {{1000, "eve"}, {1001, "x"}}));
    ASSERT_TRUE(app_.DialogCommand(kGateLogin, "GATEWAY LOGIN", {{1000, "other"}, {1001, "u"}, {1002, "p"}}));
    Control("RESULT", 0);
    app_.Command(kAbort);
    app_.Command(kLogout);
    app_.Command(kAbort);
    EXPECT_EQ((Lines{"User alice logged in", "target connected", "msg:ftp_relogin", "msg:ftp_gatelogin",
                     "Abort submitted....", "Disconnected", "No FTP connection."}),
              LogAfter(2));
    EXPECT_EQ((Lines{"ftp_login(host,bob,pw,)", "ftp_statusbox(7,1)", "ftp_relogin(7,alice,pw2,)",
                     "ftp_gatelogin(7,target,u,p,)", "ftp_relogin(7,eve,x,)", "ftp_gatelogin(7,other,u,p,)",
                     "ftp_abort(7)", "ftp_quit(7)"}),
              Calls());
}

TEST_F(CommandsTest, FailedQuitStillDisconnectsAndASecondLoginReplacesTheHandle) {
    Login();
    Control("LOGIN", 9);
    Login("second");  // no quit of the first connection
    Control("RESULT", -1);
    app_.Command(kLogout);
    app_.Command(kLogout);
    EXPECT_EQ((Lines{"Connected to host", "Connected to second", "Quit failed, disconnect anyway"}), LogAfter(1));
    EXPECT_EQ((Lines{"ftp_login(host,bob,pw,)", "ftp_statusbox(7,1)", "ftp_login(second,bob,pw,)",
                     "ftp_statusbox(9,1)", "ftp_quit(9)"}),
              Calls());
}

TEST_F(CommandsTest, TransfersWithoutConnectionAskFirstThenPostOneLine) {
    ASSERT_TRUE(app_.DialogCommand(kPut, "Put file", {{1000, "a.txt"}, {1001, "b.txt"}}));
    ASSERT_TRUE(app_.DialogCommand(kGet, "Get File", {{1000, "r"}, {1001, "l"}}));
    ASSERT_TRUE(app_.DialogCommand(kMGet, "MGET", {{1000, "*"}}));
    ASSERT_TRUE(app_.DialogCommand(kMPut, "MPUT", {{1000, "*"}}));
    ASSERT_TRUE(app_.DialogCommand(kCwd, "Change Directory", {{1000, "/"}}));
    for (UINT id : {kAscii, kBinary, kLocalUnique, kStoreUnique, kAbort}) app_.Command(id);
    const char* n = "Server not connected yet";
    EXPECT_EQ((Lines{n, n, n, n, n, n, n, "No FTP connection.", "No FTP connection.", "No FTP connection."}),
              LogAfter(1));
    EXPECT_TRUE(Calls().empty());
}

TEST_F(CommandsTest, ConnectedTransfersPostProgressThenTheLibraryMessage) {
    Login();
    ASSERT_TRUE(app_.DialogCommand(kPut, "Put file", {{1000, "a.txt"}, {1001, "b.txt"}}));
    ASSERT_TRUE(app_.DialogCommand(kGet, "Get File", {{1000, "r.bin"}, {1001, "l.bin"}}));
    ASSERT_TRUE(app_.DialogCommand(kMGet, "MGET", {{1000, "*.txt"}}));
    ASSERT_TRUE(app_.DialogCommand(kMPut, "MPUT", {{1000, "*.c"}}));
    ASSERT_TRUE(app_.DialogCommand(kCwd, "Change Directory", {{1000, "pub"}}));
    EXPECT_EQ((Lines{"Wait...putting a.txt", "msg:ftp_put", "Wait...getting r.bin", "msg:ftp_get",
                     "Wait...getting *.txt", "msg:ftp_mget", "Wait...putting *.c", "msg:ftp_mput", "msg:ftp_cd"}),
              LogAfter(2));
    EXPECT_EQ((Lines{"ftp_put(7,a.txt,b.txt)", "ftp_get(7,r.bin,l.bin)", "ftp_mget(7,*.txt)",
                     "ftp_mput(7,*.c,(null))", "ftp_cd(7,pub)"}),
              CallsAfter(2));
}

// The library dispatches messages while it waits on the network. Meanwhile
// the document refuses to close (its window, File Close, the program's
// exit) and its other library commands; once the call returns, all works.
TEST_F(CommandsTest, WhileALibraryCallWaitsTheDocumentStaysAndOtherCommandsAreRefused) {
    Login();
    const size_t logBefore = ActiveLog().size();
    HWND child = app_.ActiveChild();
    Control("BLOCK", 1);
    ASSERT_TRUE(app_.DialogCommand(kPut, "Put file", {{1000, "a.txt"}, {1001, "b.txt"}}));
    ASSERT_TRUE(app_.WaitLog(app_.View(), logBefore + 1));  // "Wait...putting a.txt": the call runs
    app_.Command(kLogout);
    app_.Command(kMGet);  // no dialog opens
    app_.Command(kFileClose);
    DWORD_PTR result = 0;
    SendMessageTimeoutA(child, WM_CLOSE, 0, 0, SMTO_NORMAL, 10000, &result);
    SendMessageTimeoutA(app_.Main(), WM_CLOSE, 0, 0, SMTO_NORMAL, 10000, &result);
    EXPECT_EQ(nullptr, FindWindowA(nullptr, "MGET"));
    EXPECT_TRUE(IsWindow(child));
    EXPECT_TRUE(IsWindow(app_.Main()));
    Control("BLOCK", 0);
    ASSERT_TRUE(app_.WaitLog(app_.View(), logBefore + 2));
    EXPECT_EQ((Lines{"Wait...putting a.txt", "msg:ftp_put"}), LogAfter(logBefore));
    EXPECT_EQ((Lines{"ftp_put(7,a.txt,b.txt)"}), CallsAfter(2));
    // Afterwards the same commands work.
    app_.Command(kLogout);
    EXPECT_EQ((Lines{"ftp_put(7,a.txt,b.txt)", "ftp_quit(7)"}), CallsAfter(2));
    app_.Command(kFileClose);
    EXPECT_TRUE(app_.WaitGone(child));
}

TEST_F(CommandsTest, OptionsPostOneLineEachAndBinarySaysNoMessage) {
    Login();
    for (UINT id : {kAscii, kBinary, kLocalUnique, kStoreUnique}) app_.Command(id);
    Control("LASTERROR", 0);
    app_.Command(kBinary);
    app_.Command(kAscii);  // the buffer whatever the result
    EXPECT_EQ((Lines{"msg:ftp_setascii", "msg:ftp_setbinary", "msg:ftp_localunique", "msg:ftp_storeunique",
                     "no message", "msg:ftp_setascii"}),
              LogAfter(2));
}

TEST_F(CommandsTest, StatusBoxTogglesWhileDisconnectedAndLoginPassesTheStoredValue) {
    app_.Command(kStatusBox);
    app_.Command(kStatusBox);
    app_.Command(kStatusBox);
    EXPECT_TRUE(Calls().empty()) << "no library call while disconnected";
    Login();
    app_.Command(kStatusBox);
    EXPECT_EQ((Lines{"Status Box turned off", "Status Box turned on", "Status Box turned off", "Connected to host",
                     "Status Box turned on"}),
              LogAfter(1));
    EXPECT_EQ((Lines{"ftp_login(host,bob,pw,)", "ftp_statusbox(7,0)", "ftp_statusbox(7,1)"}), Calls());
}

TEST_F(CommandsTest, QuoteShowsTheReplyInItsDialogWhichStaysOpen) {
    HWND dlg = OpenStayingDialog(kQuote, "FTP Quote");
    ASSERT_NE(nullptr, dlg);
    AppDriver::SetItemText(dlg, 1000, "SYST");
    AppDriver::Press(dlg, IDOK);  // disconnected: nothing happens
    EXPECT_TRUE(IsWindowVisible(dlg));
    EXPECT_EQ("", AppDriver::ItemText(dlg, 1001));
    AppDriver::Click(dlg, IDCANCEL);
    ASSERT_TRUE(app_.WaitGone(dlg));

    Login();
    dlg = OpenStayingDialog(kQuote, "FTP Quote");
    ASSERT_NE(nullptr, dlg);
    EXPECT_TRUE(GetWindowLongA(GetDlgItem(dlg, 1001), GWL_STYLE) & ES_READONLY);
    AppDriver::SetItemText(dlg, 1000, "SYST");
    AppDriver::Press(dlg, IDOK);
    EXPECT_EQ("200 reply to SYST", AppDriver::ItemText(dlg, 1001));
    EXPECT_EQ("SYST", AppDriver::ItemText(dlg, 1000)) << "the command stays for a further OK";
    AppDriver::SetItemText(dlg, 1000, "NOOP");
    AppDriver::Press(dlg, IDOK);
    EXPECT_EQ("200 reply to NOOP", AppDriver::ItemText(dlg, 1001));
    EXPECT_TRUE(IsWindowVisible(dlg));
    AppDriver::Click(dlg, IDCANCEL);
    ASSERT_TRUE(app_.WaitGone(dlg));
    app_.Sync();
    EXPECT_EQ((Lines{kPrompt, "Connected to host"}), ActiveLog()) << "Quote posts nothing";
    EXPECT_EQ((Lines{"ftp_login(host,bob,pw,)", "ftp_statusbox(7,1)", "ftp_quote(7,SYST,1024)",
                     "ftp_quote(7,NOOP,1024)"}),
              Calls());
}

TEST_F(CommandsTest, DirListReadsTheWholeListingAndKeepsItAfterAFailure) {
    HWND dlg = OpenStayingDialog(kDirList, "Directory Listing");
    ASSERT_NE(nullptr, dlg);
    AppDriver::Press(dlg, IDOK);  // disconnected: nothing
    EXPECT_TRUE(IsWindowVisible(dlg));
    AppDriver::Click(dlg, IDCANCEL);
    ASSERT_TRUE(app_.WaitGone(dlg));
    EXPECT_TRUE(Calls().empty());

    Login();
    dlg = OpenStayingDialog(kDirList, "Directory Listing");
    ASSERT_NE(nullptr, dlg);
    AppDriver::SetItemText(dlg, 1000, "pub");
    AppDriver::Click(dlg, IDOK);
    ASSERT_TRUE(app_.WaitLog(app_.View(), 3));
    std::string listing = AppDriver::ItemText(dlg, 1001);
    EXPECT_EQ(3000u, listing.size()) << "a listing of several 1024-byte chunks arrives whole";
    EXPECT_EQ("file00000.txt\r\nfile00001.txt\r\n", listing.substr(0, 30));
    EXPECT_EQ("file00199.txt\r\n", listing.substr(200 * 15 - 15, 15)) << "in file order";

    AppDriver::SetCheck(dlg, 1003, true);
    Control("RESULT", 1);
    AppDriver::Click(dlg, IDOK);
    ASSERT_TRUE(app_.WaitLog(app_.View(), 4));
    EXPECT_EQ(listing, AppDriver::ItemText(dlg, 1001)) << "a failed listing keeps the box";
    Control("RESULT", 0);
    Control("LISTING", 0);
    AppDriver::Click(dlg, IDOK);
    ASSERT_TRUE(app_.WaitLog(app_.View(), 5));
    EXPECT_EQ("", AppDriver::ItemText(dlg, 1001)) << "an empty listing empties the box";
    AppDriver::Click(dlg, IDCANCEL);
    ASSERT_TRUE(app_.WaitGone(dlg));
    EXPECT_EQ((Lines{"msg:ftp_ls", "msg:ftp_dir", "msg:ftp_dir"}), LogAfter(2));
    EXPECT_EQ((Lines{"ftp_ls(7,pub,file)", "ftp_dir(7,pub,file)", "ftp_dir(7,pub,file)"}),
              CallsAfter(2));
}

TEST_F(CommandsTest, ClosingAConnectedDocumentOrTheProgramNeverQuits) {
    Login();
    app_.Command(kFileNew);
    Login("other");
    app_.Command(kFileClose);  // the second document, connected
    EXPECT_EQ(0u, app_.Stop());  // the first one, connected, with the program
    EXPECT_EQ((Lines{"ftp_login(host,bob,pw,)", "ftp_statusbox(7,1)", "ftp_login(other,bob,pw,)",
                     "ftp_statusbox(7,1)"}),
              Calls());
}
