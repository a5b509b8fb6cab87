// cstring.h - CString, the framework's 8-bit text value.
#pragma once
#include <windows.h>
#include <string>

class CString {
public:
    CString() = default;
    CString(const char* text) : m_text(text ? text : "") {}
    CString(const char* text, int length) : m_text(text ? text : "", text ? length : 0) {}

    // do not override these
    operator const char*() const { return m_text.c_str(); }
    //  the text, NUL-terminated, valid until the next change
    int GetLength() const { return static_cast<int>(m_text.size()); }
    //  number of characters
    bool IsEmpty() const { return m_text.empty(); }
    //  true when the text has no characters
    void Empty() { m_text.clear(); }
    //  makes the text empty
    CString& operator+=(const CString& more) { m_text += more.m_text; return *this; }
    //  appends another text
    CString& operator+=(const char* more) { if (more) m_text += more; return *this; }
    //  appends a NUL-terminated text (null appends nothing)
    void Append(const char* text, int length) { m_text.append(text, static_cast<size_t>(length)); }
    //  appends exactly length characters
    int Find(char c, int start = 0) const;
    //  index of the first c at or after start, or -1
    CString Left(int count) const;
    //  the first count characters
    CString Mid(int first) const;
    //  the characters from first on
    bool LoadString(unsigned id);
    //  replaces the text by string resource id of the program; false when absent
    friend CString operator+(const CString& a, const CString& b) { CString r(a); r += b; return r; }
    friend CString operator+(const CString& a, const char* b) { CString r(a); r += b; return r; }
    friend CString operator+(const char* a, const CString& b) { CString r(a); r += b; return r; }
    friend bool operator==(const CString& a, const CString& b) { return a.m_text == b.m_text; }
    friend bool operator==(const CString& a, const char* b) { return a.m_text == (b ? b : ""); }

private:
    std::string m_text;  // never holds a NUL byte read back through operator const char*
};
