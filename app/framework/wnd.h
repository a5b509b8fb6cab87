// wnd.h - CWnd, a window object attached to one window handle.
//
// Windows of the framework's own classes are attached while they are being
// created; windows of system classes (EDIT, MDICLIENT, comctl32 bars) are
// subclassed right after creation (and get their OnCreate then). Every message then goes to the virtual
// WindowProc; WM_COMMAND goes through OnCommand to the command maps. When
// the window is gone (WM_NCDESTROY) the object is detached and
// PostNcDestroy runs, where frames and views delete themselves.
#pragma once
#include "cmd_target.h"
#include "cstring.h"

class CWnd : public CCmdTarget {
public:
    DECLARE_DYNAMIC(CWnd)
    CWnd() = default;
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;  // the attached window, null when none

    // override these
    virtual BOOL PreCreateWindow(CREATESTRUCTA& cs);
    //  may change class, style and size before the window is created
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    //  every message of the window; the base dispatches to the On... members
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    //  WM_COMMAND; the base routes menu and accelerator ids to OnCmdMsg
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    //  WM_NOTIFY from a child control; TRUE when handled
    virtual int OnCreate(LPCREATESTRUCTA lpCreateStruct);
    //  WM_CREATE; 0 to go on, -1 to fail the creation
    virtual void OnSize(UINT nType, int cx, int cy);
    //  WM_SIZE
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    //  sees a message before it is dispatched; TRUE when it has been handled
    virtual void PostNcDestroy();
    //  runs after the window is gone; the base does nothing
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    //  default handling: the subclassed procedure or the system's

    // do not override these
    BOOL CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle,
                  const RECT& rect, CWnd* pParentWnd, UINT nID, LPVOID lpParam = nullptr);
    //  runs PreCreateWindow, creates the window and attaches this object
    BOOL CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle,
                  const RECT& rect, HWND hWndParent, UINT nID, LPVOID lpParam = nullptr);
    //  the same with a parent window that has no object (the MDI client)
    virtual BOOL DestroyWindow();
    //  destroys the window (and with it, for self-deleting classes, the object)
    HWND GetSafeHwnd() const { return m_hWnd; }
    //  the handle, or null when no window is attached
    CWnd* GetParent() const;
    //  the attached object of the parent window, or null
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    //  sends a message to the window
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    //  posts a message to the window
    void SetWindowText(const char* text);
    //  replaces the window's text
    CString GetWindowText() const;
    //  the window's whole text
    BOOL ShowWindow(int nCmdShow) const { return ::ShowWindow(m_hWnd, nCmdShow); }
    //  shows, hides, minimises or maximises the window
    void UpdateWindow() const { ::UpdateWindow(m_hWnd); }
    //  paints what is invalid at once
    void Invalidate(BOOL bErase = TRUE) const { ::InvalidateRect(m_hWnd, nullptr, bErase); }
    //  marks the whole client area for painting
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    //  true when the window has WS_VISIBLE
    void MoveWindow(const RECT& rect, BOOL bRepaint = TRUE) const;
    //  moves the window to rect, in its parent's client coordinates
    HWND GetDlgItem(int nID) const { return ::GetDlgItem(m_hWnd, nID); }
    //  the child window with id nID
    static CWnd* FromHandlePermanent(HWND hWnd);
    //  the object attached to hWnd, or null
    BOOL SubclassWindow(HWND hWnd);
    //  attaches this object to an existing window and takes over its messages

protected:
    static LRESULT CALLBACK StaticWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    //  the procedure of every framework window class
    static const char* RegisterFrameworkClass(UINT style, HICON hIcon, HBRUSH hBackground);
    //  a window class of the framework with the given look; its name
    void Attach(HWND hWnd);
    //  links the handle and this object both ways
    void Detach();
    //  cuts that link (the window stays)
    WNDPROC m_pfnSuper = nullptr;  // the procedure this window had before subclassing
    bool m_bCreating = false;      // inside CreateEx: a failed creation leaves the object to its creator
};
