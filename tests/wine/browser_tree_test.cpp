// The "Network Browser" dialog over a provider with a fixed tree (the test's
// own mpr.dll beside this program): loading, expanding and collapsing,
// choosing by OK and by double-click, cancel, refresh, workers that outlive
// a refresh or the dialog, two dialogs at once, and a screenshot.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "browser_driver.h"

using browsertest::BrowserDriver;
using browsertest::WaitFor;
using Items = std::vector<std::string>;

namespace {

// Enumerations a whole tree opens: the top level, the two named networks,
// their four domains (the unnamed network is refused as a container).
constexpr LONG kContainersPerTree = 7;
const Items kNetworks = {"Zenk Test Network", "Second Net", "Network Name Not Availble"};

// The fake provider's controls.
struct FakeMpr {
    void (WINAPI* setDelay)(DWORD) = nullptr;
    void (WINAPI* setNoNetwork)(BOOL) = nullptr;
    LONG (WINAPI* openCount)() = nullptr;
    LONG (WINAPI* handlesOpen)() = nullptr;
    FakeMpr() {
        HMODULE mpr = LoadLibraryA("mpr.dll");
        setDelay = reinterpret_cast<decltype(setDelay)>(GetProcAddress(mpr, "FakeMprSetDelay"));
        setNoNetwork = reinterpret_cast<decltype(setNoNetwork)>(GetProcAddress(mpr, "FakeMprSetNoNetwork"));
        openCount = reinterpret_cast<decltype(openCount)>(GetProcAddress(mpr, "FakeMprOpenCount"));
        handlesOpen = reinterpret_cast<decltype(handlesOpen)>(GetProcAddress(mpr, "FakeMprHandlesOpen"));
    }
    bool Loaded() const { return setDelay && setNoNetwork && openCount && handlesOpen; }
};

class BrowserTree : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ZENKInit(); }
    void SetUp() override {
        ASSERT_TRUE(fake.Loaded()) << "the test's mpr.dll is not the one loaded";
        fake.setDelay(0);
        fake.setNoNetwork(FALSE);
    }
    // Opens a dialog and waits until it lists its networks.
    void OpenLoaded(BrowserDriver& d) {
        d.Start();
        ASSERT_NE(d.WaitForDialog(), nullptr);
        ASSERT_TRUE(d.WaitForOutcome());
        ASSERT_EQ(d.Items(), kNetworks);
    }
    FakeMpr fake;
};

