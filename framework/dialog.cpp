// Modal dialogs: the window from the template, the start, OK and Cancel.
#include "framework/dialog.h"

#include <utility>
#include <vector>

#include "framework/backend.h"
#include "framework/message_box.h"
#include "framework/resource_module.h"
#include "framework/scoped_value.h"
#include "framework/win_app.h"

// dialog_template.h stays free of win_defs.h, for backends that include the platform's headers.
static_assert(DialogControl{}.id == IDC_STATIC);

class CDialog::Events final : public afx_backend::WindowEvents {
public:
    explicit Events(CDialog& dialog) : dialog_(dialog) {}

    bool OnInit(afx_backend::DialogWindow& window) override { return dialog_.InitWindow(window); }
    void OnCommand(int id) override { dialog_.Dispatch(Message::Command, id); }
    void OnSysCommand(unsigned id) override {
        dialog_.Dispatch(Message::SysCommand, 0, MessageArgs{id, 0});
    }
    bool IsHandlerRunning() const override { return dialog_.IsHandlerRunning(); }

    std::vector<afx_backend::MenuItem> WindowMenuItems() const override {
        std::vector<afx_backend::MenuItem> items;
        if (const CMenu* menu = dialog_.GetSystemMenu(false)) {
            for (const CMenu::Item& item : menu->Items()) {
                items.push_back({(item.flags & MF_SEPARATOR) != 0, item.id, item.text});
            }
        }
        return items;
    }

    // A drop while a handler runs would change what that handler works on: refused, as the
    // window takes no other input then.
    void OnDropFiles(std::vector<std::string> files, int controlId) override {
        if (dialog_.IsHandlerRunning()) {
            return;
        }
        const DropFiles drop{std::move(files), controlId};
        dialog_.Dispatch(Message::DropFiles, 0,
                         MessageArgs{reinterpret_cast<std::uintptr_t>(&drop)});
    }

    std::string Text(afx_backend::FrameworkText which) const override {
        std::string text;
        AfxLoadString(
            which == afx_backend::FrameworkText::CloseItem ? AFX_IDS_SCCLOSE : AFX_IDS_BUSY_REASON,
            text);
        return text;
    }

    afx_backend::IconPtr FindIcon(unsigned resourceId) const override {
        const CWinApp* app = AfxGetApp();
        return app != nullptr ? app->LoadIcon(resourceId).Image() : nullptr;
    }

private:
    CDialog& dialog_;
};

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
        AfxMessageBox(AfxFormatString(AFX_IDP_NO_TEMPLATE, {std::to_string(m_nIDTemplate)}),
                      MB_ICONSTOP);
        return -1;
    }
    const CWnd* owner = GetSafeOwner();
    // The window exists from InitWindow until the modal loop has ended, and with it the window
    // menu of a template that asks for one.
    const ScopedValue windowScope(m_pWindow, nullptr);
    const ScopedValue menuScope(m_systemMenu, (dialogTemplate->style & WS_SYSMENU)
                                                  ? std::optional<CMenu>(std::in_place)
                                                  : std::nullopt);
    Events events(*this);
    return afx_backend::RunModalDialog(*dialogTemplate, events,
                                       owner != nullptr ? owner->m_pWindow : nullptr);
}

bool CDialog::InitWindow(afx_backend::DialogWindow& window) {
    m_pWindow = &window;
    bool focusFirst = false;
    RunHandler([&] { focusFirst = OnInitDialog(); });
    return focusFirst;
}

void CDialog::EndDialog(int nResult) {
    if (m_pWindow != nullptr) {
        m_pWindow->EndModal(nResult);
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
