// status_bar.cpp - status bar panes.
#include "status_bar.h"
#include <commctrl.h>
#include "afxres.h"

IMPLEMENT_DYNAMIC(CStatusBar, CControlBar)

BOOL CStatusBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID) {
    return CreateBar(STATUSCLASSNAMEA, SBARS_SIZEGRIP | CCS_NOPARENTALIGN | CCS_NORESIZE, pParentWnd, dwStyle, nID);
}

BOOL CStatusBar::SetIndicators(const UINT* lpIDArray, int nIDCount) {
    if (nIDCount <= 0 || nIDCount > kMaxPanes) return FALSE;
    m_nPanes = nIDCount;
    HDC dc = GetDC(m_hWnd);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT)));
    TEXTMETRICA tm = {};
    GetTextMetricsA(dc, &tm);
    m_nHeight = tm.tmHeight + 10;
    for (int i = 0; i < nIDCount; ++i) {
        m_nIDs[i] = lpIDArray[i];
        m_nWidths[i] = 0;
        if (i == 0) continue;
        CString text;
        text.LoadString(lpIDArray[i]);
        SIZE size = {};
        GetTextExtentPoint32A(dc, text, text.GetLength(), &size);
        m_nWidths[i] = size.cx + 12;
    }
    SelectObject(dc, old);
    ReleaseDC(m_hWnd, dc);
    RECT client;
    GetClientRect(GetParent() ? GetParent()->m_hWnd : m_hWnd, &client);
    ApplyParts(client.right);
    if (SendMessage(SB_GETPARTS) != nIDCount) return FALSE;
    CString idle;
    idle.LoadString(AFX_IDS_IDLEMESSAGE);
    SetPaneText(0, idle);
    return TRUE;
}

void CStatusBar::ApplyParts(int width) {
    if (m_nPanes == 0) return;
    // SB_SETPARTS takes right edges; the last reaches the end (-1).
    int edges[kMaxPanes];
    int right = width - 16;  // room for the size grip
    edges[m_nPanes - 1] = -1;
    for (int i = m_nPanes - 1; i > 0; --i) {
        right -= m_nWidths[i];
        edges[i - 1] = right > 0 ? right : 0;
    }
    SendMessage(SB_SETPARTS, static_cast<WPARAM>(m_nPanes), reinterpret_cast<LPARAM>(edges));
}

void CStatusBar::OnSize(UINT, int cx, int) { ApplyParts(cx); }

BOOL CStatusBar::SetPaneText(int nIndex, const char* lpszNewText) {
    return static_cast<BOOL>(SendMessage(SB_SETTEXTA, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(lpszNewText)));
}

int CStatusBar::CalcFixedHeight() { return m_nHeight; }
