// archive.h - CFile, a file handle, and CArchive, the stream a document
// is saved to and loaded from.
#pragma once
#include <windows.h>
#include "cstring.h"

class CFile {
public:
    enum OpenFlags { modeRead = 0, modeWrite = 1, modeCreate = 0x1000 };
    CFile() = default;
    ~CFile() { Close(); }
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // do not override these
    BOOL Open(const char* lpszFileName, UINT nOpenFlags);
    //  opens (modeRead) or creates and truncates (modeCreate | modeWrite) a file
    UINT Read(void* lpBuf, UINT nCount);
    //  reads up to nCount bytes; 0 at the end or on failure
    BOOL Write(const void* lpBuf, UINT nCount);
    //  writes all nCount bytes; FALSE on failure
    ULONGLONG GetLength() const;
    //  the file's size in bytes
    void Close();
    //  closes the file if it is open

private:
    HANDLE m_hFile = INVALID_HANDLE_VALUE;
};

class CArchive {
public:
    enum Mode { store = 0, load = 1 };
    CArchive(CFile* pFile, UINT nMode) : m_pFile(pFile), m_nMode(nMode) {}

    // do not override these
    BOOL IsStoring() const { return m_nMode == store; }
    //  true when saving, false when loading
    BOOL IsLoading() const { return m_nMode == load; }
    //  true when loading
    CFile* GetFile() const { return m_pFile; }
    //  the file underneath
    BOOL Write(const void* lpBuf, UINT nCount);
    //  writes raw bytes; remembers a failure
    UINT Read(void* lpBuf, UINT nMax);
    //  reads up to nMax raw bytes
    BOOL Failed() const { return m_bFailed; }
    //  true when a write failed

private:
    CFile* m_pFile;
    UINT m_nMode;
    BOOL m_bFailed = FALSE;
};
