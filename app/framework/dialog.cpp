// dialog.cpp - modal dialogs and data exchange.
#include "dialog.h"
#include "win_app.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

INT_PTR CDialog::DoModal() {
    CWnd* parent = m_pParentWnd ? m_pParentWnd : AfxGetMainWnd();
    HWND owner = parent ? parent->m_hWnd : nullptr;
    return DialogBoxParamA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), owner, &CDialog::StaticDlgProc,
                           reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CDialog::StaticDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* dlg = static_cast<CDialog*>(FromHandlePermanent(hWnd));
    if (message == WM_INITDIALOG) {
        dlg = reinterpret_cast<CDialog*>(lParam);
        dlg->Attach(hWnd);
        return dlg->OnInitDialog();
    }
    if (!dlg) return FALSE;
    if (message == WM_NCDESTROY) {
        dlg->Detach();
        return FALSE;
    }
    dlg->m_bInDefault = FALSE;
    LRESULT result = dlg->WindowProc(message, wParam, lParam);
    if (dlg->m_bInDefault) return FALSE;  // let the dialog manager handle it
    SetWindowLongPtrA(hWnd, DWLP_MSGRESULT, result);
    return TRUE;
}

LRESULT CDialog::DefWindowProc(UINT, WPARAM, LPARAM) {
    m_bInDefault = TRUE;
    return 0;
}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
    UINT nID = LOWORD(wParam);
    if (HIWORD(wParam) != BN_CLICKED && lParam) return FALSE;
    if (nID == IDOK) {
        OnOK();
        return TRUE;
    }
    if (nID == IDCANCEL) {
        OnCancel();
        return TRUE;
    }
    return OnCmdMsg(nID);
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;  // focus to the first control
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

void CDialog::OnOK() {
    if (UpdateData(TRUE)) EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::EndDialog(int nResult) { ::EndDialog(m_hWnd, nResult); }

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
    HWND control = pDX->m_pDlgWnd->GetDlgItem(nIDC);
    if (!control) return;
    if (pDX->m_bSaveAndValidate) {
        int length = GetWindowTextLengthA(control);
        std::string text(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
        int got = GetWindowTextA(control, &text[0], length + 1);
        value = CString(text.c_str(), got > 0 ? got : 0);
    } else {
        SetWindowTextA(control, value);
    }
}

void DDX_Check(CDataExchange* pDX, int nIDC, BOOL& value) {
    HWND control = pDX->m_pDlgWnd->GetDlgItem(nIDC);
    if (!control) return;
    if (pDX->m_bSaveAndValidate)
        value = SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    else
        SendMessageA(control, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
}
