// relogin_dlg.h - the "ReLogin" dialog (139): user name and password.
#pragma once
#include "framework/afx.h"

class CReLoginDlg : public CDialog {
public:
    CReLoginDlg();

    CString m_strUser;      // user name
    CString m_strPassword;  // password, shown as typed

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    //  the fields and their controls
};
