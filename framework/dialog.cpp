// Modal dialogs: the window from the template, the start, OK and Cancel.
#include "framework/dialog.h"

#include "framework/message_box.h"
#include "framework/qt/dialog_window.h"
#include "framework/resource_module.h"
#include "framework/scoped_value.h"
#include "framework/win_app.h"

CDialog::CDialog(unsigned nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

const MessageMap& CDialog::GetThisMessageMap() {
    static const MessageMap messageMap{&CWnd::GetThisMessageMap(),
                                       {
                                           MessageEntry::Command(IDOK, &CDialog::OnOK),
                                           MessageEntry::Command(IDCANCEL, &CDialog::OnCancel),
                                       }};
    return messageMap;
}

CWnd* CDialog::GetSafeOwner() const {
    if (m_pParentWnd != nullptr) {
        return m_pParentWnd;
    }
    const CWinApp* app = AfxGetApp();
    CWnd* main = app != nullptr ? app->m_pMainWnd : nullptr;
    return main != this && main != nullptr && main->HasWindow() ? main : nullptr;
}

int CDialog::DoModal() {
    const CResourceModule* resources = AfxGetResourceHandle();
    const DialogTemplate* dialogTemplate =
        resources != nullptr ? resources->FindDialog(m_nIDTemplate) : nullptr;
    if (dialogTemplate == nullptr) {
        AfxMessageBox(
            "ダイアログ " + std::to_string(m_nIDTemplate) + " のテンプレートがありません。",
            MB_ICONSTOP);
        return -1;
    }
    const CWnd* owner = GetSafeOwner();
    afx_qt::DialogWindow window(*this, *dialogTemplate,
                                owner != nullptr ? owner->m_pWindow : nullptr);
    const ScopedValue windowScope(m_pWindow, &window);
    window.setResult(IDCANCEL);

    bool focusFirst = false;
    RunHandler([&] { focusFirst = OnInitDialog(); });
    if (focusFirst) {
        window.FocusFirstTabStop();
    }
    return window.exec();
}

void CDialog::EndDialog(int nResult) {
    if (m_pWindow != nullptr) {
        m_pWindow->done(nResult);
    }
}

bool CDialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void CDialog::OnOK() {
    if (!UpdateData(true)) {
        return;
    }
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}
