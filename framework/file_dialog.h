// CFileDialog: the file chooser, on Qt's own file dialog.
#pragma once

#include <string>
#include <string_view>

#include "framework/win_defs.h"

class CWnd;

// The chooser's settings that are set after construction, as in OPENFILENAME.
struct OpenFileName {
    // The folder the chooser opens in, written as on Windows (see LocalInitialDir); empty: the
    // current folder.
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

// The folder that stands here for an initial directory written for Windows. A path with a drive
// letter names the same folders under the home folder ("c:\mydata" is "<home>/mydata", "c:\"
// the home folder itself); other paths are taken as they are. When the result is no folder,
// the home folder. An empty text stays empty.
std::string LocalInitialDir(std::string_view initialDir, const std::string& homeDir);
