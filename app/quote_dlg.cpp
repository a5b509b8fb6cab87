// quote_dlg.cpp - raw commands and their replies.
#include "quote_dlg.h"
#include "resource.h"
#include "tovan32.h"
#include "velmira32_doc.h"

namespace {
constexpr int kReplySize = 1024;  // reply buffer handed to ftp_quote
}

CQuoteDlg::CQuoteDlg() : CDialog(IDD_QUOTE) {}

void CQuoteDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_EDIT1, m_strCommand);
    DDX_Text(pDX, IDC_EDIT2, m_strReply);
}

void CQuoteDlg::OnOK() {
    if (!m_pDoc || m_pDoc->m_nFtpHandle <= 0) return;
    m_pDoc->BeginWaitCursor();
    UpdateData(TRUE);
    char reply[kReplySize] = {};
    CVelmira32Doc::FtpCall busy(m_pDoc);
    ftp_quote(m_pDoc->m_nFtpHandle, m_strCommand, reply, kReplySize);
    reply[kReplySize - 1] = '\0';  // whatever the library left there
    m_strReply = reply;
    m_pDoc->EndWaitCursor();
    UpdateData(FALSE);
}
