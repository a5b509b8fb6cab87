// view.h - CView, one window on a document, inside a frame.
#pragma once
#include "wnd.h"
#include "dc.h"

class CDocument;
class CFrameWnd;

class CView : public CWnd {
public:
    DECLARE_DYNAMIC(CView)
    CView() = default;
    ~CView() override;
    //  detaches the view from its document

    // override these
    virtual void OnInitialUpdate();
    //  runs once when the view is first shown; the base calls OnUpdate(null, 0, null)
    virtual void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint);
    //  the document changed; the base invalidates the window
    virtual void OnDraw(CDC* pDC) = 0;
    //  draws the view (on screen, printer or preview page)
    virtual BOOL OnPreparePrinting(CPrintInfo* pInfo);
    //  sets up a print run; usually returns DoPreparePrinting(pInfo)
    virtual void OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo);
    //  before the first page; the base does nothing
    virtual void OnPrint(CDC* pDC, CPrintInfo* pInfo);
    //  draws page pInfo->m_nCurPage; the base calls OnDraw
    virtual void OnEndPrinting(CDC* pDC, CPrintInfo* pInfo);
    //  after the last page; the base does nothing
    BOOL OnCmdMsg(UINT nID) override;
    //  the view's commands, then its document's

    // do not override these
    CDocument* GetDocument() const { return m_pDocument; }
    //  the document this view shows
    CFrameWnd* GetParentFrame() const;
    //  the frame the view lives in
    BOOL DoPreparePrinting(CPrintInfo* pInfo);
    //  the print dialog (or the default printer for direct printing); FALSE when cancelled
    BOOL PrintPages(CPrintInfo* pInfo, HDC hPrinterDC);
    //  prints every page on hPrinterDC; FALSE when the printer failed
    void AttachDocument(CDocument* pDoc) { m_pDocument = pDoc; }
    //  set by the frame before the window is created

protected:
    int OnCreate(LPCREATESTRUCTA lpCreateStruct) override;
    //  attaches the view to its document
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    //  WM_PAINT goes to OnDraw (for views that paint themselves)
    void PostNcDestroy() override;
    //  deletes the object once its window is gone
    void OnFilePrint();
    //  Print: dialog, then every page
    void OnFilePrintDirect();
    //  Print direct: the default printer without a dialog
    void OnFilePrintPreview();
    //  Print Preview: pages drawn in a preview window
    DECLARE_MESSAGE_MAP()

    CDocument* m_pDocument = nullptr;  // the document shown
    friend class CDocument;
};
