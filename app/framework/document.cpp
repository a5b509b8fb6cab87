// document.cpp - documents: views, titles, saving and loading, closing.
#include "document.h"
#include <commdlg.h>
#include "afxres.h"
#include "doc_template.h"
#include "frame_wnd.h"
#include "mdi_frame_wnd.h"
#include "view.h"
#include "win_app.h"

IMPLEMENT_DYNAMIC(CDocument, CCmdTarget)

BEGIN_MESSAGE_MAP(CDocument, CCmdTarget)
    ON_COMMAND(ID_FILE_CLOSE, &CDocument::OnFileClose)
    ON_COMMAND(ID_FILE_SAVE, &CDocument::OnFileSave)
    ON_COMMAND(ID_FILE_SAVE_AS, &CDocument::OnFileSaveAs)
END_MESSAGE_MAP()

CDocument::~CDocument() {
    // Views still attached (only when deleted by hand) must not point here.
    for (int i = 0; i < m_nViews; ++i) m_pViews[i]->m_pDocument = nullptr;
    if (m_pDocTemplate) m_pDocTemplate->RemoveDocument(this);
}

BOOL CDocument::OnCmdMsg(UINT nID) {
    if (DispatchCommand(nID)) return TRUE;
    return m_pDocTemplate ? m_pDocTemplate->OnCmdMsg(nID) : FALSE;
}

BOOL CDocument::OnNewDocument() {
    m_strPathName.Empty();
    m_bModified = FALSE;
    return TRUE;
}

void CDocument::Serialize(CArchive&) {}

BOOL CDocument::OnOpenDocument(const char* lpszPathName) {
    CFile file;
    if (!file.Open(lpszPathName, CFile::modeRead)) return FALSE;
    CArchive ar(&file, CArchive::load);
    Serialize(ar);
    m_bModified = FALSE;
    return TRUE;
}

BOOL CDocument::OnSaveDocument(const char* lpszPathName) {
    CFile file;
    if (!file.Open(lpszPathName, CFile::modeCreate | CFile::modeWrite)) return FALSE;
    CArchive ar(&file, CArchive::store);
    Serialize(ar);
    if (ar.Failed()) return FALSE;
    m_bModified = FALSE;
    return TRUE;
}

BOOL CDocument::SaveModified() {
    if (!m_bModified) return TRUE;
    CString prompt = "Save changes to " + m_strTitle + "?";
    switch (MessageBoxA(AfxGetMainWnd() ? AfxGetMainWnd()->m_hWnd : nullptr, prompt, AfxGetApp()->m_strAppName,
                        MB_YESNOCANCEL | MB_ICONEXCLAMATION)) {
    case IDCANCEL: return FALSE;
    case IDYES: return DoSave(m_strPathName.IsEmpty() ? nullptr : static_cast<const char*>(m_strPathName));
    default: return TRUE;
    }
}

