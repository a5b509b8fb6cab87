// recent_file_list.h - CRecentFileList, the most recently used files kept
// in the program's profile and shown on the File menu in place of the
// "Recent File" item (ids 57616 on).
#pragma once
#include <windows.h>
#include "cstring.h"

class CRecentFileList {
public:
    static constexpr UINT kMaxSize = 16;  // ids 57616 to 57631
    CRecentFileList(UINT nSize, const char* lpszSection, const char* lpszProfile);

    // do not override these
    void ReadList();
    //  loads the entries from the profile
    void WriteList() const;
    //  stores the entries in the profile
    void Add(const char* lpszPathName);
    //  puts a path first, dropping a copy of it and the oldest entry
    void Remove(UINT nIndex);
    //  drops one entry
    UINT GetSize() const { return m_nSize; }
    //  the number of places
    const CString& operator[](UINT nIndex) const { return m_arrNames[nIndex]; }
    //  one entry, empty when unused
    void UpdateMenu(HMENU hMenu) const;
    //  replaces the placeholder or the earlier entries in hMenu by the list

private:
    UINT m_nSize;
    CString m_arrNames[kMaxSize];
    CString m_strSection;
    CString m_strProfile;  // the profile file (an .INI file in the Windows folder)
};
