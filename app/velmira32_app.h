// velmira32_app.h - the application object of Velmira32.
#pragma once
#include "framework/afx.h"

class CVelmira32App : public CWinApp {
public:
    CVelmira32App() = default;

    BOOL InitInstance() override;
    //  template, main frame, command line, show

protected:
    void OnAppAbout();
    //  the about box, modally
    DECLARE_MESSAGE_MAP()
};
