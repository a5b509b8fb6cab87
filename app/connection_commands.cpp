// connection_commands.cpp - Login, ReLogin, Logout, GateLogin and Abort.
#include "ftp_message.h"
#include "gate_login_dlg.h"
#include "login_dlg.h"
#include "relogin_dlg.h"
#include "tovan32.h"
#include "velmira32_doc.h"

void CVelmira32Doc::OnLogin() {
    if (RefuseWhileBusy()) return;
    CLoginDlg dlg;
    if (dlg.DoModal() != IDOK) return;
    BeginWaitCursor();
    FtpCall call(this);
    // The earlier handle, if any, is replaced without a quit.
    m_nFtpHandle = ftp_login(dlg.m_strHost, dlg.m_strUser, dlg.m_strPassword, "");
    if (m_nFtpHandle > 0) {
        m_strStatus = "Connected to " + dlg.m_strHost;
        ftp_statusbox(m_nFtpHandle, m_bStatusBox ? 1 : 0);
    } else {
        m_strStatus = FtpMessage();
    }
    EndWaitCursor();
    UpdateAllViews(nullptr);
}

void CVelmira32Doc::OnReLogin() {
    if (RefuseWhileBusy()) return;
    if (m_nFtpHandle <= 0) {
        PostStatus("You need to establish a connection first!");
        return;
    }
    CReLoginDlg dlg;
    if (dlg.DoModal() != IDOK) return;
    BeginWaitCursor();
    FtpCall call(this);
    if (ftp_relogin(m_nFtpHandle, dlg.m_strUser, dlg.m_strPassword, "") == 0)
        m_strStatus = "User " + dlg.m_strUser + " logged in";
    else
        m_strStatus = FtpMessage();
    EndWaitCursor();
    UpdateAllViews(nullptr);
}

void CVelmira32Doc::OnLogout() {
    if (RefuseWhileBusy()) return;
    BeginWaitCursor();
    if (m_nFtpHandle > 0) {
        FtpCall call(this);
        m_strStatus = ftp_quit(m_nFtpHandle) == 0 ? "Disconnected" : "Quit failed, disconnect anyway";
        m_nFtpHandle = 0;
        UpdateAllViews(nullptr);
    }
    EndWaitCursor();
}

void CVelmira32Doc::OnGateLogin() {
    if (RefuseWhileBusy()) return;
    if (m_nFtpHandle <= 0) {
        PostStatus("You need to connect to a gateway host first!");
        return;
    }
    CGateLoginDlg dlg;
    if (dlg.DoModal() != IDOK) return;
    BeginWaitCursor();
    FtpCall call(this);
    if (ftp_gatelogin(m_nFtpHandle, dlg.m_strHost, dlg.m_strUser, dlg.m_strPassword, "") == 0)
        m_strStatus = dlg.m_strHost + " connected";
    else
        m_strStatus = FtpMessage();
    EndWaitCursor();
    UpdateAllViews(nullptr);
}

void CVelmira32Doc::OnAbort() {
    if (m_nFtpHandle > 0) {
        ftp_abort(m_nFtpHandle);
        PostStatus("Abort submitted....");
    } else {
        PostStatus("No FTP connection.");
    }
}
