// The "Network Browser" dialog with the system's own network provider, which
// under Wine lists no network: the gate, the template, and the "Network
// Error" path.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "browser_driver.h"

using browsertest::BrowserDriver;

namespace {

// Runs first: nothing has called ZENKInit yet in this process.
TEST(BrowserDialog, NotInitialisedReturnsZeroAndShowsNothing) {
    char buffer[ZENK_SERVERNAME_SIZE] = "untouched";
    EXPECT_EQ(ZENKGetServerNameDlg(nullptr, buffer), 0);
    EXPECT_STREQ(buffer, "untouched");
}

class BrowserDialogInit : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ZENKInit(); }
};

TEST_F(BrowserDialogInit, NullBufferIsRefusedWithoutADialog) {
    EXPECT_EQ(ZENKGetServerNameDlg(nullptr, nullptr), 0);
}

// Size and place of a control in dialog units.
RECT UnitsOf(HWND dialog, int id) {
    RECT r = {};
    GetWindowRect(GetDlgItem(dialog, id), &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    RECT unit = {0, 0, 4, 8};
    MapDialogRect(dialog, &unit);
    return {MulDiv(r.left, 4, unit.right), MulDiv(r.top, 8, unit.bottom),
            MulDiv(r.right - r.left, 4, unit.right), MulDiv(r.bottom - r.top, 8, unit.bottom)};
}

std::string TextOf(HWND window) {
    char text[64] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

TEST_F(BrowserDialogInit, ShownDialogHasTheControlsInPlace) {
    BrowserDriver d;
    d.Start();
    HWND dialog = d.WaitForDialog();
    ASSERT_NE(dialog, nullptr);
    LONG style = GetWindowLongA(dialog, GWL_STYLE);
    EXPECT_EQ(style & (WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME),
              WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME);
    EXPECT_EQ(TextOf(dialog), "Network Browser");

    struct Expected { int id; const char* cls; const char* text; RECT units; };
    const Expected controls[] = {
        {101, "ListBox", "", {9, 17, 123, 99}},
        {IDOK, "Button", "OK", {138, 17, 50, 14}},
        {IDCANCEL, "Button", "Cancel", {138, 33, 50, 14}},
        {102, "Button", "&Refresh", {138, 58, 50, 14}},
    };
    for (const Expected& c : controls) {
        HWND control = GetDlgItem(dialog, c.id);
        ASSERT_NE(control, nullptr) << c.id;
        EXPECT_STRCASEEQ(ClassOf(control).c_str(), c.cls);
        if (c.id != 101) {
            EXPECT_EQ(TextOf(control), c.text);
        }
        RECT u = UnitsOf(dialog, c.id);
        EXPECT_NEAR(u.left, c.units.left, 1) << c.id;
        EXPECT_NEAR(u.top, c.units.top, 1) << c.id;
        EXPECT_NEAR(u.right, c.units.right, 1) << c.id;
        // An owner-drawn list box rounds its height to whole items.
        if (c.id != 101) {
            EXPECT_NEAR(u.bottom, c.units.bottom, 1) << c.id;
        } else {
            EXPECT_LE(u.bottom, c.units.bottom + 1);
        }
    }
    // The "&Networks" label: a static control with id -1 at 9,5.
    HWND label = nullptr;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (TextOf(child) == "&Networks") label = child;
    ASSERT_NE(label, nullptr);
    int labelId = GetDlgCtrlID(label);
    EXPECT_TRUE(labelId == 0xFFFF || labelId == -1) << labelId;
    EXPECT_STRCASEEQ(ClassOf(label).c_str(), "Static");

    // Items are at least 17 pixels high, room for the 16-pixel pictures.
    EXPECT_GE(SendMessageA(GetDlgItem(dialog, 101), LB_GETITEMHEIGHT, 0, 0), 17);
    ASSERT_TRUE(d.WaitForOutcome());
    EXPECT_EQ(d.Cancel(), 0);
}

// Reads a DLGTEMPLATE (the plain form, as the library's resource has it).
class TemplateReader {
public:
    explicit TemplateReader(const void* data) : p_(static_cast<const BYTE*>(data)) {}
    DWORD Dword() { DWORD v; std::memcpy(&v, p_, 4); p_ += 4; return v; }
    WORD Word() { WORD v; std::memcpy(&v, p_, 2); p_ += 2; return v; }
    short Short() { return static_cast<short>(Word()); }
    // A string or an ordinal ("#n").
    std::string Text() {
        WORD first = Word();
        if (first == 0xFFFF) return "#" + std::to_string(Word());
        std::string out;
        for (WORD c = first; c; c = Word()) out += static_cast<char>(c);
        return out;
    }
    void AlignDword() {
        while (reinterpret_cast<uintptr_t>(p_) % 4) ++p_;
    }

private:
    const BYTE* p_;
};

TEST_F(BrowserDialogInit, TemplateResourceIsTheListedOne) {
    HMODULE library = GetModuleHandleA("zenk32.dll");
    HRSRC found = FindResourceA(library, MAKEINTRESOURCEA(1000), reinterpret_cast<LPCSTR>(RT_DIALOG));
    ASSERT_NE(found, nullptr);
    TemplateReader t(LockResource(LoadResource(library, found)));
    DWORD style = t.Dword();
    EXPECT_EQ(style & ~static_cast<DWORD>(DS_SETFONT),
              static_cast<DWORD>(DS_MODALFRAME | WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU));
    ASSERT_TRUE(style & DS_SETFONT);
    t.Dword();  // extended style
    ASSERT_EQ(t.Word(), 5);
    EXPECT_EQ(t.Short(), 6);
    EXPECT_EQ(t.Short(), 15);
    EXPECT_EQ(t.Short(), 195);
    EXPECT_EQ(t.Short(), 127);
    EXPECT_EQ(t.Text(), "");  // no menu
    EXPECT_EQ(t.Text(), "");  // the standard dialog class
    EXPECT_EQ(t.Text(), "Network Browser");
    EXPECT_EQ(t.Word(), 8);
    EXPECT_EQ(t.Text(), "MS Sans Serif");

    struct Item { DWORD style; short x, y, cx, cy; WORD id; const char* cls; const char* text; };
    const DWORD child = WS_CHILD | WS_VISIBLE;
    const Item items[] = {
        {child | SS_LEFT | WS_GROUP, 9, 5, 41, 8, 0xFFFF, "#130", "&Networks"},
        {child | LBS_OWNERDRAWFIXED | LBS_NOTIFY | WS_VSCROLL | WS_BORDER | WS_TABSTOP,
         9, 17, 123, 99, 101, "#131", ""},
        {child | BS_DEFPUSHBUTTON | WS_TABSTOP, 138, 17, 50, 14, 1, "#128", "OK"},
        {child | BS_PUSHBUTTON | WS_TABSTOP, 138, 33, 50, 14, 2, "#128", "Cancel"},
        {child | BS_PUSHBUTTON | WS_TABSTOP, 138, 58, 50, 14, 102, "#128", "&Refresh"},
    };
    for (const Item& want : items) {
        t.AlignDword();
        EXPECT_EQ(t.Dword(), want.style) << want.text;
        t.Dword();
        EXPECT_EQ(t.Short(), want.x) << want.text;
        EXPECT_EQ(t.Short(), want.y) << want.text;
        EXPECT_EQ(t.Short(), want.cx) << want.text;
        EXPECT_EQ(t.Short(), want.cy) << want.text;
        EXPECT_EQ(t.Word(), want.id) << want.text;
        EXPECT_EQ(t.Text(), want.cls) << want.text;
        EXPECT_EQ(t.Text(), want.text);
        EXPECT_EQ(t.Word(), 0) << want.text;  // no creation data
    }
}

TEST_F(BrowserDialogInit, NoNetworkShowsNetworkErrorAndCancelReturnsZero) {
    BrowserDriver d;
    d.Start("keep me");
    ASSERT_NE(d.WaitForDialog(), nullptr);
    ASSERT_TRUE(d.WaitForOutcome());
    EXPECT_EQ(d.Items(), std::vector<std::string>{"Network Error"});
    // The text item is no node: OK and double-click leave the dialog open.
    d.Select(0);
    d.Press(IDOK);
    d.DoubleClick(0);
    EXPECT_TRUE(d.Running());
    EXPECT_EQ(d.Items(), std::vector<std::string>{"Network Error"});
    // Refresh enumerates again and fails again.
    d.Press(browsertest::kRefreshId);
    ASSERT_TRUE(d.WaitForOutcome());
    EXPECT_EQ(d.Items(), std::vector<std::string>{"Network Error"});
    EXPECT_EQ(d.Cancel(), 0);
    EXPECT_STREQ(d.Buffer(), "keep me");
}

}  // namespace
