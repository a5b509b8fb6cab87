// archive.cpp - files and archives over KERNEL32 file handles.
#include "archive.h"

BOOL CFile::Open(const char* lpszFileName, UINT nOpenFlags) {
    Close();
    bool write = (nOpenFlags & modeWrite) != 0;
    m_hFile = CreateFileA(lpszFileName, write ? GENERIC_WRITE : GENERIC_READ, write ? 0 : FILE_SHARE_READ,
                          nullptr, (nOpenFlags & modeCreate) ? CREATE_ALWAYS : OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    return m_hFile != INVALID_HANDLE_VALUE;
}

UINT CFile::Read(void* lpBuf, UINT nCount) {
    DWORD got = 0;
    if (m_hFile == INVALID_HANDLE_VALUE || !ReadFile(m_hFile, lpBuf, nCount, &got, nullptr)) return 0;
    return got;
}

BOOL CFile::Write(const void* lpBuf, UINT nCount) {
    DWORD put = 0;
    if (m_hFile == INVALID_HANDLE_VALUE) return FALSE;
    return WriteFile(m_hFile, lpBuf, nCount, &put, nullptr) && put == nCount;
}

ULONGLONG CFile::GetLength() const {
    LARGE_INTEGER size = {};
    if (m_hFile == INVALID_HANDLE_VALUE || !GetFileSizeEx(m_hFile, &size)) return 0;
    return static_cast<ULONGLONG>(size.QuadPart);
}

void CFile::Close() {
    if (m_hFile != INVALID_HANDLE_VALUE) CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
}

BOOL CArchive::Write(const void* lpBuf, UINT nCount) {
    if (!m_pFile->Write(lpBuf, nCount)) m_bFailed = TRUE;
    return !m_bFailed;
}

UINT CArchive::Read(void* lpBuf, UINT nMax) { return m_pFile->Read(lpBuf, nMax); }