BOOL CDocument::DoSave(const char* lpszPathName, BOOL bReplace) {
    char path[MAX_PATH] = {};
    if (!lpszPathName) {
        lstrcpynA(path, m_strTitle, sizeof path);
        OPENFILENAMEA ofn = {};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = AfxGetMainWnd() ? AfxGetMainWnd()->m_hWnd : nullptr;
        ofn.lpstrFilter = "All Files (*.*)\0*.*\0";
        ofn.lpstrFile = path;
        ofn.nMaxFile = sizeof path;
        ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
        if (!GetSaveFileNameA(&ofn)) return FALSE;
        lpszPathName = path;
    }
    AfxGetApp()->DoWaitCursor(1);
    BOOL saved = OnSaveDocument(lpszPathName);
    AfxGetApp()->DoWaitCursor(-1);
    if (!saved) {
        CString text = CString("Cannot save ") + lpszPathName + ".";
        MessageBoxA(AfxGetMainWnd() ? AfxGetMainWnd()->m_hWnd : nullptr, text, AfxGetApp()->m_strAppName,
                    MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }
    if (bReplace) SetPathName(lpszPathName);
    return TRUE;
}

BOOL CDocument::CanCloseFrame(CFrameWnd* pFrame) {
    POSITION pos = GetFirstViewPosition();
    while (pos) {
        CView* view = GetNextView(pos);
        if (view->GetParentFrame() != pFrame) return TRUE;  // another window stays
    }
    return SaveModified();
}

void CDocument::OnFileClose() {
    if (SaveModified()) OnCloseDocument();
}

void CDocument::OnFileSave() { DoSave(m_strPathName.IsEmpty() ? nullptr : static_cast<const char*>(m_strPathName)); }
void CDocument::OnFileSaveAs() { DoSave(nullptr); }

void CDocument::OnCloseDocument() {
    // Destroying the frames takes the views; keep the document alive until
    // the last one has gone, then delete it here, once.
    BOOL autoDelete = m_bAutoDelete;
    m_bAutoDelete = FALSE;
    while (m_nViews > 0) {
        CFrameWnd* frame = m_pViews[0]->GetParentFrame();
        if (frame) {
            frame->DestroyWindow();
        } else {
            RemoveView(m_pViews[0]);
        }
    }
    m_bAutoDelete = autoDelete;
    if (m_bAutoDelete) delete this;
}

void CDocument::OnChangedViewList() {
    if (m_nViews == 0 && m_bAutoDelete) {
        OnCloseDocument();
        return;
    }
    UpdateFrameCounts();
}

BOOL CDocument::AddView(CView* pView) {
    if (m_nViews >= kMaxViews) return FALSE;
    m_pViews[m_nViews++] = pView;
    pView->m_pDocument = this;
    return TRUE;
}

void CDocument::RemoveView(CView* pView) {
    for (int i = 0; i < m_nViews; ++i)
        if (m_pViews[i] == pView) {
            for (int j = i; j + 1 < m_nViews; ++j) m_pViews[j] = m_pViews[j + 1];
            --m_nViews;
            pView->m_pDocument = nullptr;
            OnChangedViewList();
            return;
        }
}

CView* CDocument::GetNextView(POSITION& rPosition) const {
    if (rPosition <= 0 || rPosition > m_nViews) {
        rPosition = 0;
        return nullptr;
    }
    CView* view = m_pViews[rPosition - 1];
    rPosition = rPosition < m_nViews ? rPosition + 1 : 0;
    return view;
}

void CDocument::UpdateAllViews(CView* pSender, LPARAM lHint, CObject* pHint) {
    for (int i = 0; i < m_nViews; ++i)
        if (m_pViews[i] != pSender) m_pViews[i]->OnUpdate(pSender, lHint, pHint);
}

void CDocument::SetTitle(const char* lpszTitle) {
    m_strTitle = lpszTitle;
    UpdateFrameCounts();
}

void CDocument::SetPathName(const char* lpszPathName, BOOL bAddToMRU) {
    char full[MAX_PATH];
    char* filePart = nullptr;
    if (!GetFullPathNameA(lpszPathName, sizeof full, full, &filePart)) lstrcpynA(full, lpszPathName, sizeof full);
    m_strPathName = full;
    SetTitle(filePart ? filePart : full);
    if (bAddToMRU) AfxGetApp()->AddToRecentFileList(m_strPathName);
}

void CDocument::UpdateFrameCounts() {
    CFrameWnd* frames[kMaxViews];
    int count = 0;
    for (int i = 0; i < m_nViews; ++i) {
        CFrameWnd* frame = m_pViews[i]->GetParentFrame();
        bool known = false;
        for (int j = 0; j < count; ++j) known = known || frames[j] == frame;
        if (frame && !known) frames[count++] = frame;
    }
    for (int i = 0; i < count; ++i) {
        if (CMDIChildWnd* child = dynamic_cast<CMDIChildWnd*>(frames[i])) child->m_nWindow = count > 1 ? i + 1 : 0;
        if (frames[i]->m_hWnd) frames[i]->OnUpdateFrameTitle(TRUE);
    }
}
