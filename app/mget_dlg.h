// mget_dlg.h - the "MGET" dialog (133).
#pragma once
#include "framework/afx.h"

class CMGetDlg : public CDialog {
public:
    CMGetDlg();

    CString m_strRemoteFile;  // remote file pattern ("*" and "?" allowed)

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    //  the fields and their controls
};
