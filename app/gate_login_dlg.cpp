// gate_login_dlg.cpp - the "GATEWAY LOGIN" dialog (141): target host, user name and password.
#include "gate_login_dlg.h"
#include "resource.h"

CGateLoginDlg::CGateLoginDlg() : CDialog(IDD_GATELOGIN) {}

void CGateLoginDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_EDIT1, m_strHost);
    DDX_Text(pDX, IDC_EDIT2, m_strUser);
    DDX_Text(pDX, IDC_EDIT3, m_strPassword);
}
