#include <cstdio>
// velmira32_app.cpp - start-up of Velmira32 and its about box.
#include "velmira32_app.h"
#include "about_dlg.h"
#include "child_frame.h"
#include "main_frame.h"
#include "resource.h"
#include "velmira32_doc.h"
#include "velmira32_view.h"

BEGIN_MESSAGE_MAP(CVelmira32App, CWinApp)
    ON_COMMAND(ID_APP_ABOUT, &CVelmira32App::OnAppAbout)
END_MESSAGE_MAP()

CVelmira32App theApp;  // the one application object

BOOL CVelmira32App::InitInstance() {
    Enable3dControls();
    LoadStdProfileSettings(4);

    CMultiDocTemplate* docTemplate = new (std::nothrow) CMultiDocTemplate(
        IDR_VELMIRTYPE, RUNTIME_CLASS(CVelmira32Doc), RUNTIME_CLASS(CChildFrame), RUNTIME_CLASS(CVelmira32View));
    if (!docTemplate) return FALSE;
    AddDocTemplate(docTemplate);

    CMainFrame* mainFrame = new (std::nothrow) CMainFrame;
    if (!mainFrame) return FALSE;
    if (!mainFrame->LoadFrame(IDR_MAINFRAME)) {
        delete mainFrame;  // a failed creation leaves the object to its creator
        return FALSE;
    }
    m_pMainWnd = mainFrame;

    CCommandLineInfo cmdInfo;
    ParseCommandLine(cmdInfo);
    if (!ProcessShellCommand(cmdInfo)) return FALSE;

    mainFrame->ShowWindow(m_nCmdShow);
    mainFrame->UpdateWindow();
    return TRUE;
}

void CVelmira32App::OnAppAbout() {
    CAboutDlg aboutDlg;
    aboutDlg.DoModal();
}
