// doc_template.cpp - making documents, frames and views from a template.
#include "doc_template.h"
#include <new>
#include "document.h"
#include "mdi_frame_wnd.h"
#include "view.h"
#include "win_app.h"

IMPLEMENT_DYNAMIC(CDocTemplate, CCmdTarget)
IMPLEMENT_DYNAMIC(CMultiDocTemplate, CDocTemplate)

CDocTemplate::CDocTemplate(UINT nIDResource, const CRuntimeClass* pDocClass, const CRuntimeClass* pFrameClass,
                           const CRuntimeClass* pViewClass)
    : m_nIDResource(nIDResource), m_pDocClass(pDocClass), m_pFrameClass(pFrameClass), m_pViewClass(pViewClass) {
    m_strDocStrings.LoadString(nIDResource);
    m_hMenuShared = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(nIDResource));
}

CDocTemplate::~CDocTemplate() {
    if (m_hMenuShared) DestroyMenu(m_hMenuShared);
}

BOOL CDocTemplate::GetDocString(CString& rString, DocStringIndex index) const {
    CString rest = m_strDocStrings;
    for (int i = 0; i < index; ++i) {
        int newline = rest.Find('\n');
        if (newline < 0) {
            rString.Empty();
            return FALSE;
        }
        rest = rest.Mid(newline + 1);
    }
    int newline = rest.Find('\n');
    rString = newline < 0 ? rest : rest.Left(newline);
    return !rString.IsEmpty();
}

void CDocTemplate::AddDocument(CDocument* pDoc) {
    if (m_nDocs < kMaxDocs) m_pDocs[m_nDocs++] = pDoc;
    pDoc->m_pDocTemplate = this;
}

void CDocTemplate::RemoveDocument(CDocument* pDoc) {
    for (int i = 0; i < m_nDocs; ++i)
        if (m_pDocs[i] == pDoc) {
            for (int j = i; j + 1 < m_nDocs; ++j) m_pDocs[j] = m_pDocs[j + 1];
            --m_nDocs;
            return;
        }
}

CDocument* CDocTemplate::CreateNewDocument() {
    if (m_nDocs >= kMaxDocs) return nullptr;
    CObject* object = m_pDocClass->CreateObject();
    CDocument* doc = dynamic_cast<CDocument*>(object);
    if (!doc) {
        delete object;
        return nullptr;
    }
    AddDocument(doc);
    return doc;
}

CFrameWnd* CDocTemplate::CreateNewFrame(CDocument* pDoc, CFrameWnd*) {
    CCreateContext context;
    context.m_pCurrentDoc = pDoc;
    context.m_pNewViewClass = m_pViewClass;
    context.m_pNewDocTemplate = this;
    CObject* object = m_pFrameClass->CreateObject();
    CMDIChildWnd* frame = dynamic_cast<CMDIChildWnd*>(object);
    if (!frame) {
        delete object;
        return nullptr;
    }
    frame->m_hMenuShared = m_hMenuShared;
    // A frame whose creation failed is left to its creator.
    if (!frame->LoadFrame(m_nIDResource, WS_CHILD | WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr, &context)) {
        delete frame;
        return nullptr;
    }
    return frame;
}

void CDocTemplate::InitialUpdateFrame(CFrameWnd* pFrame, CDocument* pDoc, BOOL bMakeVisible) {
    if (CView* view = pFrame->GetActiveView()) view->OnInitialUpdate();
    pDoc->UpdateFrameCounts();
    if (!bMakeVisible) return;
    pFrame->ShowWindow(SW_SHOW);
    if (CMDIFrameWnd* main = dynamic_cast<CMDIFrameWnd*>(AfxGetMainWnd())) {
        main->MDIActivate(pFrame->m_hWnd);
        main->UpdateFrameMenu();
        main->OnUpdateFrameTitle(TRUE);
    }
}

void CMultiDocTemplate::SetDefaultTitle(CDocument* pDocument) {
    CString name;
    if (!GetDocString(name, docName)) name = "Untitled";
    char number[16];
    wsprintfA(number, "%u", ++m_nUntitledCount);
    pDocument->SetTitle(name + number);
}

CDocument* CMultiDocTemplate::OpenDocumentFile(const char* lpszPathName, BOOL bMakeVisible) {
    CDocument* doc = CreateNewDocument();
    if (!doc) return nullptr;
    CFrameWnd* frame = CreateNewFrame(doc, nullptr);
    if (!frame) {
        RemoveDocument(doc);
        delete doc;
        return nullptr;
    }
    if (!lpszPathName) {
        SetDefaultTitle(doc);
        if (!doc->OnNewDocument()) {
            frame->DestroyWindow();  // takes the view and with it the document
            return nullptr;
        }
    } else {
        AfxGetApp()->DoWaitCursor(1);
        BOOL loaded = doc->OnOpenDocument(lpszPathName);
        AfxGetApp()->DoWaitCursor(-1);
        if (!loaded) {
            frame->DestroyWindow();
            return nullptr;
        }
        doc->SetPathName(lpszPathName);
    }
    InitialUpdateFrame(frame, doc, bMakeVisible);
    return doc;
}
