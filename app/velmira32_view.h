// velmira32_view.h - one window on a connection: a read-only, scrolled log
// of the document's status lines, and the DirList, Quote and Status Box commands.
#pragma once
#include "framework/afx.h"

class CVelmira32Doc;

class CVelmira32View : public CEditView {
public:
    DECLARE_DYNCREATE(CVelmira32View)
    CVelmira32View() = default;

    CString m_strLog;  // the status log of this view

    CVelmira32Doc* GetDocument() const;
    //  the view's document

    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    //  the base's window without horizontal scrolling: long lines wrap
    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
    //  appends the document's status line to the log and shows the log
    void OnDraw(CDC* pDC) override;
    //  draws nothing
    BOOL OnPreparePrinting(CPrintInfo* pInfo) override;
    //  the base's
    void OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo) override;
    //  the base's
    void OnEndPrinting(CDC* pDC, CPrintInfo* pInfo) override;
    //  the base's

protected:
    void OnDirList();
    //  the Directory Listing dialog on the view's document
    void OnQuote();
    //  the FTP Quote dialog on the view's document
    void OnStatusBox();
    //  flips the document's status-box option and tells the library when connected
    DECLARE_MESSAGE_MAP()
};
