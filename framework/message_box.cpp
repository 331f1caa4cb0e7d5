// Message boxes on Qt, modal to the active dialog.
#include "framework/message_box.h"

#include <QApplication>
#include <QMessageBox>

#include "framework/qt/qt_text.h"
#include "framework/win_app.h"

namespace {

QMessageBox::Icon IconFor(unsigned type) {
    switch (type & 0xF0) {
        case MB_ICONSTOP:
            return QMessageBox::Critical;
        case MB_ICONEXCLAMATION:
            return QMessageBox::Warning;
        case MB_ICONINFORMATION:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

}  // namespace

int AfxMessageBox(const std::string& text, unsigned type) {
    const CWinApp* app = AfxGetApp();
    const std::string caption = app != nullptr ? app->AppName() : std::string();
    QWidget* owner = QApplication::activeModalWidget();
    QMessageBox box(IconFor(type), afx_qt::ToQString(caption), afx_qt::ToQString(text),
                    QMessageBox::Ok, owner);
    // File names may hold characters that rich text would take for markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
    // The owner is active again when the box goes, whether or not the window manager sees to it,
    // so that the focus a handler sets next reaches the user.
    if (owner != nullptr && owner->isVisible()) {
        owner->activateWindow();
    }
    return IDOK;
}
