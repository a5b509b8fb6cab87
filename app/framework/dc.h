// dc.h - CDC, a device context to draw on, and CPrintInfo, the state of
// one printing or preview run.
#pragma once
#include <windows.h>

class CDC {
public:
    HDC m_hDC = nullptr;        // the device context, owned by whoever made it
    BOOL m_bPrinting = FALSE;   // true on a printer or preview page

    // do not override these
    BOOL IsPrinting() const { return m_bPrinting; }
    //  true when drawing a printed or previewed page
};

struct CPrintInfo {
    BOOL m_bDirect = FALSE;         // print at once on the default printer, no dialog
    BOOL m_bPreview = FALSE;        // drawing for print preview
    BOOL m_bContinuePrinting = TRUE;// cleared by the view after its last page
    UINT m_nCurPage = 1;            // page being drawn, from 1
    UINT m_nMaxPage = 0xFFFF;       // last page, when the view knows it
    RECT m_rectDraw = {};           // printable area of the page, in logical units
    HDC m_hPrinterDC = nullptr;     // printer device context from the print dialog
};
