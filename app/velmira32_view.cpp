// velmira32_view.cpp - the log view and its commands.
#include "velmira32_view.h"
#include <new>
#include <string>
#include "dir_list_dlg.h"
#include "log_text.h"
#include "quote_dlg.h"
#include "resource.h"
#include "tovan32.h"
#include "velmira32_doc.h"

IMPLEMENT_DYNCREATE(CVelmira32View, CEditView)

BEGIN_MESSAGE_MAP(CVelmira32View, CEditView)
    ON_COMMAND(ID_COMMAND_DIRLIST, &CVelmira32View::OnDirList)
    ON_COMMAND(ID_COMMAND_QUOTE, &CVelmira32View::OnQuote)
    ON_COMMAND(ID_OPTIONS_STATUSBOX, &CVelmira32View::OnStatusBox)
END_MESSAGE_MAP()

CVelmira32Doc* CVelmira32View::GetDocument() const { return static_cast<CVelmira32Doc*>(m_pDocument); }

BOOL CVelmira32View::PreCreateWindow(CREATESTRUCTA& cs) {
    BOOL ok = CEditView::PreCreateWindow(cs);
    cs.style &= ~(WS_HSCROLL | ES_AUTOHSCROLL);
    return ok;
}

void CVelmira32View::OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) {
    CEditView::OnUpdate(pSender, lHint, pHint);
    CVelmira32Doc* doc = GetDocument();
    if (!doc) return;
    std::string log(static_cast<const char*>(m_strLog));
    velmira::AppendLogLine(log, doc->m_strStatus);
    m_strLog = log.c_str();
    SetWindowText(m_strLog);
    LRESULT lines = SendMessage(EM_GETLINECOUNT);
    SendMessage(EM_LINESCROLL, 0, lines);
    SendMessage(EM_SETREADONLY, TRUE);
    Invalidate(TRUE);
}

void CVelmira32View::OnDraw(CDC*) {}

BOOL CVelmira32View::OnPreparePrinting(CPrintInfo* pInfo) { return CEditView::OnPreparePrinting(pInfo); }

void CVelmira32View::OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo) { CEditView::OnBeginPrinting(pDC, pInfo); }

void CVelmira32View::OnEndPrinting(CDC* pDC, CPrintInfo* pInfo) { CEditView::OnEndPrinting(pDC, pInfo); }

void CVelmira32View::OnDirList() {
    if (GetDocument()->RefuseWhileBusy()) return;
    CDirListDlg dlg;
    dlg.m_pDoc = GetDocument();
    dlg.DoModal();
}

void CVelmira32View::OnQuote() {
    if (GetDocument()->RefuseWhileBusy()) return;
    CQuoteDlg dlg;
    dlg.m_pDoc = GetDocument();
    dlg.DoModal();
}

void CVelmira32View::OnStatusBox() {
    CVelmira32Doc* doc = GetDocument();
    doc->m_strStatus = doc->m_bStatusBox ? "Status Box turned off" : "Status Box turned on";
    doc->m_bStatusBox = doc->m_bStatusBox ? 0 : 1;
    if (doc->m_nFtpHandle > 0) ftp_statusbox(doc->m_nFtpHandle, doc->m_bStatusBox);
    doc->UpdateAllViews(nullptr);
}
