// velmira32_doc.cpp - the document: status postings and serialisation.
#include "velmira32_doc.h"
#include <new>
#include "resource.h"

IMPLEMENT_DYNCREATE(CVelmira32Doc, CDocument)

BEGIN_MESSAGE_MAP(CVelmira32Doc, CDocument)
    ON_COMMAND(ID_CONNECTION_LOGIN, &CVelmira32Doc::OnLogin)
    ON_COMMAND(ID_CONNECTION_RELOGIN, &CVelmira32Doc::OnReLogin)
    ON_COMMAND(ID_CONNECTION_LOGOUT, &CVelmira32Doc::OnLogout)
    ON_COMMAND(ID_CONNECTION_GATELOGIN, &CVelmira32Doc::OnGateLogin)
    ON_COMMAND(ID_COMMAND_ABORT, &CVelmira32Doc::OnAbort)
    ON_COMMAND(ID_COMMAND_PUT, &CVelmira32Doc::OnPut)
    ON_COMMAND(ID_COMMAND_GET, &CVelmira32Doc::OnGet)
    ON_COMMAND(ID_COMMAND_CWD, &CVelmira32Doc::OnCwd)
    ON_COMMAND(ID_COMMAND_MGET, &CVelmira32Doc::OnMGet)
    ON_COMMAND(ID_COMMAND_MPUT, &CVelmira32Doc::OnMPut)
    ON_COMMAND(ID_OPTIONS_ASCII, &CVelmira32Doc::OnAscii)
    ON_COMMAND(ID_OPTIONS_BINARY, &CVelmira32Doc::OnBinary)
    ON_COMMAND(ID_OPTIONS_LOCALUNIQUE, &CVelmira32Doc::OnLocalUnique)
    ON_COMMAND(ID_OPTIONS_STOREUNIQUE, &CVelmira32Doc::OnStoreUnique)
END_MESSAGE_MAP()

BOOL CVelmira32Doc::OnNewDocument() { return CDocument::OnNewDocument() ? TRUE : FALSE; }

void CVelmira32Doc::PostStatus(const char* text) {
    m_strStatus = text;
    UpdateAllViews(nullptr, 0, nullptr);
}

BOOL CVelmira32Doc::SaveModified() {
    if (RefuseWhileBusy()) return FALSE;
    return CDocument::SaveModified();
}

BOOL CVelmira32Doc::CanCloseFrame(CFrameWnd* pFrame) {
    if (RefuseWhileBusy()) return FALSE;
    return CDocument::CanCloseFrame(pFrame);
}

bool CVelmira32Doc::RefuseWhileBusy() {
    if (m_nCallDepth == 0) return false;
    MessageBeep(MB_ICONEXCLAMATION);
    return true;
}

void CVelmira32Doc::Serialize(CArchive& ar) {
    POSITION pos = GetFirstViewPosition();
    if (CEditView* view = dynamic_cast<CEditView*>(GetNextView(pos))) view->SerializeRaw(ar);
}
