// view.cpp - views: attaching to the document, printing and preview.
#include "view.h"
#include <commdlg.h>
#include "afxres.h"
#include "document.h"
#include "frame_wnd.h"
#include "print_preview.h"
#include "win_app.h"

IMPLEMENT_DYNAMIC(CView, CWnd)

BEGIN_MESSAGE_MAP(CView, CWnd)
    ON_COMMAND(ID_FILE_PRINT, &CView::OnFilePrint)
    ON_COMMAND(ID_FILE_PRINT_DIRECT, &CView::OnFilePrintDirect)
    ON_COMMAND(ID_FILE_PRINT_PREVIEW, &CView::OnFilePrintPreview)
END_MESSAGE_MAP()

CView::~CView() {
    CPreviewWnd::CloseFor(this);
    if (m_pDocument) m_pDocument->RemoveView(this);
}

int CView::OnCreate(LPCREATESTRUCTA) {
    if (m_pDocument && !m_pDocument->AddView(this)) return -1;
    return 0;
}

void CView::PostNcDestroy() { delete this; }

CFrameWnd* CView::GetParentFrame() const {
    for (HWND parent = ::GetParent(m_hWnd); parent; parent = ::GetParent(parent))
        if (CFrameWnd* frame = dynamic_cast<CFrameWnd*>(FromHandlePermanent(parent))) return frame;
    return nullptr;
}

BOOL CView::OnCmdMsg(UINT nID) {
    if (DispatchCommand(nID)) return TRUE;
    return m_pDocument ? m_pDocument->OnCmdMsg(nID) : FALSE;
}

LRESULT CView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT && !m_pfnSuper) {
        PAINTSTRUCT ps;
        CDC dc;
        dc.m_hDC = BeginPaint(m_hWnd, &ps);
        OnDraw(&dc);
        EndPaint(m_hWnd, &ps);
        return 0;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

void CView::OnInitialUpdate() { OnUpdate(nullptr, 0, nullptr); }

void CView::OnUpdate(CView*, LPARAM, CObject*) { Invalidate(TRUE); }

BOOL CView::OnPreparePrinting(CPrintInfo* pInfo) { return DoPreparePrinting(pInfo); }
void CView::OnBeginPrinting(CDC*, CPrintInfo*) {}
void CView::OnEndPrinting(CDC*, CPrintInfo*) {}

void CView::OnPrint(CDC* pDC, CPrintInfo*) { OnDraw(pDC); }

BOOL CView::DoPreparePrinting(CPrintInfo* pInfo) {
    if (pInfo->m_bPreview) return TRUE;  // preview draws on the screen
    CWinApp* app = AfxGetApp();
    PRINTDLGA pd = {};
    pd.lStructSize = sizeof pd;
    pd.hwndOwner = AfxGetMainWnd() ? AfxGetMainWnd()->m_hWnd : nullptr;
    pd.hDevMode = app->m_hDevMode;
    pd.hDevNames = app->m_hDevNames;
    pd.Flags = PD_RETURNDC | PD_NOSELECTION | PD_NOPAGENUMS | (pInfo->m_bDirect ? PD_RETURNDEFAULT : 0);
    if (pInfo->m_bDirect) pd.hDevMode = pd.hDevNames = nullptr;  // PD_RETURNDEFAULT wants none
    if (!PrintDlgA(&pd)) return FALSE;
    if (!pInfo->m_bDirect) {
        app->m_hDevMode = pd.hDevMode;
        app->m_hDevNames = pd.hDevNames;
    } else {
        if (pd.hDevMode) GlobalFree(pd.hDevMode);
        if (pd.hDevNames) GlobalFree(pd.hDevNames);
    }
    pInfo->m_hPrinterDC = pd.hDC;
    return pd.hDC != nullptr;
}

BOOL CView::PrintPages(CPrintInfo* pInfo, HDC hPrinterDC) {
    CDC dc;
    dc.m_hDC = hPrinterDC;
    dc.m_bPrinting = TRUE;
    DOCINFOA di = {};
    di.cbSize = sizeof di;
    CString title = m_pDocument ? m_pDocument->GetTitle() : CString("Document");
    di.lpszDocName = title;
    if (StartDocA(hPrinterDC, &di) <= 0) return FALSE;
    // Pages are laid out in hundredths of an inch on any printer.
    SetMapMode(hPrinterDC, MM_ANISOTROPIC);
    SetWindowExtEx(hPrinterDC, GetDeviceCaps(hPrinterDC, HORZSIZE) * 100 / 25, GetDeviceCaps(hPrinterDC, VERTSIZE) * 100 / 25, nullptr);
    SetViewportExtEx(hPrinterDC, GetDeviceCaps(hPrinterDC, HORZRES), GetDeviceCaps(hPrinterDC, VERTRES), nullptr);
    pInfo->m_rectDraw = {50, 50, GetDeviceCaps(hPrinterDC, HORZSIZE) * 100 / 25 - 50,
                         GetDeviceCaps(hPrinterDC, VERTSIZE) * 100 / 25 - 50};
    OnBeginPrinting(&dc, pInfo);
    BOOL ok = TRUE;
    for (pInfo->m_nCurPage = 1; pInfo->m_bContinuePrinting && pInfo->m_nCurPage <= pInfo->m_nMaxPage;
         ++pInfo->m_nCurPage) {
        if (StartPage(hPrinterDC) <= 0) { ok = FALSE; break; }
        OnPrint(&dc, pInfo);
        if (EndPage(hPrinterDC) <= 0) { ok = FALSE; break; }
    }
    OnEndPrinting(&dc, pInfo);
    if (ok) EndDoc(hPrinterDC); else AbortDoc(hPrinterDC);
    return ok;
}

void CView::OnFilePrint() {
    CPrintInfo info;
    if (!OnPreparePrinting(&info)) return;
    AfxGetApp()->DoWaitCursor(1);
    PrintPages(&info, info.m_hPrinterDC);
    AfxGetApp()->DoWaitCursor(-1);
    DeleteDC(info.m_hPrinterDC);
}

void CView::OnFilePrintDirect() {
    CPrintInfo info;
    info.m_bDirect = TRUE;
    if (!OnPreparePrinting(&info)) return;
    PrintPages(&info, info.m_hPrinterDC);
    DeleteDC(info.m_hPrinterDC);
}

void CView::OnFilePrintPreview() {
    CPrintInfo info;
    info.m_bPreview = TRUE;
    if (!OnPreparePrinting(&info)) return;
    CPreviewWnd::Show(this);
}
