// print_preview.cpp - the preview window.
#include "print_preview.h"
#include <new>
#include "afxres.h"
#include "document.h"
#include "view.h"
#include "win_app.h"

IMPLEMENT_DYNAMIC(CPreviewWnd, CWnd)

namespace {
constexpr int kSheetWidth = 850;    // a letter page in hundredths of an inch
constexpr int kSheetHeight = 1100;
constexpr int kBarHeight = 32;      // button row, pixels
constexpr UINT kButtonIds[3] = {AFX_ID_PREVIEW_PREV, AFX_ID_PREVIEW_NEXT, AFX_ID_PREVIEW_CLOSE};
const char* const kButtonTexts[3] = {"Prev Page", "Next Page", "Close"};
}  // namespace

CPreviewWnd* CPreviewWnd::s_pOpen = nullptr;

void CPreviewWnd::CloseFor(CView* pView) {
    if (s_pOpen && s_pOpen->m_pView == pView) s_pOpen->DestroyWindow();
}

BOOL CPreviewWnd::Show(CView* pView) {
    if (s_pOpen) s_pOpen->DestroyWindow();  // one preview at a time
    CPreviewWnd* wnd = new (std::nothrow) CPreviewWnd(pView);
    if (!wnd) return FALSE;
    HWND owner = AfxGetMainWnd() ? AfxGetMainWnd()->m_hWnd : nullptr;
    RECT rect = {0, 0, 640, 720};
    if (owner) {
        GetWindowRect(owner, &rect);
    }
    CString title = "Print Preview";
    if (pView->GetDocument()) title = pView->GetDocument()->GetTitle() + " - Print Preview";
    if (!wnd->CreateEx(0, nullptr, title, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, rect, owner ? CWnd::FromHandlePermanent(owner) : nullptr, 0)) {
        delete wnd;
        return FALSE;
    }
    // Owned, not a child: CreateEx gave the owner as the parent of a popup.
    for (int i = 0; i < 3; ++i)
        wnd->m_hButtons[i] = CreateWindowA("BUTTON", kButtonTexts[i], WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON,
                                           8 + i * 96, 4, 88, 24, wnd->m_hWnd,
                                           reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kButtonIds[i])),
                                           GetModuleHandleA(nullptr), nullptr);
    // Count the pages once, on a screen context laid out like a sheet.
    HDC screen = GetDC(wnd->m_hWnd);
    CDC dc;
    dc.m_hDC = screen;
    dc.m_bPrinting = TRUE;
    CPrintInfo info;
    info.m_bPreview = TRUE;
    info.m_rectDraw = {50, 50, kSheetWidth - 50, kSheetHeight - 50};
    SetMapMode(screen, MM_ANISOTROPIC);
    SetWindowExtEx(screen, kSheetWidth, kSheetHeight, nullptr);
    SetViewportExtEx(screen, kSheetWidth * GetDeviceCaps(screen, LOGPIXELSX) / 100,
                     kSheetHeight * GetDeviceCaps(screen, LOGPIXELSY) / 100, nullptr);
    pView->OnBeginPrinting(&dc, &info);
    pView->OnEndPrinting(&dc, &info);
    ReleaseDC(wnd->m_hWnd, screen);
    wnd->m_nMaxPage = info.m_nMaxPage == 0xFFFF ? 1 : info.m_nMaxPage;
    wnd->UpdateButtons();
    if (owner) EnableWindow(owner, FALSE);
    s_pOpen = wnd;
    wnd->ShowWindow(SW_SHOW);
    return TRUE;
}

void CPreviewWnd::UpdateButtons() {
    EnableWindow(m_hButtons[0], m_nPage > 1);
    EnableWindow(m_hButtons[1], m_nPage < m_nMaxPage);
}

BOOL CPreviewWnd::OnCommand(WPARAM wParam, LPARAM) {
    switch (LOWORD(wParam)) {
    case AFX_ID_PREVIEW_PREV: if (m_nPage > 1) --m_nPage; break;
    case AFX_ID_PREVIEW_NEXT: if (m_nPage < m_nMaxPage) ++m_nPage; break;
    case AFX_ID_PREVIEW_CLOSE: DestroyWindow(); return TRUE;
    default: return FALSE;
    }
    UpdateButtons();
    Invalidate(TRUE);
    return TRUE;
}

void CPreviewWnd::OnSize(UINT, int, int) { Invalidate(TRUE); }

void CPreviewWnd::Paint(HDC hDC) {
    RECT client;
    GetClientRect(m_hWnd, &client);
    FillRect(hDC, &client, reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1));
    // The largest sheet that fits below the buttons, keeping its shape.
    int availW = client.right - 32, availH = client.bottom - kBarHeight - 24;
    if (availW <= 0 || availH <= 0) return;
    int sheetH = availH, sheetW = availH * kSheetWidth / kSheetHeight;
    if (sheetW > availW) {
        sheetW = availW;
        sheetH = availW * kSheetHeight / kSheetWidth;
    }
    RECT sheet = {(client.right - sheetW) / 2, kBarHeight + 12, 0, 0};
    sheet.right = sheet.left + sheetW;
    sheet.bottom = sheet.top + sheetH;
    RECT shadow = {sheet.left + 4, sheet.top + 4, sheet.right + 4, sheet.bottom + 4};
    FillRect(hDC, &shadow, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    FillRect(hDC, &sheet, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    int saved = SaveDC(hDC);
    IntersectClipRect(hDC, sheet.left, sheet.top, sheet.right, sheet.bottom);
    SetMapMode(hDC, MM_ANISOTROPIC);
    SetWindowExtEx(hDC, kSheetWidth, kSheetHeight, nullptr);
    SetViewportExtEx(hDC, sheetW, sheetH, nullptr);
    SetViewportOrgEx(hDC, sheet.left, sheet.top, nullptr);
    CDC dc;
    dc.m_hDC = hDC;
    dc.m_bPrinting = TRUE;
    CPrintInfo info;
    info.m_bPreview = TRUE;
    info.m_nCurPage = m_nPage;
    info.m_rectDraw = {50, 50, kSheetWidth - 50, kSheetHeight - 50};
    m_pView->OnBeginPrinting(&dc, &info);
    m_pView->OnPrint(&dc, &info);
    m_pView->OnEndPrinting(&dc, &info);
    RestoreDC(hDC, saved);
}

LRESULT CPreviewWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC hDC = BeginPaint(m_hWnd, &ps);
        Paint(hDC);
        EndPaint(m_hWnd, &ps);
        return 0;
    }
    if (message == WM_ERASEBKGND) return 1;
    if (message == WM_CLOSE) {
        DestroyWindow();
        return 0;
    }
    if (message == WM_DESTROY) {
        if (CWnd* main = AfxGetMainWnd()) {
            EnableWindow(main->m_hWnd, TRUE);
            SetActiveWindow(main->m_hWnd);
        }
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

void CPreviewWnd::PostNcDestroy() {
    if (s_pOpen == this) s_pOpen = nullptr;
    delete this;
}
