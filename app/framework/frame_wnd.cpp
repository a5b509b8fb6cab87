// frame_wnd.cpp - frames: creation from a resource, layout of the bars,
// command routing, prompts and tooltips.
#include "frame_wnd.h"
#include <commctrl.h>
#include "afxres.h"
#include "control_bar.h"
#include "document.h"
#include "view.h"
#include "win_app.h"

IMPLEMENT_DYNAMIC(CFrameWnd, CWnd)

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
    ON_COMMAND(ID_VIEW_TOOLBAR, &CFrameWnd::OnViewToolbar)
    ON_COMMAND(ID_VIEW_STATUS_BAR, &CFrameWnd::OnViewStatusBar)
END_MESSAGE_MAP()

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCTA& cs) {
    if (!cs.lpszClass) {
        HICON icon = m_nIDResource ? LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m_nIDResource)) : nullptr;
        cs.lpszClass = RegisterFrameworkClass(CS_DBLCLKS, icon, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    }
    if (!(cs.style & WS_CHILD)) cs.hMenu = m_hMenuDefault;
    return cs.lpszClass != nullptr;
}

BOOL CFrameWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd, CCreateContext*) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    m_nIDResource = nIDResource;
    m_dwFrameStyle = dwDefaultStyle & FWS_ADDTOTITLE;
    CString title;
    if (title.LoadString(nIDResource)) {
        int newline = title.Find('\n');
        m_strTitle = newline < 0 ? title : title.Left(newline);
    }
    m_hMenuDefault = LoadMenuA(instance, MAKEINTRESOURCEA(nIDResource));
    m_hAccelTable = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(nIDResource));
    RECT rect = {CW_USEDEFAULT, CW_USEDEFAULT, 0, 0};  // placed by the system
    DWORD style = dwDefaultStyle & ~FWS_ADDTOTITLE;
    if (!CreateEx(0, nullptr, m_strTitle, style, rect, pParentWnd, 0)) return FALSE;
    OnUpdateFrameTitle(m_dwFrameStyle & FWS_ADDTOTITLE);
    return TRUE;
}

void CFrameWnd::OnUpdateFrameTitle(BOOL bAddToTitle) {
    if (m_bTearingDown) return;
    CDocument* doc = GetActiveDocument();
    if (bAddToTitle && doc)
        SetWindowText(m_strTitle + " - " + doc->GetTitle());
    else
        SetWindowText(m_strTitle);
}

CDocument* CFrameWnd::GetActiveDocument() {
    CView* view = GetActiveFrame()->GetActiveView();
    return view ? view->GetDocument() : nullptr;
}

BOOL CFrameWnd::OnCmdMsg(UINT nID) {
    if (m_pViewActive && m_pViewActive->OnCmdMsg(nID)) return TRUE;
    if (DispatchCommand(nID)) return TRUE;
    if (AfxGetMainWnd() == this) return AfxGetApp()->OnCmdMsg(nID);
    return FALSE;
}

void CFrameWnd::AddControlBar(CControlBar* pBar) {
    if (m_nBars < kMaxBars) m_pBars[m_nBars++] = pBar;
}

void CFrameWnd::RemoveControlBar(CControlBar* pBar) {
    for (int i = 0; i < m_nBars; ++i)
        if (m_pBars[i] == pBar) {
            m_pBars[i] = m_pBars[--m_nBars];
            return;
        }
}

CControlBar* CFrameWnd::FindBar(UINT nID) const {
    for (int i = 0; i < m_nBars; ++i)
        if (m_pBars[i]->m_hWnd && static_cast<UINT>(GetDlgCtrlID(m_pBars[i]->m_hWnd)) == nID) return m_pBars[i];
    return nullptr;
}

void CFrameWnd::DockControlBar(CControlBar*) { RecalcLayout(); }

void CFrameWnd::RecalcLayout() {
    if (!m_hWnd) return;
    RECT rect;
    GetClientRect(m_hWnd, &rect);
    for (int i = 0; i < m_nBars; ++i) {
        CControlBar* bar = m_pBars[i];
        if (!bar->m_hWnd || !bar->IsWindowVisible()) continue;
        // Common controls size themselves to the parent when told the parent's size.
        bar->SendMessage(WM_SIZE, 0, MAKELPARAM(rect.right, rect.bottom));
        int height = bar->CalcFixedHeight();
        RECT place = rect;
        if (bar->IsBarAtBottom()) {
            place.top = rect.bottom - height;
            rect.bottom = place.top;
        } else {
            place.bottom = rect.top + height;
            rect.top = place.bottom;
        }
        bar->MoveWindow(place);
    }
    if (rect.bottom < rect.top) rect.bottom = rect.top;
    LayoutClient(rect);
}

void CFrameWnd::LayoutClient(const RECT& rect) {
    if (m_pViewActive && m_pViewActive->m_hWnd) m_pViewActive->MoveWindow(rect);
}

void CFrameWnd::OnSize(UINT nType, int, int) {
    if (nType != SIZE_MINIMIZED) RecalcLayout();
}

void CFrameWnd::ToggleBar(UINT nID) {
    CControlBar* bar = FindBar(nID);
    CFrameWnd* main = dynamic_cast<CFrameWnd*>(AfxGetMainWnd());
    if (!bar && main && main != this) {
        main->ToggleBar(nID);  // a document frame: the bars are the main frame's
        return;
    }
    if (bar) {
        bar->ShowWindow(bar->IsWindowVisible() ? SW_HIDE : SW_SHOW);
        RecalcLayout();
    }
}

