// doc_template.h - CDocTemplate and CMultiDocTemplate: what kind of
// document, frame and view belong together, and the documents made so.
//
// The template's string resource holds seven parts separated by "\n":
// window title, document name, new-file name, filter name, filter
// extension, file type id, file type name.
#pragma once
#include "cmd_target.h"
#include "cstring.h"

class CDocument;
class CFrameWnd;

class CDocTemplate : public CCmdTarget {
public:
    DECLARE_DYNAMIC(CDocTemplate)
    enum DocStringIndex { windowTitle, docName, fileNewName, filterName, filterExt, regFileTypeId, regFileTypeName };
    CDocTemplate(UINT nIDResource, const CRuntimeClass* pDocClass, const CRuntimeClass* pFrameClass,
                 const CRuntimeClass* pViewClass);
    ~CDocTemplate() override;

    // override these
    virtual CDocument* OpenDocumentFile(const char* lpszPathName, BOOL bMakeVisible = TRUE) = 0;
    //  a new document (path null) or one loaded from a file, in a new frame
    virtual void SetDefaultTitle(CDocument* pDocument) = 0;
    //  the title of a new document

    // do not override these
    BOOL GetDocString(CString& rString, DocStringIndex index) const;
    //  one part of the template string; FALSE when it is empty
    CDocument* CreateNewDocument();
    //  a new document object of the template's class, added to the template
    CFrameWnd* CreateNewFrame(CDocument* pDoc, CFrameWnd* pOther);
    //  a new frame with a view on pDoc (pOther: the frame it copies, may be null)
    void InitialUpdateFrame(CFrameWnd* pFrame, CDocument* pDoc, BOOL bMakeVisible = TRUE);
    //  first update of the frame's view, then shows and activates the frame
    void AddDocument(CDocument* pDoc);
    //  counts a document as the template's
    void RemoveDocument(CDocument* pDoc);
    //  forgets a document
    int GetDocumentCount() const { return m_nDocs; }
    //  number of open documents
    CDocument* GetDocument(int index) const { return (index >= 0 && index < m_nDocs) ? m_pDocs[index] : nullptr; }
    //  one of the open documents
    HMENU m_hMenuShared = nullptr;  // menu of the template's resource, shared by its frames

protected:
    UINT m_nIDResource;
    const CRuntimeClass* m_pDocClass;
    const CRuntimeClass* m_pFrameClass;
    const CRuntimeClass* m_pViewClass;
    CString m_strDocStrings;
    static constexpr int kMaxDocs = 64;  // open documents per template
    CDocument* m_pDocs[kMaxDocs] = {};
    int m_nDocs = 0;
};

class CMultiDocTemplate : public CDocTemplate {
public:
    DECLARE_DYNAMIC(CMultiDocTemplate)
    CMultiDocTemplate(UINT nIDResource, const CRuntimeClass* pDocClass, const CRuntimeClass* pFrameClass,
                      const CRuntimeClass* pViewClass)
        : CDocTemplate(nIDResource, pDocClass, pFrameClass, pViewClass) {}

    // override these
    CDocument* OpenDocumentFile(const char* lpszPathName, BOOL bMakeVisible = TRUE) override;
    //  every call makes a new document in a new child frame
    void SetDefaultTitle(CDocument* pDocument) override;
    //  the document name followed by a running number: "Name1", "Name2", ...

private:
    UINT m_nUntitledCount = 0;  // numbers given to new documents so far
};
