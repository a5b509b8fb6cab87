// velmira32_doc.h - one FTP connection: handle, status-box option and the
// latest status line, with the connection, transfer and option commands.
#pragma once
#include "framework/afx.h"
#include "tovan32.h"

class CVelmira32Doc : public CDocument {
public:
    DECLARE_DYNCREATE(CVelmira32Doc)
    CVelmira32Doc() = default;

    int m_nFtpHandle = 0;                                  // connected while greater than 0
    BOOL m_bStatusBox = TRUE;                              // passed to ftp_statusbox
    CString m_strStatus = "Please connect to server first...";  // the latest status line

    void Serialize(CArchive& ar) override;
    //  the first view's text, raw
    BOOL OnNewDocument() override;
    //  the base's

    void PostStatus(const char* text);
    //  sets the status line and appends it to every view's log

    // The library keeps the user interface alive while a call waits on the
    // network (so that Abort works). Until that call returns, the document
    // refuses to close, the program refuses to exit, and the document's
    // other library commands are refused with a beep; Abort and the status
    // box option still work.
    BOOL SaveModified() override;
    BOOL CanCloseFrame(CFrameWnd* pFrame) override;
    bool RefuseWhileBusy();
    //  true, after a beep, while a library call of this document runs

    // Marks a library call of the document for as long as it lives.
    class FtpCall {
    public:
        explicit FtpCall(CVelmira32Doc* doc) : m_pDoc(doc) { ++m_pDoc->m_nCallDepth; }
        ~FtpCall() { --m_pDoc->m_nCallDepth; }
        FtpCall(const FtpCall&) = delete;
        FtpCall& operator=(const FtpCall&) = delete;

    private:
        CVelmira32Doc* m_pDoc;
    };

protected:
    // Connection commands
    void OnLogin();
    //  asks host, user and password; the new handle replaces the old without a quit
    void OnReLogin();
    //  asks user and password and logs in again on the open connection
    void OnLogout();
    //  quits the connection; disconnected either way
    void OnGateLogin();
    //  logs in to a target host through the connected gateway
    void OnAbort();
    //  asks the library to abort the connection's transfer
    // Transfer commands
    void OnPut();
    //  sends a local file
    void OnGet();
    //  fetches a remote file
    void OnCwd();
    //  changes the remote directory
    void OnMGet();
    //  fetches the remote files matching a pattern
    void OnMPut();
    //  sends the local files matching a pattern
    // Option commands
    void OnAscii();
    //  ASCII transfers
    void OnBinary();
    //  binary transfers; "no message" when the library has none
    void OnLocalUnique();
    //  toggles unique local names
    void OnStoreUnique();
    //  toggles unique remote names
    DECLARE_MESSAGE_MAP()

private:
    int m_nCallDepth = 0;  // library calls of this document under way
    void RunTransfer(const CString& progress, int (*call)(int, const CString&, const CString&),
                     const CString& first, const CString& second);
    //  the common steps of Put, Get, MGet and MPut after their dialog
    void RunOption(int(TOVANAPI* call)(int), const char* disconnectedText);
    //  Ascii, LocalUnique, StoreUnique: one call, then the library's message
};
