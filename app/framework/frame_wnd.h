// frame_wnd.h - CFrameWnd, a window with a menu, title, control bars and
// an active view; CCreateContext, what a frame needs to make its view.
#pragma once
#include "wnd.h"

class CView;
class CDocument;
class CDocTemplate;
class CControlBar;

#define FWS_ADDTOTITLE 0x00008000L  // caption shows the active document's title

struct CCreateContext {
    const CRuntimeClass* m_pNewViewClass = nullptr;  // view to create in the frame
    CDocument* m_pCurrentDoc = nullptr;              // document the view shows
    CDocTemplate* m_pNewDocTemplate = nullptr;       // template of the document
};

class CFrameWnd : public CWnd {
public:
    DECLARE_DYNAMIC(CFrameWnd)
    CFrameWnd() = default;

    // override these
    virtual BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                           CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr);
    //  creates the frame with menu, icon, accelerators and title of resource nIDResource
    virtual void OnUpdateFrameTitle(BOOL bAddToTitle);
    //  sets the caption from the title and the active document
    virtual void RecalcLayout();
    //  places the control bars at their edges and the rest in between
    virtual CView* GetActiveView() const { return m_pViewActive; }
    //  the view that gets commands first
    virtual CDocument* GetActiveDocument();
    //  the document of the active view
    virtual CFrameWnd* GetActiveFrame() { return this; }
    //  the frame whose view gets commands (the MDI frame answers its active child)
    BOOL OnCmdMsg(UINT nID) override;
    //  the active view (and its document) first, then the frame, then the application
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    //  the frame's window class with its icon
    virtual void OnIdleUpdate();
    //  runs when the application is idle: key indicators of the status bar

    // do not override these
    BOOL IsTearingDown() const { return m_bTearingDown; }
    //  true once the frame is closing for good: no menu, title or bar updates then
    void SetActiveView(CView* pView) { m_pViewActive = pView; }
    //  makes pView the view that gets commands
    void AddControlBar(CControlBar* pBar);
    //  keeps a bar in the layout (done by the bar's creation)
    void RemoveControlBar(CControlBar* pBar);
    //  forgets a bar
    void EnableDocking(DWORD dwDockStyle) { m_dwDockStyle = dwDockStyle; }
    //  the edges bars may dock at; the bars stay at their own edges
    void DockControlBar(CControlBar* pBar);
    //  docks a bar at its edge and lays the frame out again
    void SetMessageText(const char* lpszText);
    //  shows a text in the message pane of the status bar
    void SetMessageText(UINT nID);
    //  shows the prompt of string nID (the part before "\n"; empty when none), or "Ready" for 0
    CString GetTitle() const { return m_strTitle; }
    //  the frame's own title
    void SetTitle(const char* lpszTitle) { m_strTitle = lpszTitle; }
    //  changes the frame's own title
    HMENU m_hMenuDefault = nullptr;  // the menu of the frame's own resource
    HACCEL m_hAccelTable = nullptr;  // accelerators of the frame's own resource

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    //  menu prompts, check marks, wait cursor, closing the main window
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    //  toolbar tooltips and fly-by prompts
    void OnSize(UINT nType, int cx, int cy) override;
    //  lays the window out again
    BOOL PreTranslateMessage(MSG* pMsg) override;
    //  accelerators of the frame
    void PostNcDestroy() override;
    //  deletes the object once its window is gone
    virtual void LayoutClient(const RECT& rect);
    //  places what fills the frame between the bars; the base moves the view
    void OnViewToolbar();
    //  shows or hides the toolbar
    void OnViewStatusBar();
    //  shows or hides the status bar
    void ToggleBar(UINT nID);
    //  shows or hides the bar with window id nID
    CControlBar* FindBar(UINT nID) const;
    //  the bar with window id nID, or null
    void OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hSysMenu);
    //  shows the prompt of the menu item under the pointer
    DECLARE_MESSAGE_MAP()

    CView* m_pViewActive = nullptr;
    CString m_strTitle;
    UINT m_nIDResource = 0;
    DWORD m_dwDockStyle = 0;
    static constexpr int kMaxBars = 4;
    CControlBar* m_pBars[kMaxBars] = {};
    int m_nBars = 0;
    UINT m_nIDLastMessage = 0;  // prompt shown in the message pane
    DWORD m_dwFrameStyle = 0;   // FWS_ bits given to LoadFrame
    BOOL m_bTearingDown = FALSE;  // set when closing can no longer be refused
};
