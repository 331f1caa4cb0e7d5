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

void ShowMessage(std::string_view caption, std::string_view text, MessageIcon icon) {
    QWidget* owner = QApplication::activeModalWidget();
    QMessageBox box(QtIcon(icon), afx_qt::ToQString(caption), afx_qt::ToQString(text),
                    QMessageBox::Ok, owner);
    // File names may hold characters that rich text would take for markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
    // The owner is active again when the box goes, whether or not the window manager sees to it,
    // so that the focus a handler sets next reaches the user.
    if (owner != nullptr && owner->isVisible()) {
        owner->activateWindow();
    }
}

}  // namespace afx_backend
