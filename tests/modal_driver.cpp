// Modal loops driven from timers, typing into edit boxes, and answering message boxes.
#include "modal_driver.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <utility>

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
            QTest::keyClick(window, Qt::Key_Escape);
        }
        if (window != nullptr && window->isVisible()) {
            ADD_FAILURE() << "Esc did not close the dialog";
            if (auto* dialog = qobject_cast<QDialog*>(window.data())) {
                dialog->done(IDCANCEL);
            }
        }
    });
    return dlg.DoModal();
}

QString TextOf(QWidget& window, int id) {
    auto* edit = Control<QLineEdit>(window, id);
    return edit != nullptr ? edit->text() : QString();
}

void ClickOn(QWidget& window, int id) {
    auto* button = Control<QAbstractButton>(window, id);
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
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

WindowAnswerer WindowAnswerer::NextModal(const QWidget& under,
                                         std::function<void(QWidget& window)> steps) {
    return WindowAnswerer(
        [&under]() -> QWidget* {
            QWidget* modal = QApplication::activeModalWidget();
            return modal != &under ? modal : nullptr;
        },
        std::move(steps));
}

WindowAnswerer WindowAnswerer::NextPopup(std::function<void(QWidget& popup)> steps) {
    return WindowAnswerer([] { return QApplication::activePopupWidget(); }, std::move(steps));
}

WindowAnswerer::WindowAnswerer(std::function<QWidget*()> find,
                               std::function<void(QWidget& window)> steps)
    : find_(std::move(find)), steps_(std::move(steps)) {
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { AnswerWhenOpen(); });
    timer_.start(10);
}

WindowAnswerer::~WindowAnswerer() {
    if (!answered_) {
        ADD_FAILURE() << "the awaited window did not open";
    }
}

void WindowAnswerer::AnswerWhenOpen() {
    const QPointer<QWidget> window = find_();
    if (window == nullptr || !window->isVisible()) {
        return;
    }
    timer_.stop();
    answered_ = true;
    // Keys and focus reach a dialog once the window system has made it the active window;
    // qWaitForWindowActive would already be content with its active owner.
    if (qobject_cast<QDialog*>(window.data()) != nullptr) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == window; }));
    }
    steps_(*window);
    if (window != nullptr && window->isVisible()) {
        ADD_FAILURE() << "the window is still open after the test's steps";
        if (auto* dialog = qobject_cast<QDialog*>(window.data())) {
            dialog->reject();
        } else {
            window->close();
        }
    }
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
