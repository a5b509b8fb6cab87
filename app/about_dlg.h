// about_dlg.h - the about box (dialog 100).
#pragma once
#include "framework/afx.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();
};
