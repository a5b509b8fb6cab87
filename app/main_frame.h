// main_frame.h - the MDI main window with its toolbar and status bar.
#pragma once
#include "framework/afx.h"

class CMainFrame : public CMDIFrameWnd {
public:
    DECLARE_DYNAMIC(CMainFrame)
    CMainFrame() = default;

    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    //  the base's

protected:
    int OnCreate(LPCREATESTRUCTA lpCreateStruct) override;
    //  frame, toolbar 128, status bar with four panes, docking

    CStatusBar m_wndStatusBar;
    CToolBar m_wndToolBar;
};
