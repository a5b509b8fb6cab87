// quote_dlg.h - the "FTP Quote" dialog (137): sends a raw command on "OK"
// and shows the reply; it stays open until "Cancel".
#pragma once
#include "framework/afx.h"

class CVelmira32Doc;

class CQuoteDlg : public CDialog {
public:
    CQuoteDlg();

    CString m_strCommand;              // command line to send
    CString m_strReply;                // the server's reply, read-only
    CVelmira32Doc* m_pDoc = nullptr;   // document whose connection is used

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    //  the fields and their controls
    void OnOK() override;
    //  sends the command; does not close
};
