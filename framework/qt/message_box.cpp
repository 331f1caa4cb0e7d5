// Message boxes on Qt, modal to the active dialog.
#include <QApplication>
#include <QMessageBox>

#include "framework/backend.h"
#include "framework/qt/qt_text.h"

namespace afx_backend {

namespace {

QMessageBox::Icon QtIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Stop:
            return QMessageBox::Critical;
        case MessageIcon::Exclamation:
            return QMessageBox::Warning;
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::NoIcon:
            break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

bool ShowMessage(std::string_view caption, std::string_view text, MessageIcon icon,
                 MessageButtons buttons) {
    QWidget* owner = QApplication::activeModalWidget();
    QMessageBox box(
        QtIcon(icon), afx_qt::ToQString(caption), afx_qt::ToQString(text),
        buttons == MessageButtons::Ok ? QMessageBox::Ok : QMessageBox::Yes | QMessageBox::No,
        owner);
    if (buttons != MessageButtons::Ok) {
        // Esc and the close box answer No.
        box.setDefaultButton(buttons == MessageButtons::YesNo ? QMessageBox::Yes : QMessageBox::No);
    }
    // File names may hold characters that rich text would take for markup.
    box.setTextFormat(Qt::PlainText);
    const bool yes = box.exec() == QMessageBox::Yes;
    // The owner is active again when the box goes, whether or not the window manager sees to it,
    // so that the focus a handler sets next reaches the user.
    if (owner != nullptr && owner->isVisible()) {
        owner->activateWindow();
    }
    return yes;
}

}  // namespace afx_backend
