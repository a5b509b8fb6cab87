// win_app.cpp - the application object: start-up helpers, message loop,
// application commands, recent files and the wait cursor.
#include "win_app.h"
#include <commdlg.h>
#include <shellapi.h>
#include <new>
#include "afxres.h"
#include "command_line_info.h"
#include "doc_template.h"
#include "document.h"
#include "frame_wnd.h"
#include "recent_file_list.h"

IMPLEMENT_DYNAMIC(CWinApp, CCmdTarget)

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
    ON_COMMAND(ID_FILE_NEW, &CWinApp::OnFileNew)
    ON_COMMAND(ID_FILE_OPEN, &CWinApp::OnFileOpen)
    ON_COMMAND(ID_FILE_PRINT_SETUP, &CWinApp::OnFilePrintSetup)
    ON_COMMAND(ID_APP_EXIT, &CWinApp::OnAppExit)
END_MESSAGE_MAP()

namespace {
CWinApp* g_pApp;  // the one application object
}

CWinApp* AfxGetApp() { return g_pApp; }
CWnd* AfxGetMainWnd() { return g_pApp ? g_pApp->m_pMainWnd : nullptr; }
HINSTANCE AfxGetInstanceHandle() { return g_pApp ? g_pApp->m_hInstance : GetModuleHandleA(nullptr); }

CWinApp::CWinApp(const char* lpszAppName) : m_strAppName(lpszAppName) { g_pApp = this; }

CWinApp::~CWinApp() {
    for (int i = 0; i < m_nTemplates; ++i) delete m_pTemplates[i];
    delete m_pRecentFileList;
    if (m_hDevMode) GlobalFree(m_hDevMode);
    if (m_hDevNames) GlobalFree(m_hDevNames);
    if (g_pApp == this) g_pApp = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() {
    if (m_pRecentFileList) m_pRecentFileList->WriteList();
    return 0;
}

BOOL CWinApp::OnIdle(LONG) {
    if (CFrameWnd* frame = dynamic_cast<CFrameWnd*>(m_pMainWnd)) frame->OnIdleUpdate();
    return FALSE;
}

int CWinApp::Run() {
    MSG msg;
    for (;;) {
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) OnIdle(0);
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) break;
        // The window under the message first, then its frames up to the main one.
        BOOL handled = FALSE;
        for (HWND hWnd = msg.hwnd; hWnd && !handled; hWnd = GetParent(hWnd))
            if (CWnd* wnd = CWnd::FromHandlePermanent(hWnd)) handled = wnd->PreTranslateMessage(&msg);
        if (handled) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return ExitInstance();
}

BOOL CWinApp::Enable3dControls() {
    // The system has drawn dialog controls in 3-D since Windows 95.
    return TRUE;
}

void CWinApp::LoadStdProfileSettings(UINT nMaxMRU) {
    if (nMaxMRU == 0) return;
    delete m_pRecentFileList;
    CString profile = m_strAppName + ".INI";
    m_pRecentFileList = new (std::nothrow) CRecentFileList(nMaxMRU, "Recent File List", profile);
    if (m_pRecentFileList) m_pRecentFileList->ReadList();
}

void CWinApp::AddDocTemplate(CDocTemplate* pTemplate) {
    if (m_nTemplates < kMaxTemplates) m_pTemplates[m_nTemplates++] = pTemplate;
    else delete pTemplate;
}

void CWinApp::ParseCommandLine(CCommandLineInfo& rCmdInfo) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return;
    for (int i = 1; i < argc; ++i) {
        char arg[MAX_PATH * 2] = {};
        WideCharToMultiByte(CP_ACP, 0, argv[i], -1, arg, sizeof arg - 1, nullptr, nullptr);
        BOOL flag = arg[0] == '/' || arg[0] == '-';
        rCmdInfo.ParseParam(flag ? arg + 1 : arg, flag, i == argc - 1);
    }
    LocalFree(argv);
}

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo& rCmdInfo) {
    switch (rCmdInfo.m_nShellCommand) {
    case CCommandLineInfo::FileNew:
        OnFileNew();
        // A template that could not make its document fails the start.
        return GetFirstDocTemplate() && GetFirstDocTemplate()->GetDocumentCount() > 0;
    case CCommandLineInfo::FileOpen:
        return OpenDocumentFile(rCmdInfo.m_strFileName) != nullptr;
    case CCommandLineInfo::FilePrint: {
        CDocument* doc = OpenDocumentFile(rCmdInfo.m_strFileName);
        if (!doc) return FALSE;
        if (m_pMainWnd) m_pMainWnd->SendMessage(WM_COMMAND, ID_FILE_PRINT_DIRECT, 0);
        return FALSE;  // printed: end the program
    }
    default:
        return TRUE;
    }
}

