// CAboutDlg: the About box, with the program's icon, version and credits.
#pragma once

#include "framework/dialog.h"

class CAboutDlg : public CDialog {
public:
    // Without a parent the box is owned by, and centred over, the application's main window.
    explicit CAboutDlg(CWnd* pParent = nullptr);

    // No fields, no handlers: OK and Esc close it through the framework's OnOK and OnCancel.
};
