// mdi_child_wnd.cpp - a document window inside the MDI frame.
#include "mdi_frame_wnd.h"
#include "afxres.h"
#include "document.h"
#include "view.h"
#include "win_app.h"

IMPLEMENT_DYNAMIC(CMDIChildWnd, CFrameWnd)

CMDIFrameWnd* CMDIChildWnd::GetMDIFrame() const {
    return dynamic_cast<CMDIFrameWnd*>(AfxGetMainWnd());
}

BOOL CMDIChildWnd::PreCreateWindow(CREATESTRUCTA& cs) {
    cs.dwExStyle |= WS_EX_MDICHILD;
    cs.style |= WS_CHILD | WS_CLIPCHILDREN;
    return CFrameWnd::PreCreateWindow(cs);
}

BOOL CMDIChildWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd*, CCreateContext* pContext) {
    CMDIFrameWnd* frame = GetMDIFrame();
    if (!frame || !frame->m_hWndMDIClient) return FALSE;
    m_nIDResource = nIDResource;
    m_dwFrameStyle = dwDefaultStyle & FWS_ADDTOTITLE;
    m_pContext = pContext;
    RECT rect = {CW_USEDEFAULT, CW_USEDEFAULT, 0, 0};  // placed by the MDI client
    // Created hidden; InitialUpdateFrame shows it once the view is ready.
    DWORD style = (dwDefaultStyle & ~(FWS_ADDTOTITLE | WS_VISIBLE));
    BOOL ok = CreateEx(0, nullptr, "", style, rect, frame->m_hWndMDIClient, 0);
    m_pContext = nullptr;
    return ok;
}

int CMDIChildWnd::OnCreate(LPCREATESTRUCTA) {
    if (!m_pContext || !m_pContext->m_pNewViewClass) return 0;
    CObject* object = m_pContext->m_pNewViewClass->CreateObject();
    CView* view = dynamic_cast<CView*>(object);
    if (!view) {
        delete object;
        return -1;
    }
    view->AttachDocument(m_pContext->m_pCurrentDoc);
    RECT rect = {0, 0, 0, 0};
    if (!view->CreateEx(WS_EX_CLIENTEDGE, nullptr, "", WS_CHILD | WS_VISIBLE, rect, this, AFX_IDW_PANE_FIRST)) {
        delete view;  // never had a window, so it does not delete itself
        return -1;
    }
    SetActiveView(view);
    return 0;
}

LRESULT CMDIChildWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefMDIChildProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CMDIChildWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MDIACTIVATE:
        if (reinterpret_cast<HWND>(lParam) == m_hWnd) {
            if (CMDIFrameWnd* frame = GetMDIFrame()) {
                frame->UpdateFrameMenu();
                frame->OnUpdateFrameTitle(TRUE);
            }
            if (m_pViewActive) ::SetFocus(m_pViewActive->m_hWnd);
        }
        break;
    case WM_SETFOCUS:
        if (m_pViewActive && m_pViewActive->m_hWnd) ::SetFocus(m_pViewActive->m_hWnd);
        break;
    case WM_CLOSE: {
        // The document decides (the last window closes it: it may save first).
        CDocument* doc = GetActiveDocument();
        if (doc && doc->GetFirstViewPosition() && !doc->CanCloseFrame(this)) return 0;
        break;
    }
    default:
        break;
    }
    return CFrameWnd::WindowProc(message, wParam, lParam);
}

BOOL CMDIChildWnd::OnCmdMsg(UINT nID) {
    if (m_pViewActive && m_pViewActive->OnCmdMsg(nID)) return TRUE;
    return DispatchCommand(nID);
}

void CMDIChildWnd::OnUpdateFrameTitle(BOOL) {
    CDocument* doc = GetActiveDocument();
    if (!doc) return;
    CString title = doc->GetTitle();
    if (m_nWindow > 0) {
        char number[16];
        wsprintfA(number, ":%d", m_nWindow);
        title += number;
    }
    if (!(GetWindowText() == title)) SetWindowText(title);
}

BOOL CMDIChildWnd::DestroyWindow() {
    if (!m_hWnd) return FALSE;
    HWND client = ::GetParent(m_hWnd);
    ::SendMessageA(client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(m_hWnd), 0);
    return TRUE;
}

void CMDIChildWnd::PostNcDestroy() {
    // A frame that is going itself is left alone (OnIdleUpdate checks).
    if (CMDIFrameWnd* frame = GetMDIFrame()) frame->OnIdleUpdate();
    CFrameWnd::PostNcDestroy();
}