CDocument* CWinApp::OpenDocumentFile(const char* lpszFileName) {
    CDocTemplate* pTemplate = GetFirstDocTemplate();
    return pTemplate ? pTemplate->OpenDocumentFile(lpszFileName) : nullptr;
}

void CWinApp::AddToRecentFileList(const char* lpszPathName) {
    if (m_pRecentFileList) m_pRecentFileList->Add(lpszPathName);
}

void CWinApp::UpdateRecentFileMenu(HMENU hMenu) {
    if (m_pRecentFileList) m_pRecentFileList->UpdateMenu(hMenu);
}

BOOL CWinApp::OnCmdMsg(UINT nID) {
    if (nID >= ID_FILE_MRU_FILE1 && nID <= ID_FILE_MRU_FILE16 && m_pRecentFileList) {
        UINT index = nID - ID_FILE_MRU_FILE1;
        if (index >= m_pRecentFileList->GetSize() || (*m_pRecentFileList)[index].IsEmpty()) return TRUE;
        CString path = (*m_pRecentFileList)[index];
        if (!OpenDocumentFile(path)) m_pRecentFileList->Remove(index);
        return TRUE;
    }
    return CCmdTarget::OnCmdMsg(nID);
}

CWnd* CWinApp::GetActiveFrameForCommand() const { return m_pMainWnd; }

void CWinApp::OnFileNew() {
    if (CDocTemplate* pTemplate = GetFirstDocTemplate()) pTemplate->OpenDocumentFile(nullptr);
}

void CWinApp::OnFileOpen() {
    char path[MAX_PATH] = {};
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
    ofn.lpstrFilter = "All Files (*.*)\0*.*\0";
    ofn.lpstrFile = path;
    ofn.nMaxFile = sizeof path;
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
    if (GetOpenFileNameA(&ofn)) OpenDocumentFile(path);
}

void CWinApp::OnFilePrintSetup() {
    PRINTDLGA pd = {};
    pd.lStructSize = sizeof pd;
    pd.hwndOwner = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
    pd.hDevMode = m_hDevMode;
    pd.hDevNames = m_hDevNames;
    pd.Flags = PD_PRINTSETUP;
    if (PrintDlgA(&pd)) {
        m_hDevMode = pd.hDevMode;
        m_hDevNames = pd.hDevNames;
    }
}

void CWinApp::OnAppExit() {
    if (m_pMainWnd) m_pMainWnd->SendMessage(WM_CLOSE);
}

BOOL CWinApp::SaveAllModified() {
    for (int t = 0; t < m_nTemplates; ++t)
        for (int d = 0; d < m_pTemplates[t]->GetDocumentCount(); ++d)
            if (!m_pTemplates[t]->GetDocument(d)->SaveModified()) return FALSE;
    return TRUE;
}

void CWinApp::CloseAllDocuments() {
    for (int t = 0; t < m_nTemplates; ++t) {
        // A closed document leaves its template's list: walk it from the end.
        for (int d = m_pTemplates[t]->GetDocumentCount(); d > 0; --d)
            if (CDocument* doc = m_pTemplates[t]->GetDocument(d - 1)) doc->OnCloseDocument();
    }
}

void CWinApp::DoWaitCursor(int nCode) {
    if (nCode > 0) {
        if (m_nWaitCursorCount++ == 0) m_hcurWaitRestore = SetCursor(LoadCursor(nullptr, IDC_WAIT));
        else SetCursor(LoadCursor(nullptr, IDC_WAIT));
    } else if (nCode < 0) {
        if (m_nWaitCursorCount > 0 && --m_nWaitCursorCount == 0)
            SetCursor(m_hcurWaitRestore ? m_hcurWaitRestore : LoadCursor(nullptr, IDC_ARROW));
    } else if (m_nWaitCursorCount > 0) {
        SetCursor(LoadCursor(nullptr, IDC_WAIT));
    }
}
