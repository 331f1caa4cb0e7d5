// Drives the program's modal dialogs from inside their own loops, with simulated input.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>
#include <utility>

#include "dialog/cipher_dlg.h"
#include "framework/qt/dialog_window.h"
#include "test_support.h"

namespace pomuru::test {

using Steps = std::function<void(QWidget& window)>;

// Runs dlg.DoModal() and, once its window is up and active, the steps on that window. A window
// the steps leave open is then closed with Esc; one that Esc does not close fails the test.
int RunModal(CDialog& dlg, const Steps& steps);

// The widget of a control id in a dialog window; nullptr, with a test failure, if missing.
template <class Widget = QWidget>
Widget* Control(QWidget& window, int id) {
    auto* widget = window.findChild<Widget*>(afx_qt::DialogWindow::ControlName(id));
    if (widget == nullptr) {
        ADD_FAILURE() << "no control " << id << " of the expected kind";
    }
    return widget;
}

// A mouse click on a push button or check box.
void ClickOn(QWidget& window, int id);
// Replaces an edit box's text by typing: a click into it, Ctrl+A, then the keys.
void TypeInto(QWidget& window, int id, const QString& text);

// While it exists, runs the steps on every window of a kind that opens above a given one (or
// above none): a pop-up menu, a chooser, a message box, the About box. A window the steps leave
// open is closed, and an answerer that saw no window fails the test, so that no test hangs or
// passes unseen.
class WindowAnswerer {
public:
    template <class Kind>
    static WindowAnswerer Above(const QWidget* under, Steps steps) {
        return WindowAnswerer(
            [under]() -> QWidget* {
                QWidget* top = QApplication::activePopupWidget();
                top = top != nullptr ? top : QApplication::activeModalWidget();
                return top != under ? qobject_cast<Kind*>(top) : nullptr;
            },
            std::move(steps));
    }
    ~WindowAnswerer();
    WindowAnswerer(const WindowAnswerer&) = delete;
    WindowAnswerer& operator=(const WindowAnswerer&) = delete;

private:
    WindowAnswerer(std::function<QWidget*()> find, Steps steps);
    void AnswerOpenWindow();

    const std::function<QWidget*()> find_;
    const Steps steps_;
    QTimer timer_;
    bool answered_ = false;
};

// Runs the action, answering every message box above the window with Enter; returns what each
// showed: "title, icon: text", the icon "stop" or "exclamation".
QStringList MessagesShownWhile(const QWidget* under, const std::function<void()>& action);

// The fixture of the GUI tests: a private folder with a source file, and a main dialog.
class DialogTest : public testing::Test {
protected:
    DialogTest() { WriteBytes(source_, content_); }

    TempDir dir_;
    const std::string source_ = dir_.File("source.bin");
    const Bytes content_ = SampleBytes(3000, 11);
    CCipherDlg dlg_;
};

}  // namespace pomuru::test
