// Modal loops driven from timers, typing into edit boxes, and answering the windows that open.
#include "modal_driver.h"

#include <QAbstractButton>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTest>

#include "framework/dialog.h"

namespace pomuru::test {

int RunModal(CDialog& dlg, const Steps& steps) {
    const auto answerer =
        WindowAnswerer::Above<afx_qt::DialogWindow>(nullptr, [&steps](QWidget& window) {
            steps(window);
            if (window.isVisible()) {
                QTest::keyClick(&window, Qt::Key_Escape);
            }
        });
    return dlg.DoModal();
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
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

WindowAnswerer::WindowAnswerer(std::function<QWidget*()> find, Steps steps)
    : find_(std::move(find)), steps_(std::move(steps)) {
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { AnswerOpenWindow(); });
    timer_.start(10);
}

WindowAnswerer::~WindowAnswerer() {
    if (!answered_) {
        ADD_FAILURE() << "the awaited window did not open";
    }
}

void WindowAnswerer::AnswerOpenWindow() {
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
            dialog->done(QDialog::Rejected);
        } else {
            window->close();
        }
    }
    timer_.start();
}

QStringList MessagesShownWhile(const QWidget* under, const std::function<void()>& action) {
    QStringList shown;
    const auto boxes = WindowAnswerer::Above<QMessageBox>(under, [&shown](QWidget& window) {
        const auto& box = static_cast<QMessageBox&>(window);
        const char* icon = box.icon() == QMessageBox::Critical  ? "stop"
                           : box.icon() == QMessageBox::Warning ? "exclamation"
                                                                : "other";
        shown << box.windowTitle() + ", " + icon + ": " + box.text();
        QTest::keyClick(&window, Qt::Key_Return);
    });
    action();
    return shown;
}

}  // namespace pomuru::test
