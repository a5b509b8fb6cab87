// relogin_dlg.cpp - the "ReLogin" dialog (139): user name and password.
#include "relogin_dlg.h"
#include "resource.h"

CReLoginDlg::CReLoginDlg() : CDialog(IDD_RELOGIN) {}

void CReLoginDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_EDIT1, m_strUser);
    DDX_Text(pDX, IDC_EDIT2, m_strPassword);
}
