// app_main.cpp - the program entry: runs the one application object.
#include <windows.h>
#include <commctrl.h>
#include "afxres.h"
#include "win_app.h"
#include "wnd.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int nCmdShow) {
    CWinApp* app = AfxGetApp();
    if (!app) return 1;
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    app->m_hInstance = hInstance;
    app->m_nCmdShow = nCmdShow;
    if (app->m_strAppName.IsEmpty()) app->m_strAppName.LoadString(AFX_IDS_APP_TITLE);
    if (!app->InitInstance()) {
        if (app->m_pMainWnd) app->m_pMainWnd->DestroyWindow();
        return app->ExitInstance();
    }
    return app->Run();
}
