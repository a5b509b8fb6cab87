// control_bar.cpp - creation and measuring of control bars.
#include "control_bar.h"
#include <commctrl.h>
#include "frame_wnd.h"

IMPLEMENT_DYNAMIC(CControlBar, CWnd)

BOOL CControlBar::CreateBar(const char* lpszClass, DWORD dwControlStyle, CWnd* pParentWnd, DWORD dwStyle,
                            UINT nID) {
    m_dwStyle = dwStyle & 0xFFFF;
    DWORD windowStyle = (dwStyle & 0xFFFF0000) | WS_CHILD | dwControlStyle;
    RECT rect = {0, 0, 0, 0};
    if (!CreateEx(0, lpszClass, nullptr, windowStyle, rect, pParentWnd, nID)) return FALSE;
    if (CFrameWnd* frame = dynamic_cast<CFrameWnd*>(pParentWnd)) frame->AddControlBar(this);
    return TRUE;
}

void CControlBar::SetBarStyle(DWORD dwStyle) {
    m_dwStyle = dwStyle & 0xFFFF;
    if (m_hWnd && (m_dwStyle & CBRS_TOOLTIPS)) {
        LONG_PTR style = GetWindowLongPtrA(m_hWnd, GWL_STYLE);
        SetWindowLongPtrA(m_hWnd, GWL_STYLE, style | TBSTYLE_TOOLTIPS);
    }
}

int CControlBar::CalcFixedHeight() {
    RECT rect;
    GetWindowRect(m_hWnd, &rect);
    return rect.bottom - rect.top;
}
