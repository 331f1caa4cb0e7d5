// The application object and its start-up: the main dialog, modal, as the program's only window.
#include "app/cipher_app.h"

#include "dialog/cipher_dlg.h"
#include "framework/win_defs.h"

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
    CCipherDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    // No message loop: the program ends with the dialog.
    return false;
}
