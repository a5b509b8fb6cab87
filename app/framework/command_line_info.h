// command_line_info.h - CCommandLineInfo, what the program's command line asks for.
#pragma once
#include "cstring.h"

class CCommandLineInfo {
public:
    enum { FileNew, FileOpen, FilePrint, FileNothing };
    virtual ~CCommandLineInfo() = default;

    int m_nShellCommand = FileNew;  // what ProcessShellCommand does
    CString m_strFileName;          // the file of FileOpen and FilePrint

    // override these
    virtual void ParseParam(const char* pszParam, BOOL bFlag, BOOL bLast);
    //  one argument; bFlag when it began with "/" or "-" (which is cut off).
    //  The base: a file name opens it, "/p" with a file prints it,
    //  "/dde" and "/Automation" open nothing.
};
