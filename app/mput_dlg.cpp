// mput_dlg.cpp - the "MPUT" dialog (134). Its "File..." button has no handler.
#include "mput_dlg.h"
#include "resource.h"

CMPutDlg::CMPutDlg() : CDialog(IDD_MPUT) {}

void CMPutDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_EDIT1, m_strLocalFile);
}
