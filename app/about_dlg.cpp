// about_dlg.cpp - the about box: icon, version line and "OK".
#include "about_dlg.h"
#include "resource.h"

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}
