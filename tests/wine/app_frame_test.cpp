// Velmira32's frame, documents and views, driven from outside the process.
#include "app_fake_fixture.h"
#include <commctrl.h>

using namespace velmira_test;

namespace {
const char kPrompt[] = "Please connect to server first...";

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// The child frames of the MDI client, in z-order.
std::vector<HWND> Children(HWND client) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(client, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (IsWindowVisible(child)) children.push_back(child);
    return children;
}
BOOL CALLBACK FindVisibleEdit(HWND child, LPARAM found) {
    if (ClassOf(child) != "Edit" || !IsWindowVisible(child)) return TRUE;
    *reinterpret_cast<HWND*>(found) = child;
    return FALSE;
}
}  // namespace

TEST_F(FakeAppTest, NewDocumentShowsOnlyThePromptInAReadOnlyWrappingLog) {
    HWND child = app_.ActiveChild();
    ASSERT_NE(nullptr, child);
    EXPECT_EQ("Velmir1", AppDriver::WindowText(child));
    EXPECT_EQ("Velmira32 - Velmir1", AppDriver::WindowText(app_.Main()));
    HWND view = app_.View();
    ASSERT_NE(nullptr, view);
    EXPECT_EQ("Edit", ClassOf(view));
    EXPECT_EQ(std::string(kPrompt) + "\r\n", AppDriver::WindowText(view));
    LONG style = GetWindowLongA(view, GWL_STYLE);
    EXPECT_TRUE(style & ES_READONLY);
    EXPECT_TRUE(style & ES_MULTILINE);
    EXPECT_FALSE(style & WS_HSCROLL) << "long lines wrap";
    EXPECT_FALSE(style & ES_AUTOHSCROLL);
    EXPECT_TRUE(style & WS_VSCROLL);
    EXPECT_TRUE(Calls().empty()) << "starting calls nothing in the library";
}

TEST_F(FakeAppTest, ToolbarAndStatusBarExistWithTheirIds) {
    HWND toolbar = GetDlgItem(app_.Main(), kViewToolbar);
    ASSERT_NE(nullptr, toolbar);
    EXPECT_EQ("ToolbarWindow32", ClassOf(toolbar));
    EXPECT_TRUE(IsWindowVisible(toolbar));
    DWORD_PTR count = 0;
    SendMessageTimeoutA(toolbar, TB_BUTTONCOUNT, 0, 0, SMTO_NORMAL, 5000, &count);
    EXPECT_EQ(10u, count) << "eight buttons and two gaps";
    const UINT ids[] = {57600, 57601, 57603, 0, 57635, 57634, 57637, 0, 57607, 57664};
    for (int i = 0; i < 10; ++i) {
        if (!ids[i]) continue;
        DWORD_PTR index = 0;
        SendMessageTimeoutA(toolbar, TB_COMMANDTOINDEX, ids[i], 0, SMTO_NORMAL, 5000, &index);
        EXPECT_EQ(static_cast<DWORD_PTR>(i), index) << "button " << ids[i];
    }
    HWND status = GetDlgItem(app_.Main(), kViewStatusBar);
    ASSERT_NE(nullptr, status);
    EXPECT_EQ("msctls_statusbar32", ClassOf(status));
    EXPECT_EQ("Ready", AppDriver::WindowText(status));

    // View menu: each bar hides and shows again; the MDI client fills the rest.
    RECT before, after;
    GetWindowRect(app_.MdiClient(), &before);
    app_.Command(kViewToolbar);
    EXPECT_FALSE(IsWindowVisible(toolbar));
    GetWindowRect(app_.MdiClient(), &after);
    EXPECT_LT(after.top, before.top);
    app_.Command(kViewToolbar);
    EXPECT_TRUE(IsWindowVisible(toolbar));
    app_.Command(kViewStatusBar);
    EXPECT_FALSE(IsWindowVisible(status));
    app_.Command(kViewStatusBar);
    EXPECT_TRUE(IsWindowVisible(status));
}

