// win_app.h - CWinApp, the one application object, and the program entry.
//
// The application declares one global object of its CWinApp-derived class;
// the framework's WinMain calls its InitInstance, then Run (the message
// loop), then ExitInstance.
#pragma once
#include "cmd_target.h"
#include "cstring.h"

class CDocTemplate;
class CDocument;
class CWnd;
class CRecentFileList;
class CCommandLineInfo;

class CWinApp : public CCmdTarget {
public:
    DECLARE_DYNAMIC(CWinApp)
    explicit CWinApp(const char* lpszAppName = nullptr);
    ~CWinApp() override;

    HINSTANCE m_hInstance = nullptr;  // the program's module
    CWnd* m_pMainWnd = nullptr;       // the main frame, once InitInstance has made it
    int m_nCmdShow = SW_SHOWNORMAL;   // the show state the program was started with
    CString m_strAppName;             // application title (string 57344 by default)

    // override these
    virtual BOOL InitInstance();
    //  builds templates and main window; FALSE ends the program at once
    virtual int ExitInstance();
    //  runs after the message loop; its result is the program's exit code
    virtual BOOL OnIdle(LONG lCount);
    //  runs when the message queue is empty; the base updates the main frame

    // do not override these
    int Run();
    //  the message loop, until WM_QUIT; returns ExitInstance's result
    BOOL Enable3dControls();
    //  asks for three-dimensional dialog controls (the system draws them so)
    void LoadStdProfileSettings(UINT nMaxMRU = 4);
    //  reads the recent-file list (nMaxMRU entries, 0 for none)
    void AddDocTemplate(CDocTemplate* pTemplate);
    //  registers a document template; the application deletes it at the end
    void ParseCommandLine(CCommandLineInfo& rCmdInfo);
    //  fills rCmdInfo from the program's command line
    BOOL ProcessShellCommand(CCommandLineInfo& rCmdInfo);
    //  carries out the parsed command (new document, open, print)
    virtual CDocument* OpenDocumentFile(const char* lpszFileName);
    //  opens a file in a new document through the first template; null on failure
    void AddToRecentFileList(const char* lpszPathName);
    //  puts a path at the top of the recent-file list
    void DoWaitCursor(int nCode);
    //  1 shows the hourglass, -1 ends one, 0 shows it again if it is on
    BOOL IsWaitCursorOn() const { return m_nWaitCursorCount > 0; }
    //  true between BeginWaitCursor and the matching EndWaitCursor
    BOOL SaveAllModified();
    //  lets every document save; FALSE when one refuses
    void CloseAllDocuments();
    //  closes every document of every template, with its windows, without asking
    void UpdateRecentFileMenu(HMENU hMenu);
    //  shows the recent files in place of the placeholder item of hMenu
    BOOL OnCmdMsg(UINT nID) override;
    //  the application's own commands and the recent-file items
    CDocTemplate* GetFirstDocTemplate() const { return m_nTemplates ? m_pTemplates[0] : nullptr; }
    //  the first registered template, or null
    CWnd* GetActiveFrameForCommand() const;
    //  the main frame (commands go to its active child first)

protected:
    void OnFileNew();
    //  new document through the first template
    void OnFileOpen();
    //  asks for a file and opens it
    void OnFilePrintSetup();
    //  the printer set-up dialog
    void OnAppExit();
    //  closes the main window
    DECLARE_MESSAGE_MAP()

private:
    static constexpr int kMaxTemplates = 4;
    CDocTemplate* m_pTemplates[kMaxTemplates] = {};
    int m_nTemplates = 0;
    CRecentFileList* m_pRecentFileList = nullptr;
    int m_nWaitCursorCount = 0;   // nesting of BeginWaitCursor
    HCURSOR m_hcurWaitRestore = nullptr;
    HGLOBAL m_hDevMode = nullptr;  // printer set-up kept between dialogs
    HGLOBAL m_hDevNames = nullptr;
    friend class CView;
};

CWinApp* AfxGetApp();
//  the one application object
CWnd* AfxGetMainWnd();
//  the application's main window
HINSTANCE AfxGetInstanceHandle();
//  the program's module handle
