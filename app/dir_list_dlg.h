// dir_list_dlg.h - the "Directory Listing" dialog (136): lists a remote
// directory on "OK" through a temporary file; it stays open until "Cancel".
//
// The temporary file is named by _tempnam with the folder "c:\windows" and
// the prefix "ftp" (the C run-time itself prefers the folder in TMP when that
// is set); when the name it gives cannot be created, a name in the system's
// temporary folder is used instead. When no usable name can be had at all, the
// library is not called and the document posts
// "Cannot create a temporary file for the listing".
#pragma once
#include "framework/afx.h"

class CVelmira32Doc;

class CDirListDlg : public CDialog {
public:
    CDirListDlg();

    CString m_strDirectory;            // remote directory to list
    BOOL m_bLongListing = FALSE;       // ftp_dir when ticked, ftp_ls otherwise
    CString m_strListing;              // the listing, editable
    CVelmira32Doc* m_pDoc = nullptr;   // document whose connection is used

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    //  the fields and their controls
    void OnOK() override;
    //  lists the directory; does not close
};
