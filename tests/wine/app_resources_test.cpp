// Velmira32's resources read from the program file: menus, accelerators,
// toolbar, pictures, dialogs and strings with the ids the program uses.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "app_fake_fixture.h"

using namespace velmira_test;

namespace {
class ResourcesTest : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryExA((ExeDir() + "\\Velmira32.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(nullptr, module_);
    }
    void TearDown() override { FreeLibrary(module_); }
    std::string String(UINT id) const {
        char text[512] = {};
        int length = LoadStringA(module_, id, text, sizeof text);
        return std::string(text, length > 0 ? length : 0);
    }
    // "text=id" per item of a popup, "-" for a separator.
    static std::vector<std::string> Items(HMENU popup) {
        std::vector<std::string> items;
        for (int i = 0; i < GetMenuItemCount(popup); ++i) {
            char text[128] = {};
            GetMenuStringA(popup, i, text, sizeof text, MF_BYPOSITION);
            UINT id = GetMenuItemID(popup, i);
            items.push_back(text[0] ? std::string(text) + "=" + std::to_string(id) : "-");
        }
        return items;
    }
    HMODULE module_ = nullptr;
};

using ItemList = std::vector<std::string>;
}  // namespace

TEST_F(ResourcesTest, FrameMenuHasFileViewHelp) {
    HMENU menu = LoadMenuA(module_, MAKEINTRESOURCEA(128));
    ASSERT_NE(nullptr, menu);
    ASSERT_EQ(3, GetMenuItemCount(menu));
    EXPECT_EQ((ItemList{"&New\tCtrl+N=57600", "&Open...\tCtrl+O=57601", "-", "P&rint Setup...=57606", "-",
                     "Recent File=57616", "-", "E&xit=57665"}),
              Items(GetSubMenu(menu, 0)));
    EXPECT_TRUE(GetMenuState(menu, 57616, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_EQ((ItemList{"&Toolbar=59392", "&Status Bar=59393"}), Items(GetSubMenu(menu, 1)));
    EXPECT_EQ((ItemList{"&About Velmira32...=57664"}), Items(GetSubMenu(menu, 2)));
    DestroyMenu(menu);
}

TEST_F(ResourcesTest, DocumentMenuHasEveryCommandEnabledAndUnchecked) {
    HMENU menu = LoadMenuA(module_, MAKEINTRESOURCEA(129));
    ASSERT_NE(nullptr, menu);
    ASSERT_EQ(7, GetMenuItemCount(menu));
    char title[32];
    const char* titles[] = {"&File", "&Edit", "&Connection", "C&ommand", "&Options", "&Window", "&Help"};
    for (int i = 0; i < 7; ++i) {
        GetMenuStringA(menu, i, title, sizeof title, MF_BYPOSITION);
        EXPECT_STREQ(titles[i], title);
    }
    EXPECT_EQ((ItemList{"&New\tCtrl+N=57600", "&Close=57602", "Save &As...=57604", "-", "&Print...\tCtrl+P=57607",
                     "Print Pre&view=57609", "P&rint Setup...=57606", "-", "E&xit=57665"}),
              Items(GetSubMenu(menu, 0)));
    EXPECT_EQ((ItemList{"&Undo\tCtrl+Z=57643", "-", "Cu&t\tCtrl+X=57635", "&Copy\tCtrl+C=57634", "&Paste\tCtrl+V=57637"}),
              Items(GetSubMenu(menu, 1)));
    EXPECT_EQ((ItemList{"&Login=32796", "&ReLogin=32797", "L&ogout=32798", "GateLogin=32799"}), Items(GetSubMenu(menu, 2)));
    EXPECT_EQ((ItemList{"Ab&ort=32801", "&Put=32774", "&Get=32775", "&CWD=32776", "&MGet=32778", "MP&ut=32779",
                     "D&irList=32780", "&Quote=32781"}),
              Items(GetSubMenu(menu, 3)));
    EXPECT_EQ((ItemList{"&Ascii=32783", "&Binary=32782", "&LocalUnique=32794", "S&toreUnique=32795", "-",
                     "&Status Box=32802"}),
              Items(GetSubMenu(menu, 4)));
    EXPECT_EQ((ItemList{"&New Window=57648", "&Cascade=57650", "&Tile=57651", "&Arrange Icons=57649"}),
              Items(GetSubMenu(menu, 5)));
    EXPECT_EQ((ItemList{"&About Velmira...=57664"}), Items(GetSubMenu(menu, 6)));
    for (int p = 2; p <= 4; ++p) {
        HMENU popup = GetSubMenu(menu, p);
        for (int i = 0; i < GetMenuItemCount(popup); ++i) {
            if (GetMenuItemID(popup, i) == 0) continue;  // separator
            EXPECT_EQ(0u, GetMenuState(popup, i, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED | MF_CHECKED));
        }
    }
    DestroyMenu(menu);
}

TEST_F(ResourcesTest, AcceleratorsMapKeysToCommands) {
    HACCEL accel = LoadAcceleratorsA(module_, MAKEINTRESOURCEA(128));
    ASSERT_NE(nullptr, accel);
    ACCEL entries[32];
    int count = CopyAcceleratorTableA(accel, entries, 32);
    std::vector<std::string> got;
    for (int i = 0; i < count; ++i)
        got.push_back(std::to_string(entries[i].fVirt & (FCONTROL | FSHIFT | FALT)) + ":" + std::to_string(entries[i].key) +
                      "=" + std::to_string(entries[i].cmd));
    const std::string c = std::to_string(FCONTROL), s = std::to_string(FSHIFT), a = std::to_string(FALT);
    EXPECT_EQ((std::vector<std::string>{c + ":78=57600", c + ":79=57601", c + ":83=57603", c + ":80=57607",
                                        c + ":90=57643", c + ":88=57635", c + ":67=57634", c + ":86=57637",
                                        a + ":8=57643", s + ":46=57635", c + ":45=57634", s + ":45=57637",
                                        "0:117=57680", s + ":117=57681"}),
              got);
    DestroyAcceleratorTable(accel);
}

TEST_F(ResourcesTest, ToolbarPicturesIconsAndDialogsArePresent) {
    HRSRC toolbar = FindResourceA(module_, MAKEINTRESOURCEA(128), MAKEINTRESOURCEA(241));
    ASSERT_NE(nullptr, toolbar);
    const WORD* data = static_cast<const WORD*>(LockResource(LoadResource(module_, toolbar)));
    EXPECT_EQ((std::vector<WORD>{1, 16, 15, 10, 57600, 57601, 57603, 0, 57635, 57634, 57637, 0, 57607, 57664}),
              std::vector<WORD>(data, data + 14));
    HBITMAP bitmap = LoadBitmapA(module_, MAKEINTRESOURCEA(128));
    ASSERT_NE(nullptr, bitmap);
    BITMAP info = {};
    GetObjectA(bitmap, sizeof info, &info);
    EXPECT_EQ(8 * 16, info.bmWidth) << "one picture per button";
    EXPECT_EQ(15, info.bmHeight);
    DeleteObject(bitmap);
    EXPECT_NE(nullptr, FindResourceA(module_, MAKEINTRESOURCEA(128), MAKEINTRESOURCEA(14)));  // RT_GROUP_ICON
    EXPECT_NE(nullptr, FindResourceA(module_, MAKEINTRESOURCEA(129), MAKEINTRESOURCEA(14)));
    for (int id : {100, 130, 131, 132, 133, 134, 135, 136, 137, 139, 141})
        EXPECT_NE(nullptr, FindResourceA(module_, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5))) << "dialog " << id;
}

TEST_F(ResourcesTest, StringsGiveTitlesPromptsAndTooltips) {
    EXPECT_EQ("Velmira32", String(128));
    EXPECT_EQ("\nVelmir\nVelmir\n\n\nVelmira32.Document\nVelmir Document", String(129));
    EXPECT_EQ("Velmira32", String(57344));
    EXPECT_EQ("Ready", String(57345));
    EXPECT_EQ("CAP", String(59137));
    EXPECT_EQ("NUM", String(59138));
    EXPECT_EQ("SCRL", String(59139));
    EXPECT_EQ("Create a new document\nNew", String(57600));
    EXPECT_EQ("Open this document", String(57616));
    EXPECT_EQ("Open this document", String(57631));
    EXPECT_EQ("Arrange windows as non-overlapping tiles\nTile Windows", String(57652));
    EXPECT_EQ("Show or hide the status bar\nToggle StatusBar", String(59393));
    EXPECT_EQ("Activate this window", String(61215));
    EXPECT_EQ("Close print preview mode\nCancel Preview", String(61445));
    EXPECT_EQ("About", String(57664).substr(String(57664).find('\n') + 1));
    for (UINT id : {32774u, 32796u, 32802u}) EXPECT_EQ("", String(id)) << "FTP commands have no prompt";
}
