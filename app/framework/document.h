// document.h - CDocument, the data that one or more views show.
#pragma once
#include "cmd_target.h"
#include "cstring.h"
#include "archive.h"

class CView;
class CFrameWnd;
class CDocTemplate;
typedef INT_PTR POSITION;  // 0 ends an iteration; otherwise index + 1

class CDocument : public CCmdTarget {
public:
    DECLARE_DYNAMIC(CDocument)
    CDocument() = default;
    ~CDocument() override;

    // override these
    virtual BOOL OnNewDocument();
    //  prepares a new, empty document; the base clears the path name
    virtual BOOL OnOpenDocument(const char* lpszPathName);
    //  loads the file through Serialize
    virtual BOOL OnSaveDocument(const char* lpszPathName);
    //  saves to the file through Serialize
    virtual void Serialize(CArchive& ar);
    //  writes or reads the document's data; the base does nothing
    virtual void OnCloseDocument();
    //  closes every window of the document, then deletes it
    virtual void OnChangedViewList();
    //  a view came or went; the base closes the document after its last view
    virtual BOOL SaveModified();
    //  may ask to save changes; FALSE cancels the close. The base saves nothing
    //  unless the document is marked modified.
    virtual BOOL CanCloseFrame(CFrameWnd* pFrame);
    //  may pFrame close? The base asks SaveModified when it is the document's
    //  last window, else allows it.
    BOOL OnCmdMsg(UINT nID) override;
    //  the document's commands, then its template's

    // do not override these
    void UpdateAllViews(CView* pSender, LPARAM lHint = 0, CObject* pHint = nullptr);
    //  calls OnUpdate of every view except pSender
    POSITION GetFirstViewPosition() const { return m_nViews ? 1 : 0; }
    //  start of the view iteration
    CView* GetNextView(POSITION& rPosition) const;
    //  the view at rPosition; moves rPosition on (0 after the last)
    BOOL AddView(CView* pView);
    //  attaches a view (done by the view's creation); FALSE when it has too many
    void RemoveView(CView* pView);
    //  detaches a view (done when the view goes)
    const CString& GetTitle() const { return m_strTitle; }
    //  the title shown in captions
    void SetTitle(const char* lpszTitle);
    //  changes the title and the captions of the document's frames
    const CString& GetPathName() const { return m_strPathName; }
    //  the file the document was last loaded from or saved to
    void SetPathName(const char* lpszPathName, BOOL bAddToMRU = TRUE);
    //  sets the path, the title from its file name and the recent-file entry
    CDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }
    //  the template that made the document
    void SetModifiedFlag(BOOL bModified = TRUE) { m_bModified = bModified; }
    //  marks the document as changed or unchanged
    BOOL IsModified() const { return m_bModified; }
    //  true when marked changed
    void UpdateFrameCounts();
    //  numbers the document's frames (":1", ":2" in captions) and retitles them
    BOOL DoSave(const char* lpszPathName, BOOL bReplace = TRUE);
    //  saves; a null path asks for one first (Save As)

    CDocTemplate* m_pDocTemplate = nullptr;  // set by the template
    BOOL m_bAutoDelete = TRUE;               // delete the document after its last view

protected:
    void OnFileClose();
    //  Close: SaveModified, then OnCloseDocument
    void OnFileSave();
    //  Save: to the known path, or as Save As
    void OnFileSaveAs();
    //  Save As: asks for a path
    DECLARE_MESSAGE_MAP()

private:
    static constexpr int kMaxViews = 32;  // windows one document can have open
    CView* m_pViews[kMaxViews] = {};
    int m_nViews = 0;
    CString m_strTitle;
    CString m_strPathName;
    BOOL m_bModified = FALSE;
    friend class CView;
};
