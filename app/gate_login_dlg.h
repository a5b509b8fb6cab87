// gate_login_dlg.h - the "GATEWAY LOGIN" dialog (141): target host, user name and password.
#pragma once
#include "framework/afx.h"

class CGateLoginDlg : public CDialog {
public:
    CGateLoginDlg();

    CString m_strHost;      // target host, reached through the gateway
    CString m_strUser;      // user name on the target
    CString m_strPassword;  // password, shown as typed

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    //  the fields and their controls
};
