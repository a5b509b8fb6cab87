// edit_view.cpp - the edit-control view: Edit commands, raw text storage,
// printing line by line.
#include "edit_view.h"
#include <string>
#include "afxres.h"
#include "document.h"

IMPLEMENT_DYNAMIC(CEditView, CView)

BEGIN_MESSAGE_MAP(CEditView, CView)
    ON_COMMAND(ID_EDIT_UNDO, &CEditView::OnEditUndo)
    ON_COMMAND(ID_EDIT_CUT, &CEditView::OnEditCut)
    ON_COMMAND(ID_EDIT_COPY, &CEditView::OnEditCopy)
    ON_COMMAND(ID_EDIT_PASTE, &CEditView::OnEditPaste)
    ON_COMMAND(ID_EDIT_CLEAR, &CEditView::OnEditClear)
    ON_COMMAND(ID_EDIT_SELECT_ALL, &CEditView::OnEditSelectAll)
END_MESSAGE_MAP()

namespace {
constexpr int kPrintPoints = 10;  // printing font size, points
}

CEditView::~CEditView() {
    if (m_hPrintFont) DeleteObject(m_hPrintFont);
}

BOOL CEditView::PreCreateWindow(CREATESTRUCTA& cs) {
    cs.lpszClass = "EDIT";
    cs.style |= WS_HSCROLL | WS_VSCROLL | ES_AUTOHSCROLL | ES_AUTOVSCROLL | ES_MULTILINE | ES_NOHIDESEL;
    return TRUE;
}

void CEditView::OnDraw(CDC*) {}

void CEditView::OnEditUndo() { SendMessage(EM_UNDO); }
void CEditView::OnEditCut() { SendMessage(WM_CUT); }
void CEditView::OnEditCopy() { SendMessage(WM_COPY); }
void CEditView::OnEditPaste() { SendMessage(WM_PASTE); }
void CEditView::OnEditClear() { SendMessage(WM_CLEAR); }
void CEditView::OnEditSelectAll() { SendMessage(EM_SETSEL, 0, -1); }

void CEditView::SerializeRaw(CArchive& ar) {
    if (ar.IsStoring()) {
        CString text = GetWindowText();
        ar.Write(static_cast<const char*>(text), static_cast<UINT>(text.GetLength()));
        return;
    }
    // Loading: the whole file as text; a NUL byte ends what the control can show.
    std::string text;
    char chunk[4096];
    for (;;) {
        UINT got = ar.Read(chunk, sizeof chunk);
        if (got == 0) break;
        text.append(chunk, got);
    }
    SetWindowText(text.c_str());
}

BOOL CEditView::OnPreparePrinting(CPrintInfo* pInfo) { return DoPreparePrinting(pInfo); }

void CEditView::OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo) {
    if (m_hPrintFont) DeleteObject(m_hPrintFont);
    // Logical units are hundredths of an inch on printer and preview alike.
    m_hPrintFont = CreateFontA(-kPrintPoints * 100 / 72, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET,
                               OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN,
                               "Courier New");
    HGDIOBJ old = SelectObject(pDC->m_hDC, m_hPrintFont);
    TEXTMETRICA tm = {};
    GetTextMetricsA(pDC->m_hDC, &tm);
    SelectObject(pDC->m_hDC, old);
    int lineHeight = tm.tmHeight + tm.tmExternalLeading;
    if (lineHeight <= 0) lineHeight = 1;
    int perPage = (pInfo->m_rectDraw.bottom - pInfo->m_rectDraw.top) / lineHeight;
    if (perPage <= 0) perPage = 1;
    int lines = static_cast<int>(SendMessage(EM_GETLINECOUNT));
    pInfo->m_nMaxPage = static_cast<UINT>((lines + perPage - 1) / perPage);
    if (pInfo->m_nMaxPage == 0) pInfo->m_nMaxPage = 1;
}

void CEditView::OnPrint(CDC* pDC, CPrintInfo* pInfo) {
    HDC hDC = pDC->m_hDC;
    HGDIOBJ old = SelectObject(hDC, m_hPrintFont ? m_hPrintFont : GetStockObject(ANSI_FIXED_FONT));
    TEXTMETRICA tm = {};
    GetTextMetricsA(hDC, &tm);
    int lineHeight = tm.tmHeight + tm.tmExternalLeading;
    if (lineHeight <= 0) lineHeight = 1;
    const RECT& area = pInfo->m_rectDraw;
    int perPage = (area.bottom - area.top) / lineHeight;
    if (perPage <= 0) perPage = 1;
    int lines = static_cast<int>(SendMessage(EM_GETLINECOUNT));
    int first = static_cast<int>(pInfo->m_nCurPage - 1) * perPage;
    SetBkMode(hDC, TRANSPARENT);
    for (int i = 0; i < perPage && first + i < lines; ++i) {
        char line[1024];
        // EM_GETLINE: the first WORD of the buffer holds its size.
        *reinterpret_cast<WORD*>(line) = static_cast<WORD>(sizeof line - 1);
        LRESULT got = SendMessage(EM_GETLINE, static_cast<WPARAM>(first + i), reinterpret_cast<LPARAM>(line));
        if (got < 0) got = 0;
        if (got > static_cast<LRESULT>(sizeof line - 1)) got = sizeof line - 1;
        RECT lineRect = {area.left, area.top + i * lineHeight, area.right, area.top + (i + 1) * lineHeight};
        ExtTextOutA(hDC, area.left, lineRect.top, ETO_CLIPPED, &lineRect, line, static_cast<UINT>(got), nullptr);
    }
    if (first + perPage >= lines) pInfo->m_bContinuePrinting = FALSE;
    SelectObject(hDC, old);
}

void CEditView::OnEndPrinting(CDC*, CPrintInfo*) {
    if (m_hPrintFont) DeleteObject(m_hPrintFont);
    m_hPrintFont = nullptr;
}
