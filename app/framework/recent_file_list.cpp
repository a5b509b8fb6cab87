// recent_file_list.cpp - reading, writing and showing the recent files.
#include "recent_file_list.h"
#include "afxres.h"

CRecentFileList::CRecentFileList(UINT nSize, const char* lpszSection, const char* lpszProfile)
    : m_nSize(nSize > kMaxSize ? kMaxSize : nSize), m_strSection(lpszSection), m_strProfile(lpszProfile) {}

void CRecentFileList::ReadList() {
    for (UINT i = 0; i < m_nSize; ++i) {
        char key[16], value[MAX_PATH] = {};
        wsprintfA(key, "File%u", i + 1);
        GetPrivateProfileStringA(m_strSection, key, "", value, sizeof value, m_strProfile);
        m_arrNames[i] = value;
    }
}

void CRecentFileList::WriteList() const {
    for (UINT i = 0; i < m_nSize; ++i) {
        char key[16];
        wsprintfA(key, "File%u", i + 1);
        WritePrivateProfileStringA(m_strSection, key, m_arrNames[i].IsEmpty() ? nullptr : static_cast<const char*>(m_arrNames[i]),
                                   m_strProfile);
    }
}

void CRecentFileList::Add(const char* lpszPathName) {
    if (m_nSize == 0 || !lpszPathName || !*lpszPathName) return;
    UINT at = m_nSize - 1;
    for (UINT i = 0; i < m_nSize; ++i)
        if (lstrcmpiA(m_arrNames[i], lpszPathName) == 0) {
            at = i;
            break;
        }
    for (UINT i = at; i > 0; --i) m_arrNames[i] = m_arrNames[i - 1];
    m_arrNames[0] = lpszPathName;
}

void CRecentFileList::Remove(UINT nIndex) {
    if (nIndex >= m_nSize) return;
    for (UINT i = nIndex; i + 1 < m_nSize; ++i) m_arrNames[i] = m_arrNames[i + 1];
    m_arrNames[m_nSize - 1].Empty();
}

void CRecentFileList::UpdateMenu(HMENU hMenu) const {
    // Find where the list sits: the placeholder or the first entry.
    int count = GetMenuItemCount(hMenu), at = -1;
    for (int i = 0; i < count && at < 0; ++i) {
        UINT id = GetMenuItemID(hMenu, i);
        if (id >= ID_FILE_MRU_FILE1 && id <= ID_FILE_MRU_FILE16) at = i;
    }
    if (at < 0) return;
    for (UINT id = ID_FILE_MRU_FILE1; id <= ID_FILE_MRU_FILE16; ++id) DeleteMenu(hMenu, id, MF_BYCOMMAND);
    UINT shown = 0;
    for (UINT i = 0; i < m_nSize; ++i) {
        if (m_arrNames[i].IsEmpty()) continue;
        // "&1 name": only the file name part, for a short menu.
        const char* name = m_arrNames[i];
        for (const char* p = name; *p; ++p)
            if (*p == '\\' || *p == '/' || *p == ':') name = p + 1;
        char text[MAX_PATH + 8];
        wsprintfA(text, "&%u %s", shown + 1, name);
        InsertMenuA(hMenu, static_cast<UINT>(at) + shown, MF_BYPOSITION | MF_STRING, ID_FILE_MRU_FILE1 + i, text);
        ++shown;
    }
    if (shown == 0)
        InsertMenuA(hMenu, static_cast<UINT>(at), MF_BYPOSITION | MF_STRING | MF_GRAYED, ID_FILE_MRU_FILE1, "Recent File");
}
