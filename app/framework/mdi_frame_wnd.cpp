// mdi_frame_wnd.cpp - the MDI main frame: client window, menus of the
// active child, Window commands.
#include "mdi_frame_wnd.h"
#include "afxres.h"
#include "doc_template.h"
#include "document.h"
#include "view.h"

IMPLEMENT_DYNAMIC(CMDIFrameWnd, CFrameWnd)

BEGIN_MESSAGE_MAP(CMDIFrameWnd, CFrameWnd)
    ON_COMMAND(ID_WINDOW_NEW, &CMDIFrameWnd::OnWindowNew)
    ON_COMMAND(ID_WINDOW_CASCADE, &CMDIFrameWnd::OnWindowCascade)
    ON_COMMAND(ID_WINDOW_TILE_HORZ, &CMDIFrameWnd::OnWindowTile)
    ON_COMMAND(ID_WINDOW_ARRANGE, &CMDIFrameWnd::OnWindowArrange)
    ON_COMMAND(ID_NEXT_PANE, &CMDIFrameWnd::OnNextPane)
    ON_COMMAND(ID_PREV_PANE, &CMDIFrameWnd::OnPrevPane)
END_MESSAGE_MAP()

namespace {
// The popup of a menu that holds the Window commands: the MDI client lists
// the open windows there.
HMENU FindWindowMenu(HMENU menu) {
    int count = menu ? GetMenuItemCount(menu) : 0;
    for (int i = 0; i < count; ++i) {
        HMENU popup = GetSubMenu(menu, i);
        if (popup && GetMenuState(popup, ID_WINDOW_NEW, MF_BYCOMMAND) != static_cast<UINT>(-1)) return popup;
    }
    return nullptr;
}
}  // namespace

BOOL CMDIFrameWnd::PreCreateWindow(CREATESTRUCTA& cs) {
    cs.style |= WS_CLIPCHILDREN;
    return CFrameWnd::PreCreateWindow(cs);
}

int CMDIFrameWnd::OnCreate(LPCREATESTRUCTA) {
    CLIENTCREATESTRUCT ccs = {};
    ccs.hWindowMenu = FindWindowMenu(m_hMenuDefault);
    ccs.idFirstChild = AFX_IDM_FIRST_MDICHILD;  // window list ids, clear of the commands
    m_hWndMDIClient = CreateWindowExA(WS_EX_CLIENTEDGE, "MDICLIENT", nullptr,
                                      WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL, 0, 0, 0,
                                      0, m_hWnd, nullptr, GetModuleHandleA(nullptr), &ccs);
    m_hMenuShown = m_hMenuDefault;
    return m_hWndMDIClient ? 0 : -1;
}

LRESULT CMDIFrameWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefFrameProcA(m_hWnd, m_hWndMDIClient, message, wParam, lParam);
}

LRESULT CMDIFrameWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_DESTROY) return CFrameWnd::WindowProc(message, wParam, lParam);
    // The client frees its list of children when it gets WM_DESTROY, right
    // after this frame: children still open then would be taken down by a
    // client that no longer knows them. So they go now, through the client.
    m_bTearingDown = TRUE;
    DestroyChildFrames();
    // The window destroys the menu it shows; the document menus belong to
    // their templates, so the frame's own menu is the one to go with it.
    if (m_hMenuDefault && ::GetMenu(m_hWnd) != m_hMenuDefault) ::SetMenu(m_hWnd, m_hMenuDefault);
    m_hMenuShown = m_hMenuDefault;
    LRESULT result = CFrameWnd::WindowProc(message, wParam, lParam);
    m_hWndMDIClient = nullptr;  // destroyed next, with this frame
    return result;
}

void CMDIFrameWnd::DestroyChildFrames() {
    if (!m_hWndMDIClient) return;
    // Bounded: a child that refuses to go must not hold the frame for ever.
    for (int left = 4096; left > 0; --left) {
        HWND child = ::GetWindow(m_hWndMDIClient, GW_CHILD);
        if (!child) return;
        ::SendMessageA(m_hWndMDIClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(child), 0);
        if (::IsWindow(child) && ::GetParent(child) == m_hWndMDIClient) ::DestroyWindow(child);
    }
}

