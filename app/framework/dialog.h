// dialog.h - CDialog, a modal dialog from a template resource, with data
// exchange between its controls and the fields of the derived class.
#pragma once
#include "wnd.h"

class CDataExchange;

class CDialog : public CWnd {
public:
    DECLARE_DYNAMIC(CDialog)
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

    // override these
    virtual BOOL OnInitDialog();
    //  the controls exist; the base fills them from the fields (UpdateData(FALSE))
    virtual void DoDataExchange(CDataExchange* pDX);
    //  exchanges each field with its control (DDX_ calls); the base has none
    virtual void OnOK();
    //  "OK": the base reads the controls and closes with IDOK
    virtual void OnCancel();
    //  "Cancel" or Escape: the base closes with IDCANCEL
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    //  other buttons: through the command map; unhandled ones do nothing

    // do not override these
    INT_PTR DoModal();
    //  shows the dialog and returns IDOK, IDCANCEL or -1 when it cannot be shown
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    //  TRUE: controls to fields; FALSE: fields to controls
    void EndDialog(int nResult);
    //  closes the dialog; DoModal returns nResult
    UINT GetTemplateId() const { return m_nIDTemplate; }
    //  the dialog resource

protected:
    static INT_PTR CALLBACK StaticDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    //  the procedure of every framework dialog
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    //  dialogs have no default procedure of ours: FALSE (not handled)

private:
    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
    BOOL m_bInDefault = FALSE;  // WindowProc fell through to the default
};

class CDataExchange {
public:
    CDataExchange(CDialog* pDlgWnd, BOOL bSaveAndValidate) : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}
    BOOL m_bSaveAndValidate;  // TRUE: controls to fields
    CDialog* m_pDlgWnd;       // the dialog whose controls are exchanged
};

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
//  an edit control's whole text and a text field
void DDX_Check(CDataExchange* pDX, int nIDC, BOOL& value);
//  a check box's state (1 ticked, 0 not) and a boolean field
