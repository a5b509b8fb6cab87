// print_preview.h - CPreviewWnd, a simple print preview: one page of a
// view at a time on a white sheet, with "Prev Page", "Next Page" and
// "Close" buttons. The main frame is disabled while it is open.
#pragma once
#include "wnd.h"
#include "dc.h"

class CView;

class CPreviewWnd : public CWnd {
public:
    DECLARE_DYNAMIC(CPreviewWnd)

    // do not override these
    static BOOL Show(CView* pView);
    //  opens a preview of pView's pages; FALSE when the window cannot be made
    static void CloseFor(CView* pView);
    //  closes the open preview of pView, if any (done when the view goes)

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    //  paints the sheet; closing enables the main frame again
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    //  the page buttons and "Close"
    void OnSize(UINT nType, int cx, int cy) override;
    //  repaints the sheet at its new size
    void PostNcDestroy() override;
    //  deletes the object once its window is gone

private:
    explicit CPreviewWnd(CView* pView) : m_pView(pView) {}
    void Paint(HDC hDC);
    //  the sheet and the current page on it
    void UpdateButtons();
    //  enables the page buttons that lead somewhere
    CView* m_pView;          // the view previewed; the preview closes with it
    UINT m_nPage = 1;        // page shown
    UINT m_nMaxPage = 1;     // pages of the view, from its OnBeginPrinting
    HWND m_hButtons[3] = {}; // Prev Page, Next Page, Close
    static CPreviewWnd* s_pOpen;  // the one preview open, or null
};
