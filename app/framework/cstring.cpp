// cstring.cpp - CString helpers that need more than one line.
#include "cstring.h"
#include <windows.h>

int CString::Find(char c, int start) const {
    if (start < 0) start = 0;
    size_t at = m_text.find(c, static_cast<size_t>(start));
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

CString CString::Left(int count) const {
    if (count < 0) count = 0;
    return CString(m_text.substr(0, static_cast<size_t>(count)).c_str());
}

CString CString::Mid(int first) const {
    if (first < 0) first = 0;
    if (static_cast<size_t>(first) >= m_text.size()) return CString();
    return CString(m_text.substr(static_cast<size_t>(first)).c_str());
}

bool CString::LoadString(unsigned id) {
    // A string resource holds at most 4097 characters; read it whole.
    char buffer[4100];
    int length = ::LoadStringA(GetModuleHandleA(nullptr), id, buffer, sizeof buffer);
    if (length <= 0) return false;
    m_text.assign(buffer, static_cast<size_t>(length));
    return true;
}