TEST_F(FakeAppTest, NewWindowStartsWithTheCurrentStatusThenBothViewsLogAlike) {
    HWND first = app_.View();
    app_.Command(kAbort);  // disconnected: one line, no library call
    app_.Command(kWindowNew);
    HWND second = app_.View();
    ASSERT_NE(first, second);
    EXPECT_EQ((std::vector<std::string>{"No FTP connection."}), app_.Log(second));
    EXPECT_EQ((std::vector<std::string>{kPrompt, "No FTP connection."}), app_.Log(first));
    EXPECT_EQ("Velmir1:2", AppDriver::WindowText(app_.ActiveChild()));
    EXPECT_EQ("Velmir1:1", AppDriver::WindowText(GetParent(first)));

    // The same posting twice is logged twice, in every view of the document.
    app_.Command(kAbort);
    app_.Command(kAbort);
    EXPECT_EQ((std::vector<std::string>{"No FTP connection.", "No FTP connection.", "No FTP connection."}),
              app_.Log(second));
    EXPECT_EQ(4u, app_.Log(first).size());
    EXPECT_TRUE(Calls().empty());

    // Closing one window leaves the other, untitled by number again.
    // Sent, not posted: Sync's own sent message would overtake a posted close.
    DWORD_PTR closed = 0;
    SendMessageTimeoutA(GetParent(second), WM_CLOSE, 0, 0, SMTO_NORMAL, 30000, &closed);
    app_.Sync();
    EXPECT_EQ("Velmir1", AppDriver::WindowText(GetParent(first)));
}

// A document has room for 32 views: further New Window commands make no
// window, and the program goes on working.
TEST_F(FakeAppTest, NewWindowBeyondThirtyTwoViewsIsRefusedSafely) {
    for (int i = 0; i < 34; ++i) app_.Command(kWindowNew);
    ASSERT_TRUE(app_.Sync());
    EXPECT_EQ(32u, Children(app_.MdiClient()).size());
    app_.Command(kAbort);  // every view still logs
    EXPECT_EQ((std::vector<std::string>{kPrompt, "No FTP connection."}), app_.Log(app_.View()));
    app_.Command(kFileClose);
    ASSERT_TRUE(app_.Sync());
    EXPECT_TRUE(Children(app_.MdiClient()).empty());
    app_.Command(kFileNew);
    EXPECT_EQ(1u, Children(app_.MdiClient()).size());
}

TEST_F(FakeAppTest, DocumentsAreIndependentAndTheMenuFollowsTheActiveWindow) {
    HMENU menuWithDocument = GetMenu(app_.Main());
    HWND firstView = app_.View();
    app_.Command(kFileNew);
    HWND secondView = app_.View();
    ASSERT_NE(firstView, secondView);
    EXPECT_EQ("Velmir2", AppDriver::WindowText(app_.ActiveChild()));
    app_.Command(kAbort);
    EXPECT_EQ((std::vector<std::string>{kPrompt, "No FTP connection."}), app_.Log(secondView));
    EXPECT_EQ((std::vector<std::string>{kPrompt}), app_.Log(firstView));

    app_.Command(kWindowTile);
    EXPECT_TRUE(Screenshot("velmira32")) << "main window with two documents";

    // Closing every document brings back the frame's own menu and title.
    app_.Command(kFileClose);
    app_.Command(kFileClose);
    EXPECT_EQ(nullptr, app_.ActiveChild());
    EXPECT_EQ(0u, Children(app_.MdiClient()).size());
    EXPECT_NE(menuWithDocument, GetMenu(app_.Main()));
    EXPECT_EQ("Velmira32", AppDriver::WindowText(app_.Main()));
    // A new document after that is numbered on.
    app_.Command(kFileNew);
    EXPECT_EQ("Velmir3", AppDriver::WindowText(app_.ActiveChild()));
    EXPECT_EQ(menuWithDocument, GetMenu(app_.Main()));
}

