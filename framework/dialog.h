// Modal dialogs built from a dialog template: DoModal, OnInitDialog, OnOK, OnCancel.
#pragma once

#include "framework/wnd.h"

namespace afx_backend {
class DialogWindow;
}

class CDialog : public CWnd {
public:
    // A dialog from the template of that id in the application's resources. Without a parent
    // the application's main window, if another, is its owner.
    explicit CDialog(unsigned nIDTemplate, CWnd* pParentWnd = nullptr);

    // Builds the window, calls OnInitDialog and runs the dialog's own loop until EndDialog;
    // returns EndDialog's result (IDOK, IDCANCEL), or -1 when the window cannot be built.
    virtual int DoModal();
    void EndDialog(int nResult);

protected:
    // Shows the fields in the controls; true puts the focus on the first tab stop.
    virtual bool OnInitDialog();
    // Enter: saves the fields and closes with IDOK if that succeeded.
    virtual void OnOK();
    // Esc and the close box: closes with IDCANCEL.
    virtual void OnCancel();

    static const MessageMap& GetThisMessageMap();
    const MessageMap& GetMessageMap() const override { return GetThisMessageMap(); }

private:
    // What the window reports, passed on to this dialog.
    class Events;

    // The parent, or else the application's main window when that is another open window.
    CWnd* GetSafeOwner() const;
    // The window is up: fills it through OnInitDialog; true focuses the first tab stop.
    bool InitWindow(afx_backend::DialogWindow& window);

    const unsigned m_nIDTemplate;
    CWnd* const m_pParentWnd;
};
