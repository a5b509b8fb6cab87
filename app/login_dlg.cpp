// login_dlg.cpp - the "FTP LOGIN" dialog (130): host, user name and password.
#include "login_dlg.h"
#include "resource.h"

CLoginDlg::CLoginDlg() : CDialog(IDD_LOGIN) {}

void CLoginDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_EDIT1, m_strHost);
    DDX_Text(pDX, IDC_EDIT2, m_strUser);
    DDX_Text(pDX, IDC_EDIT3, m_strPassword);
}