TEST_F(FakeAppTest, AboutBoxShowsTheVersionAndClosesOnOk) {
    PostMessageA(app_.Main(), WM_COMMAND, kAbout, 0);
    HWND about = app_.WaitWindow("About Velmira32");
    ASSERT_NE(nullptr, about);
    HWND line = FindWindowExA(about, nullptr, "Static", "Velmira32 Version 1.0");
    EXPECT_NE(nullptr, line);
    EXPECT_EQ("OK", AppDriver::ItemText(about, IDOK));
    AppDriver::Click(about, IDOK);
    EXPECT_TRUE(app_.WaitGone(about));
}

TEST_F(FakeAppTest, PrintPreviewShowsPagesAndCloses) {
    app_.Command(kAbort);
    PostMessageA(app_.Main(), WM_COMMAND, kPrintPreview, 0);
    HWND preview = app_.WaitWindow("Velmir1 - Print Preview");
    ASSERT_NE(nullptr, preview);
    EXPECT_FALSE(IsWindowEnabled(app_.Main())) << "the frame waits while the preview is open";
    HWND close = GetDlgItem(preview, 0xF005);
    ASSERT_NE(nullptr, close);
    EXPECT_EQ("Close", AppDriver::WindowText(close));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(preview, 0xF006))) << "one page: no next page";
    AppDriver::Click(preview, 0xF005);
    EXPECT_TRUE(app_.WaitGone(preview));
    app_.Sync();
    EXPECT_TRUE(IsWindowEnabled(app_.Main()));

    // A preview whose view goes closes with it.
    PostMessageA(app_.Main(), WM_COMMAND, kPrintPreview, 0);
    preview = app_.WaitWindow("Velmir1 - Print Preview");
    ASSERT_NE(nullptr, preview);
    app_.Command(kFileClose);
    EXPECT_TRUE(app_.WaitGone(preview));
    app_.Sync();
    EXPECT_TRUE(IsWindowEnabled(app_.Main()));
    EXPECT_EQ(nullptr, app_.ActiveChild());
}

TEST_F(FakeAppTest, SaveAsWritesTheLogAndOpeningAFileShowsOnlyTheNewLog) {
    app_.Command(kAbort);
    const std::string path = dir_ + "\\session.log";
    DeleteFileA(path.c_str());
    PostMessageA(app_.Main(), WM_COMMAND, 57604, 0);  // Save As
    HWND dlg = app_.WaitWindow("Save As");
    ASSERT_NE(nullptr, dlg);
    HWND name = nullptr;  // the file name box: the dialog's first edit control, at any depth
    EnumChildWindows(dlg, &FindVisibleEdit, reinterpret_cast<LPARAM>(&name));
    ASSERT_NE(nullptr, name);
    AppDriver::SetItemText(GetParent(name), GetDlgCtrlID(name), path);
    AppDriver::Click(dlg, IDOK);
    ASSERT_TRUE(app_.WaitGone(dlg));
    app_.Sync();
    EXPECT_EQ(std::string(kPrompt) + "\r\nNo FTP connection.\r\n", ReadFileBytes(path)) << "the log as shown";
    EXPECT_EQ("session.log", AppDriver::WindowText(app_.ActiveChild()));

    // Opened again (from the command line), the view's first update replaces
    // the file's text with the view's own log.
    AppDriver second;
    ASSERT_TRUE(second.Start(ExeDir() + "\\fake_tovan\\Velmira32.exe", dir_, "\"" + path + "\""));
    EXPECT_EQ("session.log", AppDriver::WindowText(second.ActiveChild()));
    EXPECT_EQ(std::string(kPrompt) + "\r\n", AppDriver::WindowText(second.View()));
    EXPECT_EQ(0u, second.Stop());
}

