// transfer_commands.cpp - Put, Get, CWD, MGet, MPut and the transfer options.
#include "cwd_dlg.h"
#include "ftp_message.h"
#include "get_dlg.h"
#include "mget_dlg.h"
#include "mput_dlg.h"
#include "put_dlg.h"
#include "tovan32.h"
#include "velmira32_doc.h"

namespace {
const char kNotConnected[] = "Server not connected yet";
const char kNoConnection[] = "No FTP connection.";

// The library calls of the four transfers, with the dialog's texts.
int CallPut(int h, const CString& local, const CString& remote) { return ftp_put(h, local, remote); }
int CallGet(int h, const CString& remote, const CString& local) { return ftp_get(h, remote, local); }
int CallMGet(int h, const CString& remote, const CString&) { return ftp_mget(h, remote); }
int CallMPut(int h, const CString& local, const CString&) { return ftp_mput(h, local, nullptr); }
}  // namespace

void CVelmira32Doc::RunTransfer(const CString& progress, int (*call)(int, const CString&, const CString&),
                                const CString& first, const CString& second) {
    BeginWaitCursor();
    if (m_nFtpHandle <= 0) {
        m_strStatus = kNotConnected;
    } else {
        FtpCall busy(this);
        PostStatus(progress);
        call(m_nFtpHandle, first, second);
        m_strStatus = FtpMessage();
    }
    EndWaitCursor();
    UpdateAllViews(nullptr);
}

void CVelmira32Doc::OnPut() {
    if (RefuseWhileBusy()) return;
    CPutDlg dlg;
    if (dlg.DoModal() != IDOK) return;
    RunTransfer("Wait...putting " + dlg.m_strLocalFile, &CallPut, dlg.m_strLocalFile, dlg.m_strRemoteFile);
}

void CVelmira32Doc::OnGet() {
    if (RefuseWhileBusy()) return;
    CGetDlg dlg;
    if (dlg.DoModal() != IDOK) return;
    RunTransfer("Wait...getting " + dlg.m_strRemoteFile, &CallGet, dlg.m_strRemoteFile, dlg.m_strLocalFile);
}

void CVelmira32Doc::OnMGet() {
    if (RefuseWhileBusy()) return;
    CMGetDlg dlg;
    if (dlg.DoModal() != IDOK) return;
    RunTransfer("Wait...getting " + dlg.m_strRemoteFile, &CallMGet, dlg.m_strRemoteFile, CString());
}

void CVelmira32Doc::OnMPut() {
    if (RefuseWhileBusy()) return;
    CMPutDlg dlg;
    if (dlg.DoModal() != IDOK) return;
    RunTransfer("Wait...putting " + dlg.m_strLocalFile, &CallMPut, dlg.m_strLocalFile, CString());
}

void CVelmira32Doc::OnCwd() {
    if (RefuseWhileBusy()) return;
    CCwdDlg dlg;
    if (dlg.DoModal() != IDOK) return;
    BeginWaitCursor();
    if (m_nFtpHandle <= 0) {
        m_strStatus = kNotConnected;
    } else {
        FtpCall busy(this);
        ftp_cd(m_nFtpHandle, dlg.m_strDirectory);
        m_strStatus = FtpMessage();
    }
    EndWaitCursor();
    UpdateAllViews(nullptr);
}

void CVelmira32Doc::RunOption(int(TOVANAPI* call)(int), const char* disconnectedText) {
    if (RefuseWhileBusy()) return;
    if (m_nFtpHandle <= 0) {
        PostStatus(disconnectedText);
        return;
    }
    call(m_nFtpHandle);
    PostStatus(FtpMessage());  // whatever ftp_lasterror returned
}

void CVelmira32Doc::OnAscii() { RunOption(&ftp_setascii, kNotConnected); }
void CVelmira32Doc::OnLocalUnique() { RunOption(&ftp_localunique, kNoConnection); }
void CVelmira32Doc::OnStoreUnique() { RunOption(&ftp_storeunique, kNoConnection); }

void CVelmira32Doc::OnBinary() {
    if (RefuseWhileBusy()) return;
    if (m_nFtpHandle <= 0) {
        PostStatus(kNotConnected);
        return;
    }
    ftp_setbinary(m_nFtpHandle);
    CString message;
    PostStatus(FtpLastError(message) > 0 ? message : CString("no message"));
}
