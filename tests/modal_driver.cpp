// Modal loops driven from timers, typing into edit boxes, and answering message boxes.
#include "modal_driver.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPointer>
#include <QTest>

#include "framework/dialog.h"

namespace pomuru::test {

int RunModal(CDialog& dlg, const std::function<void(QWidget& window)>& steps) {
    QTimer::singleShot(0, qApp, [&steps] {
        const QPointer<QWidget> window = QApplication::activeModalWidget();
        if (window == nullptr) {
            ADD_FAILURE() << "the dialog did not open";
            return;
        }
        EXPECT_TRUE(QTest::qWaitForWindowActive(window));
        steps(*window);
        if (window != nullptr && window->isVisible()) {
            ADD_FAILURE() << "the dialog is still open after the test's steps";
            QTest::keyClick(window, Qt::Key_Escape);
        }
    });
    return dlg.DoModal();
}

void TypeInto(QWidget& window, int id, const QString& text) {
    auto* edit = Control<QLineEdit>(window, id);
    ASSERT_NE(edit, nullptr);
    QTest::mouseClick(edit, Qt::LeftButton);
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty()) {
        QTest::keyClick(edit, Qt::Key_Delete);
    } else {
        QTest::keyClicks(edit, text);
    }
}

void CommitInto(QWidget& window, int id, const QString& text) {
    auto* edit = Control<QLineEdit>(window, id);
    ASSERT_NE(edit, nullptr);
    QTest::mouseClick(edit, Qt::LeftButton);
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(edit, &commit);
}

MessageBoxAnswerer::MessageBoxAnswerer() {
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { AnswerOpenBox(); });
    timer_.start(10);
}

void MessageBoxAnswerer::AnswerOpenBox() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) {
        return;
    }
    shown_.push_back({box->windowTitle(), box->text(), box->icon()});
    QAbstractButton* ok = box->button(QMessageBox::Ok);
    if (ok == nullptr) {
        ADD_FAILURE() << "message box without an OK button";
        box->done(QMessageBox::Ok);
        return;
    }
    QTest::mouseClick(ok, Qt::LeftButton);
}

}  // namespace pomuru::test