TEST_F(FakeAppTest, MenuItemsShowTheirPromptInTheStatusBar) {
    HWND status = GetDlgItem(app_.Main(), kViewStatusBar);
    ASSERT_NE(nullptr, status);
    HMENU menu = GetMenu(app_.Main());
    auto select = [&](UINT id, UINT flags, HMENU from) {
        DWORD_PTR result = 0;
        SendMessageTimeoutA(app_.Main(), WM_MENUSELECT, MAKEWPARAM(id, flags), reinterpret_cast<LPARAM>(from),
                            SMTO_NORMAL, 5000, &result);
        return AppDriver::WindowText(status);
    };
    EXPECT_EQ("Create a new document", select(kFileNew, MF_STRING, menu));
    EXPECT_EQ("Open another window for the active document", select(kWindowNew, MF_STRING, menu));
    EXPECT_EQ("Close the active window and prompts to save the documents", select(SC_CLOSE, MF_SYSMENU, menu));
    EXPECT_EQ("", select(kLogin, MF_STRING, menu)) << "FTP commands have no prompt";
    EXPECT_EQ("Ready", select(0, 0xFFFF, nullptr)) << "menu closed";
}

TEST_F(FakeAppTest, LogScrollsToItsLastLineAndCanBeCopied) {
    for (int i = 0; i < 60; ++i) app_.Command(kAbort);
    HWND view = app_.View();
    ASSERT_EQ(61u, app_.Log(view).size());
    DWORD_PTR first = 0, lines = 0;
    SendMessageTimeoutA(view, EM_GETFIRSTVISIBLELINE, 0, 0, SMTO_NORMAL, 5000, &first);
    SendMessageTimeoutA(view, EM_GETLINECOUNT, 0, 0, SMTO_NORMAL, 5000, &lines);
    EXPECT_GT(first, 0u) << "scrolled down";
    EXPECT_GE(first + 60, lines - 1) << "the last line is in view";
    EXPECT_TRUE(GetWindowLongA(view, GWL_STYLE) & ES_READONLY);

    // Read-only, yet its text can be selected and copied.
    DWORD_PTR result = 0;
    SendMessageTimeoutA(view, EM_SETSEL, 0, 10, SMTO_NORMAL, 5000, &result);
    app_.Command(57634);  // Edit Copy
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE data = GetClipboardData(CF_TEXT);
    std::string copied = data ? static_cast<const char*>(GlobalLock(data)) : "";
    if (data) GlobalUnlock(data);
    CloseClipboard();
    EXPECT_EQ("Please con", copied);
    app_.Command(57637);  // Paste does nothing to a read-only log
    EXPECT_EQ(61u, app_.Log(view).size());
    EXPECT_EQ(kPrompt, app_.Log(view)[0]);
}

// Closing the program with two documents open, one of them in two windows,
// ends it with code 0 every time, whether it is closed from outside, by
// File Exit or while a print preview is open. The document windows must go
// before the frame and its MDI client: Wine's heap check (on for every Wine
// test) reports any use of the client's freed memory on the way out.
TEST(AppShutdown, ClosesCleanlyWithTwoDocumentsAndASecondWindow) {
    enum class Close { Message, FileExit, DuringPreview };
    const Close kWays[] = {Close::Message, Close::FileExit, Close::DuringPreview};
    const int kRounds = 24;
    std::string dir = ScratchDir("shutdown");
    SetEnvironmentVariableA("VELMIRA_FAKE_DIR", dir.c_str());
    for (int round = 0; round < kRounds; ++round) {
        Close way = kWays[round % 3];
        SCOPED_TRACE("round " + std::to_string(round) + ", way " + std::to_string(static_cast<int>(way)));
        AppDriver app;
        ASSERT_TRUE(app.Start(ExeDir() + "\\fake_tovan\\Velmira32.exe", dir));
        app.Command(kFileNew);
        app.Command(kWindowNew);
        ASSERT_TRUE(app.Sync());
        ASSERT_EQ(3u, Children(app.MdiClient()).size());
        ASSERT_EQ("Velmir2:2", AppDriver::WindowText(app.ActiveChild()));
        if (way == Close::DuringPreview) {
            PostMessageA(app.Main(), WM_COMMAND, kPrintPreview, 0);
            ASSERT_NE(nullptr, app.WaitWindow("Velmir2 - Print Preview"));
        }
        if (way == Close::FileExit) PostMessageA(app.Main(), WM_COMMAND, 57665, 0);
        EXPECT_EQ(0u, app.Stop()) << "98: did not end within 5 s; 99 or an exception code: crashed";
    }
}
