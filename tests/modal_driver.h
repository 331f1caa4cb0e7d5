// Drives the program's modal dialogs from inside their own loops, with simulated input.
#pragma once

#include <gtest/gtest.h>

#include <QMessageBox>
#include <QString>
#include <QTimer>
#include <functional>
#include <vector>

#include "framework/qt/dialog_window.h"

class CDialog;
class QWidget;

namespace pomuru::test {

// Runs dlg.DoModal() and, once its window is up and active, the steps on that window. A window
// the steps leave open is then closed with Esc; one that Esc does not close fails the test.
int RunModal(CDialog& dlg, const std::function<void(QWidget& window)>& steps);

// The widget of a control id in a dialog window; nullptr, with a test failure, if missing.
template <class Widget>
Widget* Control(QWidget& window, int id) {
    auto* widget = window.findChild<Widget*>(afx_qt::DialogWindow::ControlName(id));
    if (widget == nullptr) {
        ADD_FAILURE() << "no control " << id << " of the expected kind";
    }
    return widget;
}

// The text of an edit box.
QString TextOf(QWidget& window, int id);
// A mouse click on a push button or check box.
void ClickOn(QWidget& window, int id);
// Replaces an edit box's text by typing: a click into it, Ctrl+A, then the keys.
void TypeInto(QWidget& window, int id, const QString& text);
// Replaces an edit box's text as a Japanese input method does: a committed string.
void CommitInto(QWidget& window, int id, const QString& text);

// While it exists, waits for a window and runs the steps on it once: the next modal window
// above a given one (a chooser, the About box), or the next pop-up menu. A window the steps
// leave open is closed, and a window that never came fails the test, so that no test hangs.
class WindowAnswerer {
public:
    static WindowAnswerer NextModal(const QWidget& under,
                                    std::function<void(QWidget& window)> steps);
    static WindowAnswerer NextPopup(std::function<void(QWidget& popup)> steps);
    ~WindowAnswerer();
    WindowAnswerer(const WindowAnswerer&) = delete;
    WindowAnswerer& operator=(const WindowAnswerer&) = delete;

    bool Answered() const { return answered_; }

private:
    WindowAnswerer(std::function<QWidget*()> find, std::function<void(QWidget& window)> steps);
    void AnswerWhenOpen();

    const std::function<QWidget*()> find_;
    const std::function<void(QWidget&)> steps_;
    QTimer timer_;
    bool answered_ = false;
};

// While it exists, answers every message box that opens by clicking its OK button, and keeps
// what each showed.
class MessageBoxAnswerer {
public:
    struct Shown {
        QString title;
        QString text;
        QMessageBox::Icon icon;
    };

    MessageBoxAnswerer();
    const std::vector<Shown>& Boxes() const { return shown_; }

private:
    void AnswerOpenBox();

    QTimer timer_;
    std::vector<Shown> shown_;
};

}  // namespace pomuru::test
