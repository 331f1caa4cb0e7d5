// The Qt window of a CDialog: real widgets built from its template, keys and close requests.
#pragma once

#include <QDialog>
#include <map>

#include "framework/dialog_template.h"
#include "framework/dialog_units.h"

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
    const DialogBaseUnits& BaseUnits() const { return baseUnits_; }

    // Esc, and the close box through QDialog::closeEvent: the IDCANCEL command.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateControl(const DialogControl& control);
    void PlaceWindow(const DialogTemplate& dialogTemplate, QWidget* parent);

    CWnd& owner_;
    DialogBaseUnits baseUnits_;
    std::map<int, QWidget*> controls_;
    QWidget* firstTabStop_ = nullptr;
    int defaultCommand_ = IDOK;  // what Enter sends when no push button has the focus
};

}  // namespace afx_qt
