// command_line_info.cpp - the standard command line.
#include "command_line_info.h"
#include <windows.h>

void CCommandLineInfo::ParseParam(const char* pszParam, BOOL bFlag, BOOL) {
    if (bFlag) {
        if (lstrcmpiA(pszParam, "p") == 0) m_nShellCommand = FilePrint;
        else if (lstrcmpiA(pszParam, "dde") == 0 || lstrcmpiA(pszParam, "Automation") == 0 ||
                 lstrcmpiA(pszParam, "Embedding") == 0)
            m_nShellCommand = FileNothing;
        return;
    }
    if (m_strFileName.IsEmpty()) {
        m_strFileName = pszParam;
        if (m_nShellCommand == FileNew) m_nShellCommand = FileOpen;
    }
}
