// status_bar.h - CStatusBar, a comctl32 status bar: a stretching message
// pane (id 0) and fixed indicator panes named by string ids.
#pragma once
#include "control_bar.h"

class CStatusBar : public CControlBar {
public:
    DECLARE_DYNAMIC(CStatusBar)

    // do not override these
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, UINT nID = 0xE801);
    //  creates the status bar window
    BOOL SetIndicators(const UINT* lpIDArray, int nIDCount);
    //  one pane per id; panes after the first are as wide as their string
    int GetPaneCount() const { return m_nPanes; }
    //  panes set by SetIndicators
    UINT GetItemID(int nIndex) const { return (nIndex >= 0 && nIndex < m_nPanes) ? m_nIDs[nIndex] : 0; }
    //  the id of a pane
    BOOL SetPaneText(int nIndex, const char* lpszNewText);
    //  changes the text of a pane
    int CalcFixedHeight() override;
    //  the status bar's own height, from its font

protected:
    void OnSize(UINT nType, int cx, int cy) override;
    //  the message pane takes the width the indicators leave

private:
    void ApplyParts(int width);
    //  sets the panes' right edges for a bar width pixels wide
    static constexpr int kMaxPanes = 8;
    UINT m_nIDs[kMaxPanes] = {};
    int m_nWidths[kMaxPanes] = {};  // pixel widths of the indicator panes
    int m_nPanes = 0;
    int m_nHeight = 20;             // pixel height from the font
};
