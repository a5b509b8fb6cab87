// login_dlg.h - the "FTP LOGIN" dialog (130): host, user name and password.
#pragma once
#include "framework/afx.h"

class CLoginDlg : public CDialog {
public:
    CLoginDlg();

    CString m_strHost;      // host name
    CString m_strUser;      // user name
    CString m_strPassword;  // password, shown as typed

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    //  the fields and their controls
};