void CFrameWnd::OnViewToolbar() { ToggleBar(AFX_IDW_TOOLBAR); }
void CFrameWnd::OnViewStatusBar() { ToggleBar(AFX_IDW_STATUS_BAR); }

void CFrameWnd::SetMessageText(const char* lpszText) {
    if (CControlBar* bar = FindBar(AFX_IDW_STATUS_BAR))
        bar->SendMessage(SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(lpszText ? lpszText : ""));
}

void CFrameWnd::SetMessageText(UINT nID) {
    CString text;  // a command without a string shows an empty pane
    if (nID == 0) text.LoadString(AFX_IDS_IDLEMESSAGE);
    else text.LoadString(nID);
    int newline = text.Find('\n');
    if (newline >= 0) text = text.Left(newline);
    m_nIDLastMessage = nID;
    SetMessageText(text);
}

void CFrameWnd::OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hSysMenu) {
    if (nFlags == 0xFFFF && !hSysMenu) {
        SetMessageText(0u);  // menu closed
    } else if (nFlags & (MF_SEPARATOR | MF_POPUP)) {
        SetMessageText("");
    } else if (nItemID >= AFX_IDM_FIRST_MDICHILD) {
        SetMessageText(AFX_IDS_MDICHILD);
    } else if (nItemID >= 0xF000) {
        SetMessageText(AFX_IDS_SCSIZE + ((nItemID & 0x0FF0) >> 4));  // system menu: SC_ ids
    } else {
        SetMessageText(nItemID);
    }
}

void CFrameWnd::OnIdleUpdate() {
    if (m_bTearingDown) return;
    CControlBar* status = FindBar(AFX_IDW_STATUS_BAR);
    if (!status || !status->IsWindowVisible()) return;
    static const struct { int key; const char* text; } kIndicators[] = {
        {VK_CAPITAL, "CAP"}, {VK_NUMLOCK, "NUM"}, {VK_SCROLL, "SCRL"}};
    for (int i = 0; i < 3; ++i) {
        const char* text = (GetKeyState(kIndicators[i].key) & 1) ? kIndicators[i].text : "";
        char current[16] = {};
        if (LOWORD(status->SendMessage(SB_GETTEXTLENGTHA, i + 1)) < sizeof current)
            status->SendMessage(SB_GETTEXTA, i + 1, reinterpret_cast<LPARAM>(current));
        if (strcmp(current, text) != 0) status->SendMessage(SB_SETTEXTA, i + 1, reinterpret_cast<LPARAM>(text));
    }
}

BOOL CFrameWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* pResult) {
    NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
    if (header->code == TTN_GETDISPINFOA) {
        // Toolbar tooltips: the part of the command's string after "\n".
        NMTTDISPINFOA* info = reinterpret_cast<NMTTDISPINFOA*>(lParam);
        CString text;
        if (text.LoadString(static_cast<UINT>(header->idFrom))) {
            int newline = text.Find('\n');
            lstrcpynA(info->szText, newline >= 0 ? text.Mid(newline + 1) : text, sizeof info->szText);
        }
        *pResult = 0;
        return TRUE;
    }
    if (header->code == TBN_HOTITEMCHANGE) {
        NMTBHOTITEM* hot = reinterpret_cast<NMTBHOTITEM*>(lParam);
        CControlBar* toolbar = FindBar(AFX_IDW_TOOLBAR);
        if (toolbar && (toolbar->GetBarStyle() & CBRS_FLYBY))
            SetMessageText((hot->dwFlags & HICF_LEAVING) ? 0u : static_cast<UINT>(hot->idNew));
        *pResult = 0;
        return TRUE;
    }
    return FALSE;
}

BOOL CFrameWnd::PreTranslateMessage(MSG* pMsg) {
    if (m_hAccelTable && pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST)
        return TranslateAcceleratorA(m_hWnd, m_hAccelTable, pMsg);
    return FALSE;
}

LRESULT CFrameWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MENUSELECT:
        OnMenuSelect(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam));
        return 0;
    case WM_INITMENUPOPUP: {
        HMENU popup = reinterpret_cast<HMENU>(wParam);
        CControlBar* toolbar = FindBar(AFX_IDW_TOOLBAR);
        CControlBar* status = FindBar(AFX_IDW_STATUS_BAR);
        CheckMenuItem(popup, ID_VIEW_TOOLBAR, (toolbar && toolbar->IsWindowVisible()) ? MF_CHECKED : MF_UNCHECKED);
        CheckMenuItem(popup, ID_VIEW_STATUS_BAR, (status && status->IsWindowVisible()) ? MF_CHECKED : MF_UNCHECKED);
        AfxGetApp()->UpdateRecentFileMenu(popup);
        break;
    }
    case WM_SETCURSOR:
        if (AfxGetApp()->IsWaitCursorOn()) {
            AfxGetApp()->DoWaitCursor(0);
            return TRUE;
        }
        break;
    case WM_CLOSE:
        if (AfxGetMainWnd() == this) {
            if (!AfxGetApp()->SaveAllModified()) return 0;
            // The documents and their windows go first, while everything
            // they talk to on the way out (the MDI client, this frame's
            // menu and bars) still exists; the frame follows.
            m_bTearingDown = TRUE;
            AfxGetApp()->CloseAllDocuments();
            DestroyWindow();
            return 0;
        }
        break;
    case WM_DESTROY:
        m_bTearingDown = TRUE;
        if (AfxGetMainWnd() == this) PostQuitMessage(0);
        break;
    default:
        break;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

void CFrameWnd::PostNcDestroy() {
    if (AfxGetMainWnd() == this) AfxGetApp()->m_pMainWnd = nullptr;
    delete this;
}
