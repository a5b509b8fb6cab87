// edit_view.h - CEditView, a view that is a multi-line edit control.
//
// The Edit commands (Undo, Cut, Copy, Paste, Clear, Select All) work on the
// control. The text is printed page by page in the control's font;
// SerializeRaw writes or reads the whole text without header or length.
#pragma once
#include "archive.h"
#include "view.h"

class CEditView : public CView {
public:
    DECLARE_DYNAMIC(CEditView)
    CEditView() = default;
    ~CEditView() override;

    // override these
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    //  an EDIT window with both scroll bars, multi-line, no wrapping
    void OnDraw(CDC* pDC) override;
    //  the control paints itself; nothing to draw
    void OnPrint(CDC* pDC, CPrintInfo* pInfo) override;
    //  one page of the text lines
    BOOL OnPreparePrinting(CPrintInfo* pInfo) override;
    //  DoPreparePrinting
    void OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo) override;
    //  makes the printing font
    void OnEndPrinting(CDC* pDC, CPrintInfo* pInfo) override;
    //  frees the printing font

    // do not override these
    CWnd& GetEditCtrl() { return *this; }
    //  the edit control (the view itself)
    void SerializeRaw(CArchive& ar);
    //  stores or loads the text as raw bytes

protected:
    void OnEditUndo();
    //  Undo
    void OnEditCut();
    //  Cut
    void OnEditCopy();
    //  Copy
    void OnEditPaste();
    //  Paste
    void OnEditClear();
    //  Clear the selection
    void OnEditSelectAll();
    //  Select All
    DECLARE_MESSAGE_MAP()

private:
    HFONT m_hPrintFont = nullptr;  // font of the page being printed
};