// The colour of a pixel of list item `index`, at (x, y) inside its rectangle.
COLORREF PixelOfItem(HWND list, int index, int x, int y) {
    RECT r = {};
    SendMessageA(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
    // The list belongs to the dialog's thread: RDW_UPDATENOW from here does
    // not wait for its painting, and a pixel read mid-paint is background.
    // The sent WM_PAINT returns once the list has painted what is invalid.
    RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
    DWORD_PTR painted = 0;
    SendMessageTimeoutA(list, WM_PAINT, 0, 0, SMTO_NORMAL, 5000, &painted);
    HDC dc = GetDC(list);
    COLORREF c = GetPixel(dc, r.left + x, r.top + y);
    ReleaseDC(list, dc);
    return c;
}

TEST_F(BrowserTree, OpensWorkingThenListsNetworksCollapsed) {
    fake.setDelay(100);
    BrowserDriver d;
    d.Start();
    ASSERT_NE(d.WaitForDialog(), nullptr);
    // While the worker enumerates: "Working...", OK and Cancel disabled.
    EXPECT_EQ(d.Items(), Items{"Working..."});
    EXPECT_FALSE(IsWindowEnabled(d.Control(IDOK)));
    EXPECT_FALSE(IsWindowEnabled(d.Control(IDCANCEL)));
    EXPECT_TRUE(IsWindowEnabled(d.Control(browsertest::kRefreshId)));
    ASSERT_TRUE(d.WaitForOutcome());
    EXPECT_EQ(d.Items(), kNetworks);
    EXPECT_EQ(d.Node(0)->expanded, 0u);
    EXPECT_STREQ(d.Node(0)->comment, "first network");
    EXPECT_STREQ(d.Node(0)->provider, "Zenk Fake Provider");
    // Every enumeration was closed.
    EXPECT_EQ(fake.handlesOpen(), 0);
    EXPECT_EQ(d.Cancel(), 0);
    EXPECT_STREQ(d.Buffer(), "untouched");
}

TEST_F(BrowserTree, ExpandsAndCollapsesByDoubleClick) {
    BrowserDriver d;
    OpenLoaded(d);
    d.DoubleClick(0);
    EXPECT_EQ(d.Items(), (Items{"Zenk Test Network", "WORKGROUP", "ZENKLAB", "Second Net",
                                "Network Name Not Availble"}));
    d.DoubleClick(1);
    EXPECT_EQ(d.Items(), (Items{"Zenk Test Network", "WORKGROUP", "ALPHA", "BRAVO", "ZENKLAB",
                                "Second Net", "Network Name Not Availble"}));
    d.DoubleClick(5);  // Second Net: a group (shown as a domain) and an empty domain
    EXPECT_EQ(d.Items(), (Items{"Zenk Test Network", "WORKGROUP", "ALPHA", "BRAVO", "ZENKLAB",
                                "Second Net", "GROUPED", "EMPTYDOM", "Network Name Not Availble"}));
    d.DoubleClick(7);  // a domain without servers: nothing
    EXPECT_EQ(d.Items().size(), 9u);
    d.DoubleClick(6);
    EXPECT_EQ(d.Items()[7], "DELTA");

    // Collapsing a network removes everything below it up to the next one,
    // and its domains come back collapsed.
    d.DoubleClick(0);
    EXPECT_EQ(d.Items(), (Items{"Zenk Test Network", "Second Net", "GROUPED", "DELTA", "EMPTYDOM",
                                "Network Name Not Availble"}));
    d.DoubleClick(0);
    EXPECT_EQ(d.Items(), (Items{"Zenk Test Network", "WORKGROUP", "ZENKLAB", "Second Net", "GROUPED",
                                "DELTA", "EMPTYDOM", "Network Name Not Availble"}));
    EXPECT_EQ(d.Node(1)->expanded, 0u);
    // A domain collapses to itself.
    d.DoubleClick(4);
    EXPECT_EQ(d.Items(), (Items{"Zenk Test Network", "WORKGROUP", "ZENKLAB", "Second Net", "GROUPED",
                                "EMPTYDOM", "Network Name Not Availble"}));
    // The unnamed network has no children (its stand-in name is no container).
    d.DoubleClick(6);
    EXPECT_EQ(d.Items().size(), 7u);
    EXPECT_TRUE(d.Running());
    EXPECT_EQ(d.Cancel(), 0);
}

TEST_F(BrowserTree, OkOnDomainTogglesAndOkOnServerChoosesIt) {
    BrowserDriver d;
    OpenLoaded(d);
    d.Press(IDOK);  // nothing selected: nothing happens
    EXPECT_TRUE(d.Running());
    d.Select(0);
    d.Press(IDOK);  // a network: expands, dialog stays
    EXPECT_EQ(d.Items().size(), 5u);
    d.Select(1);
    d.Press(IDOK);
    ASSERT_EQ(d.Items().size(), 7u);
    EXPECT_TRUE(d.Running());
    d.Select(2);
    d.Press(IDOK);
    EXPECT_EQ(d.Finish(), 1);
    EXPECT_STREQ(d.Buffer(), "ALPHA");
}

TEST_F(BrowserTree, DoubleClickOnServerChoosesIt) {
    BrowserDriver d;
    OpenLoaded(d);
    d.DoubleClick(0);
    d.DoubleClick(2);  // ZENKLAB
    ASSERT_EQ(d.Items()[3], "CHARLIE");
    d.DoubleClick(3);
    EXPECT_EQ(d.Finish(), 1);
    EXPECT_STREQ(d.Buffer(), "CHARLIE");
}

// A name that does not fit the caller's 32 bytes is shown cut, but OK and a
// double-click on it only beep and say so in a message box of the dialog's
// own: the dialog stays open, the buffer untouched, and another server can
// still be chosen.
TEST_F(BrowserTree, ServerNameTooLongForTheBufferIsShownCutButNotChosen) {
    enum class Way { Ok, DoubleClick };
    for (Way way : {Way::Ok, Way::DoubleClick}) {
        SCOPED_TRACE(way == Way::Ok ? "OK" : "double-click");
        BrowserDriver d;
        OpenLoaded(d);
        d.DoubleClick(0);
        d.DoubleClick(2);
        ASSERT_EQ(d.Items().size(), 7u);
        EXPECT_EQ(d.Items()[4], "A-SERVER-NAME-OF-FORTY-CHARAC");  // 31 characters with the backslashes
        if (way == Way::Ok) {
            d.Select(4);
            d.PostPress(IDOK);
        } else {
            d.PostDoubleClick(4);
        }
        HWND box = d.WaitForOwnedWindow();
        ASSERT_NE(box, nullptr) << "no message of the dialog's own";
        char title[64] = {};
        GetWindowTextA(box, title, sizeof title);
        EXPECT_STREQ(title, "Server Name Too Long");
        EXPECT_TRUE(d.Running());
        EXPECT_STREQ(d.Buffer(), "untouched");
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }));
        EXPECT_TRUE(d.Running()) << "the dialog stays open";
        EXPECT_STREQ(d.Buffer(), "untouched");
        EXPECT_EQ(d.Items().size(), 7u);
        d.Select(3);
        d.Press(IDOK);
        EXPECT_EQ(d.Finish(), 1);
        EXPECT_STREQ(d.Buffer(), "CHARLIE");
    }
}

