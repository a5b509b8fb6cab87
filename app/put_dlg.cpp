// put_dlg.cpp - the "Put file" dialog (131). Its "File..." button has no handler.
#include "put_dlg.h"
#include "resource.h"

CPutDlg::CPutDlg() : CDialog(IDD_PUT) {}

void CPutDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_EDIT1, m_strLocalFile);
    DDX_Text(pDX, IDC_EDIT2, m_strRemoteFile);
}
