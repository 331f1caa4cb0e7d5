// CFileDialog: the file chooser.
#pragma once

#include <string>
#include <string_view>

#include "framework/win_defs.h"

class CWnd;

// The chooser's settings that are set after construction, as in OPENFILENAME.
struct OpenFileName {
    // The folder the chooser opens in, written as on Windows ("c:\mydata"); where there are no
    // drive letters, the window system finds the folder that stands for it. Empty: the current
    // folder.
    std::string lpstrInitialDir;
};

class CFileDialog {
public:
    // bOpenFileDialog: a chooser for opening, else for saving. lpszDefExt: appended to a name
    // typed without an extension, when not empty. lpszFileName: the name shown at the start,
    // and the path after a cancel. dwFlags: OFN_ options. lpszFilter: "label|pattern|…||", the
    // first entry selected. Without a parent the chooser is modal to the active dialog.
    explicit CFileDialog(bool bOpenFileDialog, std::string_view lpszDefExt = {},
                         std::string_view lpszFileName = {},
                         unsigned dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                         std::string_view lpszFilter = {}, CWnd* pParentWnd = nullptr);

    OpenFileName m_ofn;

    // Runs the chooser; IDOK when the user confirmed a name, else IDCANCEL. Names of files that
    // do not exist yet are accepted, and a chooser for opening never asks about overwriting.
    int DoModal();
    // The full path of the chosen file; the initial file name until a choice is confirmed.
    const std::string& GetPathName() const { return m_strPathName; }

private:
    const bool m_bOpenFileDialog;
    const std::string m_strDefExt;
    const unsigned m_dwFlags;
    const std::string m_strFilter;
    CWnd* const m_pParentWnd;
    std::string m_strPathName;
};
