// get_dlg.cpp - the "Get File" dialog (132).
#include "get_dlg.h"
#include "resource.h"

CGetDlg::CGetDlg() : CDialog(IDD_GET) {}

void CGetDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_EDIT1, m_strRemoteFile);
    DDX_Text(pDX, IDC_EDIT2, m_strLocalFile);
}
