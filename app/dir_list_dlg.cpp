// dir_list_dlg.cpp - directory listings read back from a temporary file.
#include "dir_list_dlg.h"
#include <cstdio>
#include <cstdlib>
#include <string>
#include "ftp_message.h"
#include "log_text.h"
#include "resource.h"
#include "tovan32.h"
#include "velmira32_doc.h"

namespace {
// A temporary name in folder, checked by making (and removing) the file:
// _tempnam only tests that the folder exists. Null when none can be had.
char* UsableTempName(const char* folder) {
    char* name = _tempnam(folder, "ftp");
    if (!name) return nullptr;
    HANDLE probe = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (probe == INVALID_HANDLE_VALUE) {
        free(name);
        return nullptr;
    }
    CloseHandle(probe);
    return name;
}

char* ListingTempName() {
    if (char* name = UsableTempName("c:\\windows")) return name;
    char folder[MAX_PATH + 1] = {};
    DWORD length = GetTempPathA(sizeof folder, folder);
    if (length == 0 || length >= sizeof folder) return nullptr;
    return UsableTempName(folder);
}
}  // namespace

CDirListDlg::CDirListDlg() : CDialog(IDD_DIRLIST) {}

void CDirListDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_EDIT1, m_strDirectory);
    DDX_Check(pDX, IDC_CHECK_LONG, m_bLongListing);
    DDX_Text(pDX, IDC_EDIT2, m_strListing);
}

void CDirListDlg::OnOK() {
    if (!m_pDoc || m_pDoc->m_nFtpHandle <= 0) return;
    m_pDoc->BeginWaitCursor();
    char* tempName = ListingTempName();
    if (!tempName) {
        m_pDoc->m_strStatus = "Cannot create a temporary file for the listing";
        m_pDoc->EndWaitCursor();
        m_pDoc->UpdateAllViews(nullptr);
        return;
    }
    UpdateData(TRUE);
    CVelmira32Doc::FtpCall busy(m_pDoc);
    int result = m_bLongListing ? ftp_dir(m_pDoc->m_nFtpHandle, m_strDirectory, tempName)
                                : ftp_ls(m_pDoc->m_nFtpHandle, m_strDirectory, tempName);
    if (result == 0) {
        std::string listing;
        velmira::AppendListingFile(tempName, listing);
        m_strListing = listing.c_str();
    }
    DeleteFileA(tempName);
    free(tempName);
    UpdateData(FALSE);
    m_pDoc->m_strStatus = FtpMessage();
    m_pDoc->EndWaitCursor();
    m_pDoc->UpdateAllViews(nullptr);
}
