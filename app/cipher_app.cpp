// The application object and its start-up: the main dialog, modal, as the program's only window.
#include "app/cipher_app.h"

#include "dialog/cipher_dlg.h"
#include "framework/win_defs.h"

// The one application object, constructed before AfxWinMain runs.
CCipherApp theApp;

const MessageMap& CCipherApp::GetThisMessageMap() {
    static const MessageMap messageMap{&CWinApp::GetThisMessageMap(),
                                       {
                                           MessageEntry::Command(ID_HELP, &CWinApp::OnHelp),
                                       }};
    return messageMap;
}

bool CCipherApp::InitInstance() {
    // ActiveX hosting and the 3D look of controls have no counterpart here: Qt's widgets are
    // drawn in the desktop's style.
    CCipherDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    // No message loop: the program ends with the dialog.
    return false;
}