BOOL CMDIFrameWnd::PreTranslateMessage(MSG* pMsg) {
    if (m_hWndMDIClient && TranslateMDISysAccel(m_hWndMDIClient, pMsg)) return TRUE;
    return CFrameWnd::PreTranslateMessage(pMsg);
}

void CMDIFrameWnd::LayoutClient(const RECT& rect) {
    if (m_hWndMDIClient)
        ::MoveWindow(m_hWndMDIClient, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
}

CMDIChildWnd* CMDIFrameWnd::MDIGetActive() const {
    if (!m_hWndMDIClient) return nullptr;
    HWND active = reinterpret_cast<HWND>(::SendMessageA(m_hWndMDIClient, WM_MDIGETACTIVE, 0, 0));
    return dynamic_cast<CMDIChildWnd*>(FromHandlePermanent(active));
}

void CMDIFrameWnd::MDIActivate(HWND hWndChild) const {
    ::SendMessageA(m_hWndMDIClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(hWndChild), 0);
}

CFrameWnd* CMDIFrameWnd::GetActiveFrame() {
    CMDIChildWnd* child = MDIGetActive();
    return child ? static_cast<CFrameWnd*>(child) : this;
}

BOOL CMDIFrameWnd::OnCmdMsg(UINT nID) {
    CMDIChildWnd* child = MDIGetActive();
    if (child && child->OnCmdMsg(nID)) return TRUE;
    return CFrameWnd::OnCmdMsg(nID);
}

void CMDIFrameWnd::UpdateFrameMenu() {
    if (m_bTearingDown) return;
    CMDIChildWnd* child = MDIGetActive();
    HMENU menu = (child && child->m_hMenuShared) ? child->m_hMenuShared : m_hMenuDefault;
    if (!m_hWndMDIClient || menu == m_hMenuShown) return;
    ::SendMessageA(m_hWndMDIClient, WM_MDISETMENU, reinterpret_cast<WPARAM>(menu),
                   reinterpret_cast<LPARAM>(FindWindowMenu(menu)));
    m_hMenuShown = menu;
    DrawMenuBar(m_hWnd);
}

void CMDIFrameWnd::OnUpdateFrameTitle(BOOL bAddToTitle) {
    if (m_bTearingDown) return;
    CMDIChildWnd* child = MDIGetActive();
    CDocument* doc = child ? child->GetActiveDocument() : nullptr;
    CString title = (bAddToTitle && doc) ? m_strTitle + " - " + doc->GetTitle() : m_strTitle;
    if (!(GetWindowText() == title)) SetWindowText(title);
}

void CMDIFrameWnd::OnIdleUpdate() {
    if (m_bTearingDown) return;
    UpdateFrameMenu();
    OnUpdateFrameTitle(m_dwFrameStyle & FWS_ADDTOTITLE);
    CFrameWnd::OnIdleUpdate();
}

void CMDIFrameWnd::OnWindowNew() {
    CMDIChildWnd* child = MDIGetActive();
    CDocument* doc = child ? child->GetActiveDocument() : nullptr;
    if (!doc || !doc->GetDocTemplate()) return;
    CFrameWnd* frame = doc->GetDocTemplate()->CreateNewFrame(doc, child);
    if (frame) doc->GetDocTemplate()->InitialUpdateFrame(frame, doc);
}

void CMDIFrameWnd::OnWindowCascade() { ::SendMessageA(m_hWndMDIClient, WM_MDICASCADE, 0, 0); }
void CMDIFrameWnd::OnWindowTile() { ::SendMessageA(m_hWndMDIClient, WM_MDITILE, MDITILE_HORIZONTAL, 0); }
void CMDIFrameWnd::OnWindowArrange() { ::SendMessageA(m_hWndMDIClient, WM_MDIICONARRANGE, 0, 0); }
void CMDIFrameWnd::OnNextPane() { ::SendMessageA(m_hWndMDIClient, WM_MDINEXT, 0, FALSE); }
void CMDIFrameWnd::OnPrevPane() { ::SendMessageA(m_hWndMDIClient, WM_MDINEXT, 0, TRUE); }
