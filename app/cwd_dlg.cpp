// cwd_dlg.cpp - the "Change Directory" dialog (135).
#include "cwd_dlg.h"
#include "resource.h"

CCwdDlg::CCwdDlg() : CDialog(IDD_CWD) {}

void CCwdDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_EDIT1, m_strDirectory);
}
