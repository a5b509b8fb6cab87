// child_frame.h - the frame of one document window.
#pragma once
#include "framework/afx.h"

class CChildFrame : public CMDIChildWnd {
public:
    DECLARE_DYNCREATE(CChildFrame)
    CChildFrame() = default;

    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    //  the base's
};
