// Window operations on the Qt widgets, the data exchange passes and the guarded dispatch.
#include "framework/wnd.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>

#include "framework/data_exchange.h"
#include "framework/exception.h"
#include "framework/menu.h"
#include "framework/message_box.h"
#include "framework/qt/dialog_window.h"
#include "framework/qt/icon_image.h"
#include "framework/qt/qt_text.h"
#include "framework/scoped_value.h"
#include "framework/win_app.h"

CWnd::~CWnd() {
    if (CWinApp* app = AfxGetApp(); app != nullptr && app->m_pMainWnd == this) {
        app->m_pMainWnd = nullptr;
    }
}

void CWnd::SetWindowText(const std::string& text) {
    if (m_pWindow == nullptr) {
        return;
    }
    m_pWindow->setWindowTitle(afx_qt::ToQString(text));
    // Input stays queued until the handler returns; repaints and the title go out now.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

std::string CWnd::GetDlgItemText(int nID) const {
    QWidget* control = m_pWindow != nullptr ? m_pWindow->Control(nID) : nullptr;
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        return afx_qt::FromQString(edit->text());
    }
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        return afx_qt::FromQString(button->text());
    }
    if (auto* label = qobject_cast<QLabel*>(control)) {
        return afx_qt::FromQString(label->text());
    }
    return {};
}

void CWnd::SetDlgItemText(int nID, const std::string& text) {
    QWidget* control = m_pWindow != nullptr ? m_pWindow->Control(nID) : nullptr;
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setText(afx_qt::ToQString(text));
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setText(afx_qt::ToQString(text));
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(afx_qt::ToQString(text));
    }
}

unsigned CWnd::IsDlgButtonChecked(int nIDButton) const {
    QWidget* control = m_pWindow != nullptr ? m_pWindow->Control(nIDButton) : nullptr;
    const auto* button = qobject_cast<QAbstractButton*>(control);
    return button != nullptr && button->isChecked() ? BST_CHECKED : BST_UNCHECKED;
}

void CWnd::GotoDlgCtrl(int nID) {
    QWidget* control = m_pWindow != nullptr ? m_pWindow->Control(nID) : nullptr;
    if (control == nullptr) {
        return;
    }
    control->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->selectAll();
    }
}

HICON CWnd::SetIcon(HICON hIcon, bool bBigIcon) {
    if (m_pWindow == nullptr) {
        return {};
    }
    HICON& slot = bBigIcon ? m_hBigIcon : m_hSmallIcon;
    const HICON previous = slot;
    slot = hIcon;
    // Qt keeps one icon per window and picks the size each place needs: the big and the small
    // icon both go into it.
    QIcon icon;
    for (const HICON& set : {m_hBigIcon, m_hSmallIcon}) {
        if (set) {
            for (const QSize size : set.Image()->Icon().availableSizes()) {
                icon.addPixmap(set.Image()->Icon().pixmap(size));
            }
        }
    }
    m_pWindow->setWindowIcon(icon);
    return previous;
}

CMenu* CWnd::GetSystemMenu(bool bRevert) {
    if (m_pWindow == nullptr) {
        return nullptr;
    }
    if (bRevert) {
        m_pWindow->ResetSystemMenu();
        return nullptr;
    }
    return m_pWindow->SystemMenu();
}

void CWnd::DoDataExchange(CDataExchange*) {}

bool CWnd::UpdateData(bool bSaveAndValidate) {
    if (m_pWindow == nullptr) {
        return false;
    }
    CDataExchange dx(this,
                     bSaveAndValidate ? CDataExchange::Mode::Save : CDataExchange::Mode::Load);
    DoDataExchange(&dx);
    return !dx.Failed();
}

bool CWnd::ValidateData() {
    if (m_pWindow == nullptr) {
        return false;
    }
    CDataExchange dx(this, CDataExchange::Mode::Check);
    DoDataExchange(&dx);
    return !dx.Failed();
}

void CWnd::RunHandler(const std::function<void()>& handler) {
    const ScopedValue running(m_nHandlerDepth, m_nHandlerDepth + 1);
    try {
        handler();
    } catch (const CException& e) {
        e.ReportError();
    } catch (const std::exception& e) {
        AfxMessageBox(std::string("処理を続けられませんでした。\n") + e.what(), MB_ICONSTOP);
    }
}

bool CWnd::Dispatch(Message message, int id, const MessageArgs& args) {
    bool handled = false;
    RunHandler([&] {
        // Nested dispatches each see their own message.
        const ScopedValue current(m_currentMessage, CurrentMessage{message, args});
        handled = OnCmdMsg(message, id, args);
        if (handled) {
            return;
        }
        if (message == Message::Command) {
            if (CWinApp* app = AfxGetApp()) {
                handled = app->OnCmdMsg(message, id, args);
            }
        } else {
            DefWindowProc(message, args);
        }
    });
    return handled;
}

void CWnd::Default() {
    if (m_currentMessage) {
        const CurrentMessage current = *m_currentMessage;
        DefWindowProc(current.message, current.args);
    }
}

void CWnd::DefWindowProc(Message message, const MessageArgs& args) {
    if (message == Message::SysCommand && (args.wParam & 0xFFF0) == SC_CLOSE) {
        Dispatch(Message::Command, IDCANCEL);
    }
}
