// toolbar.cpp - toolbar from its resource.
#include "toolbar.h"
#include <commctrl.h>
#include <vector>

IMPLEMENT_DYNAMIC(CToolBar, CControlBar)

namespace {
// RT_TOOLBAR layout: version 1, width, height, count, then count ids.
struct ToolBarData {
    WORD wVersion;
    WORD wWidth;
    WORD wHeight;
    WORD wItemCount;
};
constexpr WORD kRtToolbar = 241;
}  // namespace

BOOL CToolBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID) {
    return CreateBar(TOOLBARCLASSNAMEA, TBSTYLE_FLAT | CCS_NODIVIDER | CCS_NOPARENTALIGN | CCS_NORESIZE,
                     pParentWnd, dwStyle, nID);
}

BOOL CToolBar::LoadToolBar(UINT nIDResource) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(nIDResource), MAKEINTRESOURCEA(kRtToolbar));
    if (!found) return FALSE;
    DWORD size = SizeofResource(instance, found);
    HGLOBAL loaded = LoadResource(instance, found);
    const ToolBarData* data = loaded ? static_cast<const ToolBarData*>(LockResource(loaded)) : nullptr;
    if (!data || size < sizeof(ToolBarData) || data->wVersion != 1 ||
        size < sizeof(ToolBarData) + data->wItemCount * sizeof(WORD))
        return FALSE;
    const WORD* ids = reinterpret_cast<const WORD*>(data + 1);
    HBITMAP bitmap = LoadBitmapA(instance, MAKEINTRESOURCEA(nIDResource));
    if (!bitmap) return FALSE;
    SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
    SendMessage(TB_SETBITMAPSIZE, 0, MAKELONG(data->wWidth, data->wHeight));
    int pictures = 0;
    for (WORD i = 0; i < data->wItemCount; ++i) pictures += ids[i] != 0;
    TBADDBITMAP add = {nullptr, reinterpret_cast<UINT_PTR>(bitmap)};
    if (SendMessage(TB_ADDBITMAP, static_cast<WPARAM>(pictures), reinterpret_cast<LPARAM>(&add)) == -1) return FALSE;
    std::vector<TBBUTTON> buttons(data->wItemCount);
    int picture = 0;
    for (WORD i = 0; i < data->wItemCount; ++i) {
        TBBUTTON& b = buttons[i];
        b = TBBUTTON{};
        if (ids[i] == 0) {
            b.fsStyle = TBSTYLE_SEP;
        } else {
            b.iBitmap = picture++;
            b.idCommand = ids[i];
            b.fsState = TBSTATE_ENABLED;
            b.fsStyle = TBSTYLE_BUTTON;
        }
    }
    if (!SendMessage(TB_ADDBUTTONSA, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()))) return FALSE;
    SendMessage(TB_AUTOSIZE);
    return TRUE;
}

int CToolBar::GetButtonCount() const { return static_cast<int>(SendMessage(TB_BUTTONCOUNT)); }

int CToolBar::CalcFixedHeight() {
    DWORD size = static_cast<DWORD>(SendMessage(TB_GETBUTTONSIZE));
    return HIWORD(size) + 6;
}
