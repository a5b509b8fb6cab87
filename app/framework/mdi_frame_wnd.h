// mdi_frame_wnd.h - CMDIFrameWnd, the main window of a multiple-document
// application, and CMDIChildWnd, the frame of one document window in it.
#pragma once
#include "frame_wnd.h"

class CMDIChildWnd;

class CMDIFrameWnd : public CFrameWnd {
public:
    DECLARE_DYNAMIC(CMDIFrameWnd)

    HWND m_hWndMDIClient = nullptr;  // the MDICLIENT window that holds the children

    // override these
    int OnCreate(LPCREATESTRUCTA lpCreateStruct) override;
    //  the base creates the MDI client; derived frames add their bars after it
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    //  the base's class and style (clipping of the children)
    BOOL OnCmdMsg(UINT nID) override;
    //  the active child frame (view, document, child) first, then the frame
    CFrameWnd* GetActiveFrame() override;
    //  the active child frame, or this frame when there is none
    void OnUpdateFrameTitle(BOOL bAddToTitle) override;
    //  "title - document" while a child is active
    void OnIdleUpdate() override;
    //  menu and caption follow the active child; key indicators

    // do not override these
    CMDIChildWnd* MDIGetActive() const;
    //  the active child frame, or null
    void MDIActivate(HWND hWndChild) const;
    //  activates a child frame
    void UpdateFrameMenu();
    //  shows the active child's document menu, or the frame's own menu

protected:
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    //  the MDI default procedure
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    //  on destruction: the child frames go first, then the client is forgotten
    BOOL PreTranslateMessage(MSG* pMsg) override;
    //  MDI system keys (Ctrl+F4, Ctrl+F6), then the accelerators
    void LayoutClient(const RECT& rect) override;
    //  the MDI client fills the space between the bars
    void OnWindowNew();
    //  New Window: another frame and view on the active document
    void OnWindowCascade();
    //  Cascade
    void OnWindowTile();
    //  Tile
    void OnWindowArrange();
    //  Arrange Icons
    void OnNextPane();
    //  Next Pane: the next child window
    void OnPrevPane();
    //  Previous Pane: the previous child window
    DECLARE_MESSAGE_MAP()

private:
    void DestroyChildFrames();
    //  destroys every child frame through the MDI client

    HMENU m_hMenuShown = nullptr;  // the menu the frame shows now
};

class CMDIChildWnd : public CFrameWnd {
public:
    DECLARE_DYNAMIC(CMDIChildWnd)

    // override these
    BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                   CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr) override;
    //  creates the child inside the main frame's MDI client, with its view
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    //  the base's class (icon of the document resource) and MDI child style
    void OnUpdateFrameTitle(BOOL bAddToTitle) override;
    //  the document's title, with ":n" when the document has several windows
    BOOL OnCmdMsg(UINT nID) override;
    //  the active view and its document, then the child's own commands
    BOOL DestroyWindow() override;
    //  through the MDI client, so that it activates the next child

    // do not override these
    CMDIFrameWnd* GetMDIFrame() const;
    //  the main frame that holds this child
    HMENU m_hMenuShared = nullptr;   // document menu shown while this child is active
    int m_nWindow = 0;               // window number among its document's windows, 0 when alone

protected:
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    //  the MDI default procedure
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    //  activation switches the menu and focuses the view; closing the last window of a document asks it first
    int OnCreate(LPCREATESTRUCTA lpCreateStruct) override;
    //  creates the view named by the creation context
    void PostNcDestroy() override;
    //  the main frame shows the menu and title of the child now active

private:
    CCreateContext* m_pContext = nullptr;  // view to create, during creation only
};
