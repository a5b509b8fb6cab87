// put_dlg.h - the "Put file" dialog (131). Its "File..." button has no handler.
#pragma once
#include "framework/afx.h"

class CPutDlg : public CDialog {
public:
    CPutDlg();

    CString m_strLocalFile;   // file to send
    CString m_strRemoteFile;  // name on the server

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    //  the fields and their controls
};