TEST_F(BrowserTree, DrawsPicturesAtTheirIndentation) {
    BrowserDriver d;
    OpenLoaded(d);
    d.DoubleClick(0);
    d.DoubleClick(1);
    d.Select(4);  // ZENKLAB selected; the rows checked are not
    const COLORREF cyan = RGB(0, 255, 255), green = RGB(0, 255, 0), red = RGB(255, 0, 0);
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    // Column 8 of each picture's top row is its background colour.
    EXPECT_EQ(PixelOfItem(d.List(), 0, 8, 3), cyan);
    EXPECT_EQ(PixelOfItem(d.List(), 1, 10 + 8, 0), green);
    EXPECT_EQ(PixelOfItem(d.List(), 1, 5, 0), window);
    EXPECT_EQ(PixelOfItem(d.List(), 2, 20 + 8, 0), red);
    EXPECT_EQ(PixelOfItem(d.List(), 2, 15, 0), window);
    EXPECT_EQ(PixelOfItem(d.List(), 5, 8, 3), cyan);
    // The selected row is drawn in the highlight colour left of its picture.
    EXPECT_EQ(PixelOfItem(d.List(), 4, 5, 5), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(d.Cancel(), 0);
}

TEST_F(BrowserTree, RefreshShowsWorkingAndReloads) {
    BrowserDriver d;
    OpenLoaded(d);
    d.DoubleClick(0);
    LONG opened = fake.openCount();
    fake.setDelay(100);
    d.Press(browsertest::kRefreshId);
    EXPECT_EQ(d.Items(), Items{"Working..."});
    EXPECT_TRUE(IsWindowEnabled(d.Control(IDOK)));
    EXPECT_TRUE(IsWindowEnabled(d.Control(IDCANCEL)));
    // OK and double-click on the text item do nothing.
    d.Select(0);
    d.Press(IDOK);
    d.DoubleClick(0);
    EXPECT_TRUE(d.Running());
    ASSERT_TRUE(d.WaitForOutcome());
    EXPECT_EQ(d.Items(), kNetworks);
    EXPECT_EQ(fake.openCount(), opened + kContainersPerTree);
    EXPECT_EQ(d.Cancel(), 0);
}

TEST_F(BrowserTree, RefreshesWhileWorkersRunTakeOnlyTheLastResult) {
    BrowserDriver d;
    OpenLoaded(d);
    fake.setDelay(150);
    d.Press(browsertest::kRefreshId);
    Sleep(50);
    d.Press(browsertest::kRefreshId);
    d.Press(browsertest::kRefreshId);
    ASSERT_TRUE(d.WaitForOutcome());
    EXPECT_EQ(d.Items(), kNetworks);
    // The workers left behind finish into their own trees; the list stays.
    Sleep(300);
    EXPECT_EQ(d.Items(), kNetworks);
    EXPECT_EQ(fake.handlesOpen(), 0);
    d.DoubleClick(0);
    EXPECT_EQ(d.Items().size(), 5u);
    EXPECT_EQ(d.Cancel(), 0);
}

TEST_F(BrowserTree, NoNetworkThenRefreshWithOne) {
    fake.setNoNetwork(TRUE);
    BrowserDriver d;
    d.Start();
    ASSERT_NE(d.WaitForDialog(), nullptr);
    ASSERT_TRUE(d.WaitForOutcome());
    EXPECT_EQ(d.Items(), Items{"Network Error"});
    d.DoubleClick(0);
    d.Press(IDOK);
    EXPECT_TRUE(d.Running());
    fake.setNoNetwork(FALSE);
    d.Press(browsertest::kRefreshId);
    ASSERT_TRUE(d.WaitForOutcome());
    EXPECT_EQ(d.Items(), kNetworks);
    EXPECT_EQ(d.Cancel(), 0);
}

TEST_F(BrowserTree, DialogClosedWhileItsWorkerRuns) {
    const LONG before = fake.openCount();
    fake.setDelay(150);
    for (int round = 0; round < 2; ++round) {
        BrowserDriver d;
        d.Start();
        ASSERT_NE(d.WaitForDialog(), nullptr);
        EXPECT_EQ(d.Items(), Items{"Working..."});
        // Cancel is disabled for the user, but the command still ends it.
        EXPECT_EQ(d.Cancel(), 0);
    }
    // The workers finish after their dialogs (seven containers each) and
    // touch nothing of theirs.
    EXPECT_TRUE(WaitFor([&] {
        return fake.openCount() == before + 2 * kContainersPerTree && fake.handlesOpen() == 0;
    }, 10000));
    Sleep(100);
    fake.setDelay(0);
    BrowserDriver again;
    OpenLoaded(again);
    EXPECT_EQ(again.Cancel(), 0);
}

TEST_F(BrowserTree, SecondDialogOnTheSameThreadIsRefused) {
    BrowserDriver d;
    OpenLoaded(d);
    EXPECT_EQ(d.OpenNested(), 0);
    // The first one is unharmed.
    d.DoubleClick(0);
    EXPECT_EQ(d.Items().size(), 5u);
    d.DoubleClick(1);
    d.DoubleClick(2);
    EXPECT_EQ(d.Finish(), 1);
    EXPECT_STREQ(d.Buffer(), "ALPHA");
}

TEST_F(BrowserTree, TwoDialogsOnTwoThreadsShareThePictures) {
    const COLORREF cyan = RGB(0, 255, 255), green = RGB(0, 255, 0);
    for (int round = 0; round < 3; ++round) {
        BrowserDriver a, b;
        a.Start();
        b.Start();
        ASSERT_NE(a.WaitForDialog(), nullptr);
        ASSERT_NE(b.WaitForDialog(), nullptr);
        SetWindowPos(b.Dialog(), nullptr, 420, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        ASSERT_TRUE(a.WaitForOutcome());
        ASSERT_TRUE(b.WaitForOutcome());
        a.DoubleClick(0);
        b.DoubleClick(1);
        EXPECT_EQ(PixelOfItem(a.List(), 1, 18, 0), green);
        EXPECT_EQ(PixelOfItem(b.List(), 0, 8, 3), cyan);
        // The first to close leaves the set to the other.
        EXPECT_EQ(a.Cancel(), 0);
        EXPECT_EQ(PixelOfItem(b.List(), 2, 18, 0), green);
        EXPECT_EQ(PixelOfItem(b.List(), 0, 8, 3), cyan);
        EXPECT_EQ(b.Cancel(), 0);
    }
}

// Run by the test's runner, which takes the picture of the screen when the
// program asks for it (the file browser-shot.req, answered by browser-shot.done).
TEST_F(BrowserTree, ScreenshotOfExpandedNetworkAndDomain) {
    BrowserDriver d;
    OpenLoaded(d);
    d.DoubleClick(0);
    d.DoubleClick(1);
    d.DoubleClick(5);
    d.Select(2);
    ASSERT_EQ(d.Items()[2], "ALPHA");
    RedrawWindow(d.Dialog(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    if (std::getenv("ZENK_SCREENSHOT")) {
        RECT r = {};
        GetWindowRect(d.Dialog(), &r);
        std::remove("browser-shot.done");
        FILE* request = std::fopen("browser-shot.req.tmp", "w");
        ASSERT_NE(request, nullptr);
        std::fprintf(request, "%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
        std::fclose(request);
        std::rename("browser-shot.req.tmp", "browser-shot.req");
        EXPECT_TRUE(WaitFor([] {
            FILE* f = std::fopen("browser-shot.done", "r");
            if (f) std::fclose(f);
            return f != nullptr;
        }, 20000));
    }
    d.Press(IDOK);  // ALPHA
    EXPECT_EQ(d.Finish(), 1);
    EXPECT_STREQ(d.Buffer(), "ALPHA");
}

}  // namespace
