// The Qt window of a dialog: real widgets built from its template, keys and close requests.
#pragma once

#include <QDialog>
#include <map>
#include <vector>

#include "framework/backend.h"
#include "framework/dialog_template.h"
#include "framework/dialog_units.h"
#include "framework/win_defs.h"

class QWidget;

namespace afx_qt {

class DialogWindow final : public QDialog, public afx_backend::DialogWindow {
    Q_OBJECT

public:
    DialogWindow(const DialogTemplate& dialogTemplate, afx_backend::WindowEvents& events,
                 QWidget* parent);

    // The name a control's widget carries, so that tests can find it.
    static QString ControlName(int id);
    // The dialog manager's start: the focus on the first control with a tab stop.
    void FocusFirstTabStop();

    void EndModal(int result) override;
    void SetCaption(std::string_view text) override;
    std::string ControlText(int id) const override;
    void SetControlText(int id, std::string_view text) override;
    bool IsChecked(int id) const override;
    void FocusControl(int id) override;
    void SetIcons(const afx_backend::IconImage* bigIcon,
                  const afx_backend::IconImage* smallIcon) override;
    void AcceptFiles(bool accept) override;
    void PostCommand(int id) override;
    void SetProgress(afx_backend::ProgressState state, std::uint64_t completed,
                     std::uint64_t total) override;

    // Esc, and the close box through QDialog::closeEvent: the IDCANCEL command.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // A right click on the window or on a control without a menu of its own.
    void contextMenuEvent(QContextMenuEvent* event) override;
    // Local files only: anything else is no file to convert.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QWidget* CreateControl(const DialogControl& control);
    // Edit boxes are named, and labelled, after the labels above them.
    void NameEditBoxes(const DialogTemplate& dialogTemplate, const std::vector<QWidget*>& widgets);
    // The id of the control at that point of the window; 0 for none.
    int ControlIdAt(const QPoint& position) const;
    void SizeWindow(const DialogTemplate& dialogTemplate);
    void AddSystemMenuKeys();
    // Shows the window menu at that point of the screen; the chosen item goes to the framework
    // as a system command once the menu has closed.
    void ShowSystemMenu(const QPoint& globalPos);
    // The widget of a control id; nullptr for unknown ids.
    QWidget* Control(int id) const;

    afx_backend::WindowEvents& events_;
    DialogBaseUnits baseUnits_;
    std::map<int, QWidget*> controls_;
    QWidget* firstTabStop_ = nullptr;
    int defaultCommand_ = IDOK;  // what Enter sends when no push button has the focus
    const bool hasSystemMenu_;
};

}  // namespace afx_qt
