// CCommandLineInfo: what the program's command line asks for, as CWinApp::ParseCommandLine
// reads it.
#pragma once

#include <string>

class CCommandLineInfo {
public:
    enum { FileNew, FileOpen } m_nShellCommand = FileNew;
    // The first file named; empty when there is none.
    std::string m_strFileName;

    virtual ~CCommandLineInfo() = default;
    // Called for each argument in turn. bFlag: it began with "-", which is taken off; bLast:
    // it is the last. Flags that no override knows are ignored.
    virtual void ParseParam(const std::string& param, bool bFlag, bool bLast);
};
