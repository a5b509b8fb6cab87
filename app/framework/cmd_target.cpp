// cmd_target.cpp - run-time classes, command maps and the wait cursor.
#include "cmd_target.h"
#include <cstring>
#include <new>
#include "win_app.h"

namespace {
constexpr int kMaxClasses = 64;      // registered run-time classes
CRuntimeClass* g_classes[kMaxClasses];
int g_classCount;
}  // namespace

CRuntimeClass CObject::classCObject = {"CObject", nullptr, nullptr};
CRuntimeClass CCmdTarget::classCCmdTarget = {"CCmdTarget", nullptr, &CObject::classCObject};

const AFX_MSGMAP_ENTRY CCmdTarget::messageEntries[] = {{0, nullptr}};
const AFX_MSGMAP CCmdTarget::messageMap = {nullptr, CCmdTarget::messageEntries};

CObject* CRuntimeClass::CreateObject() const {
    return m_pfnCreateObject ? m_pfnCreateObject() : nullptr;
}

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const {
    for (const CRuntimeClass* cls = this; cls; cls = cls->m_pBaseClass)
        if (cls == base) return true;
    return false;
}

void CRuntimeClass::Register(CRuntimeClass* cls) {
    if (g_classCount < kMaxClasses) g_classes[g_classCount++] = cls;
}

const CRuntimeClass* CRuntimeClass::FromName(const char* name) {
    if (!name) return nullptr;
    for (int i = 0; i < g_classCount; ++i)
        if (strcmp(g_classes[i]->m_lpszClassName, name) == 0) return g_classes[i];
    return nullptr;
}

BOOL CCmdTarget::DispatchCommand(UINT nID) {
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pBaseMap)
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->nID != 0; ++e)
            if (e->nID == nID) {
                (this->*(e->pfn))();
                return TRUE;
            }
    return FALSE;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID) { return DispatchCommand(nID); }

void CCmdTarget::BeginWaitCursor() { AfxGetApp()->DoWaitCursor(1); }

void CCmdTarget::EndWaitCursor() { AfxGetApp()->DoWaitCursor(-1); }
