// The command line's arguments: the first file name opens that file.
#include "framework/command_line_info.h"

void CCommandLineInfo::ParseParam(const std::string& param, bool bFlag, bool /*bLast*/) {
    if (!bFlag && m_strFileName.empty()) {
        m_strFileName = param;
        m_nShellCommand = FileOpen;
    }
}
