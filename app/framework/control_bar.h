// control_bar.h - CControlBar, the common part of the toolbar and the
// status bar: a comctl32 child window kept at one edge of its frame.
#pragma once
#include "wnd.h"

// Bar styles (the low 16 bits of a control bar's creation style).
#define CBRS_ALIGN_LEFT     0x1000L
#define CBRS_ALIGN_TOP      0x2000L
#define CBRS_ALIGN_RIGHT    0x4000L
#define CBRS_ALIGN_BOTTOM   0x8000L
#define CBRS_ALIGN_ANY      0xF000L
#define CBRS_TOOLTIPS       0x0010L
#define CBRS_FLYBY          0x0020L
#define CBRS_SIZE_DYNAMIC   0x0040L
#define CBRS_TOP            CBRS_ALIGN_TOP
#define CBRS_BOTTOM         CBRS_ALIGN_BOTTOM

class CFrameWnd;

class CControlBar : public CWnd {
public:
    DECLARE_DYNAMIC(CControlBar)

    // override these
    virtual int CalcFixedHeight();
    //  height the bar takes at its edge, in pixels; the base measures the window

    // do not override these
    DWORD GetBarStyle() const { return m_dwStyle; }
    //  the CBRS_ style
    void SetBarStyle(DWORD dwStyle);
    //  changes the CBRS_ style (tooltips, fly-by prompts, dynamic size)
    void EnableDocking(DWORD dwDockStyle) { m_dwDockStyle = dwDockStyle; }
    //  the edges the bar may be docked at (CBRS_ALIGN_)
    DWORD GetDockingStyle() const { return m_dwDockStyle; }
    //  the edges allowed by EnableDocking
    BOOL IsBarAtBottom() const { return (m_dwStyle & CBRS_ALIGN_BOTTOM) != 0; }
    //  true for a bar at the bottom edge

protected:
    BOOL CreateBar(const char* lpszClass, DWORD dwControlStyle, CWnd* pParentWnd, DWORD dwStyle, UINT nID);
    //  creates the common control and registers the bar with its frame
    DWORD m_dwStyle = 0;       // CBRS_ bits
    DWORD m_dwDockStyle = 0;   // CBRS_ALIGN_ bits allowed for docking
};
