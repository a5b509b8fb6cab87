// mget_dlg.cpp - the "MGET" dialog (133).
#include "mget_dlg.h"
#include "resource.h"

CMGetDlg::CMGetDlg() : CDialog(IDD_MGET) {}

void CMGetDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_EDIT1, m_strRemoteFile);
}
