// mput_dlg.h - the "MPUT" dialog (134). Its "File..." button has no handler.
#pragma once
#include "framework/afx.h"

class CMPutDlg : public CDialog {
public:
    CMPutDlg();

    CString m_strLocalFile;  // local file pattern ("*" and "?" allowed)

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    //  the fields and their controls
};
