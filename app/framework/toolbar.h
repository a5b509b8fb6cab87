// toolbar.h - CToolBar, a comctl32 toolbar whose buttons come from a
// toolbar resource (RT_TOOLBAR: button size and command ids, 0 for a gap)
// and a bitmap of the same id with one picture per button.
#pragma once
#include "control_bar.h"

class CToolBar : public CControlBar {
public:
    DECLARE_DYNAMIC(CToolBar)

    // do not override these
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP, UINT nID = 0xE800);
    //  creates the empty toolbar window
    BOOL LoadToolBar(UINT nIDResource);
    //  adds the buttons and pictures of resource nIDResource; FALSE when absent or malformed
    int GetButtonCount() const;
    //  buttons and gaps on the bar
    int CalcFixedHeight() override;
    //  the toolbar's own height
};
