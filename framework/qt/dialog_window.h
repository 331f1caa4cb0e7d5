// The Qt window of a CDialog: real widgets built from its template, keys and close requests.
#pragma once

#include <QDialog>
#include <map>
#include <optional>

#include "framework/dialog_template.h"
#include "framework/dialog_units.h"
#include "framework/menu.h"

class QWidget;
class CWnd;

namespace afx_qt {

class DialogWindow final : public QDialog {
    Q_OBJECT

public:
    DialogWindow(CWnd& owner, const DialogTemplate& dialogTemplate, QWidget* parent);

    // The widget of a control id; nullptr for unknown ids.
    QWidget* Control(int id) const;
    // The name a control's widget carries, so that tests can find it.
    static QString ControlName(int id);
    // The dialog manager's start: the focus on the first control with a tab stop.
    void FocusFirstTabStop();

    // Esc, and the close box through QDialog::closeEvent: the IDCANCEL command.
    void reject() override;

    // The window menu of a template with a system menu, else nullptr.
    CMenu* SystemMenu() { return systemMenu_ ? &*systemMenu_ : nullptr; }
    // Puts back the framework's own items: Close.
    void ResetSystemMenu();
    // Shows the window menu at that point of the screen; the chosen item goes to the owner as
    // WM_SYSCOMMAND once the menu has closed.
    void ShowSystemMenu(const QPoint& globalPos);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // A right click on the window or on a control without a menu of its own.
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void CreateControl(const DialogControl& control);
    void SizeWindow(const DialogTemplate& dialogTemplate);
    void AddSystemMenuKeys();

    CWnd& owner_;
    DialogBaseUnits baseUnits_;
    std::map<int, QWidget*> controls_;
    QWidget* firstTabStop_ = nullptr;
    int defaultCommand_ = IDOK;  // what Enter sends when no push button has the focus
    const bool hasSystemMenu_;
    std::optional<CMenu> systemMenu_;
};

}  // namespace afx_qt
