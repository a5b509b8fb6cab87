// get_dlg.h - the "Get File" dialog (132).
#pragma once
#include "framework/afx.h"

class CGetDlg : public CDialog {
public:
    CGetDlg();

    CString m_strRemoteFile;  // file on the server
    CString m_strLocalFile;   // name to store it under

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    //  the fields and their controls
};
