// cwd_dlg.h - the "Change Directory" dialog (135).
#pragma once
#include "framework/afx.h"

class CCwdDlg : public CDialog {
public:
    CCwdDlg();

    CString m_strDirectory;  // remote directory

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    //  the fields and their controls
};
