// child_frame.cpp - the document window frame adds nothing of its own.
#include "child_frame.h"
#include <new>

IMPLEMENT_DYNCREATE(CChildFrame, CMDIChildWnd)

BOOL CChildFrame::PreCreateWindow(CREATESTRUCTA& cs) { return CMDIChildWnd::PreCreateWindow(cs); }
