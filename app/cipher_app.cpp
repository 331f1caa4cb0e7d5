// The application object and its start-up: the main dialog, modal, as the program's only window.
#include "app/cipher_app.h"

#include "dialog/cipher_dlg.h"
#include "framework/command_line_info.h"
#include "framework/win_defs.h"

namespace {

// Every file the command line names: Explorer's Send to passes all the files chosen, and the
// dialog refuses more than one rather than take one of them unasked.
class CFileNamesInfo final : public CCommandLineInfo {
public:
    std::vector<std::string> m_fileNames;

    void ParseParam(const std::string& param, bool bFlag, bool bLast) override {
        if (!bFlag) {
            m_fileNames.push_back(param);
        }
        CCommandLineInfo::ParseParam(param, bFlag, bLast);
    }
};

}  // namespace

// The one application object, constructed before AfxWinMain runs.
CCipherApp theApp;

// Named as the installed desktop entry, by which Wayland desktops find the windows' icon and
// name. On X11 the window class, the executable's name "pomuru-cipher", does the same through
// the entry's StartupWMClass. Windows takes the icon from the program file instead.
CCipherApp::CCipherApp() {
    m_strDesktopFileName = "io.github.pomuru.Cipher";
}

const MessageMap& CCipherApp::GetThisMessageMap() {
    static const MessageMap messageMap{&CWinApp::GetThisMessageMap(),
                                       {
                                           MessageEntry::Command(ID_HELP, &CWinApp::OnHelp),
                                       }};
    return messageMap;
}

bool CCipherApp::InitInstance() {
    // ActiveX hosting and the 3D look of controls have no counterpart here: the controls are
    // drawn in the desktop's style (on Windows, the common controls that the manifest names).
    // "Open with", Send to and a drop on the program's icon name the file to convert.
    CFileNamesInfo cmdInfo;
    ParseCommandLine(cmdInfo);
    CCipherDlg dlg;
    dlg.m_filesToOpen = cmdInfo.m_fileNames;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    // No message loop: the program ends with the dialog.
    return false;
}
