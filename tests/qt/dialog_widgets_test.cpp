// What only the real Qt widgets show, driven with simulated keys and clicks (every test's
// dialog is closed by Esc at its end): the keys that close the main dialog, its layout from the
// template and its Tab order, the window menu with the About box, Qt's file chooser with a run
// started by Enter on the run button and its progress on the desktop's launcher entry, and files
// dropped on each box. The dialog's logic is tested on the fake window system
// (cipher_dlg_test.cpp).
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QUrl>
#include <algorithm>

#include "framework/qt/file_chooser.h"
#include "framework/scoped_value.h"
#include "framework/win_app.h"
#include "qt/modal_driver.h"
#include "res/cipher_resources.h"
#include "res/resource.h"

namespace pomuru::test {
namespace {

using cipher_dialog = DialogTest;

TEST_F(cipher_dialog, opens_centred_in_the_template_layout_with_the_focus_going_round_by_tab) {
    RunModal(dlg_, [](QWidget& window) {
        EXPECT_EQ(window.windowTitle().toStdString(),
                  std::string(CipherResources().FindDialog(IDD_CIPHER_DIALOG)->caption));
        const QPoint offset =
            window.frameGeometry().center() - window.screen()->availableGeometry().center();
        EXPECT_LE(offset.manhattanLength(), 2) << "not centred on the screen";
        EXPECT_FALSE(Control<QCheckBox>(window, IDC_RANDOMIZE)->isChecked());
        for (const int id :
             {IDC_SOURCE_PATH, IDC_RUN, IDC_CHOOSE_SOURCE, IDC_DEST_PATH, IDC_CHOOSE_DEST,
              IDC_VALUE, IDC_STEP, IDC_START, IDC_SLIDE, IDC_RANDOMIZE, IDC_SOURCE_PATH}) {
            ASSERT_EQ(QApplication::focusWidget(), Control(window, id)) << "control " << id;
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        const QRect source = Control(window, IDC_SOURCE_PATH)->geometry();
        const QRect run = Control(window, IDC_RUN)->geometry();
        // Sizes and positions in the template's proportions (widths 145 : 50 : 251, heights
        // 16 : 14, y 59 of 79).
        EXPECT_NEAR(double(source.width()) / run.width(), 145.0 / 50, 0.05);
        EXPECT_NEAR(double(window.width()) / source.width(), 251.0 / 145, 0.03);
        EXPECT_NEAR(double(source.height()) / run.height(), 16.0 / 14, 0.08);
        EXPECT_NEAR(double(run.y()) / window.height(), 59.0 / 79, 0.03);
        // 251 x 79 dialog units are 377 x 119 pixels at 96 dpi in the template's own face; the
        // stand-in face may widen the dialog a little, but a taller line makes it look swollen.
        EXPECT_NEAR(window.width(), 377, 377 * 0.2);
        EXPECT_NEAR(window.height(), 119, 119 * 0.1) << "IPAPGothic missing?";

        // The labels over the number boxes, left to right: whole, and half an em apart, where
        // the characters of one word stand a pixel or two apart.
        const QList<QLabel*> labels = window.findChildren<QLabel*>();
        int lastTextRight = 0;
        for (const QString text : {"数値", "ステップ", "開始場所", "すべり"}) {
            SCOPED_TRACE(text.toStdString());
            const auto label = std::ranges::find(labels, text, &QLabel::text);
            ASSERT_NE(label, labels.end());
            const QFontMetrics metrics = (*label)->fontMetrics();
            EXPECT_GE((*label)->x() - lastTextRight, (*label)->fontInfo().pixelSize() / 2);
            lastTextRight = (*label)->x() + metrics.horizontalAdvance(text);
            EXPECT_LE(lastTextRight, (*label)->geometry().right() + 1) << "cut at the right";
            EXPECT_GE((*label)->height(), metrics.height()) << "descenders cut";
        }
    });
}

TEST_F(cipher_dialog, window_menu_by_right_click_opens_the_about_box_centred_over_the_dialog) {
    // The main window, which the About box is centred over.
    const ScopedValue main(AfxGetApp()->m_pMainWnd, &dlg_);
    RunModal(dlg_, [&](QWidget& window) {
        const auto aboutBox =
            WindowAnswerer::Above<afx_qt::DialogWindow>(&window, [&](QWidget& box) {
                const QPoint offset = box.geometry().center() - window.geometry().center();
                EXPECT_LE(offset.manhattanLength(), 2) << "not centred over the main dialog";
                for (const QWidget* control :
                     box.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                    EXPECT_TRUE(box.rect().contains(control->geometry())) << "outside the box";
                }
                ClickOn(box, IDOK);
            });
        QStringList items;
        {
            const auto menu = WindowAnswerer::Above<QMenu>(&window, [&](QWidget& popup) {
                for (const QAction* action : popup.actions()) {
                    items << action->text();
                }
                QTest::keyClick(&popup, Qt::Key_A, Qt::AltModifier);
            });
            // A right click where no control lies.
            QTest::mouseClick(window.windowHandle(), Qt::RightButton, {},
                              {window.width() - 3, window.height() - 3});
        }
        // The program's entry comes last, after a separator.
        EXPECT_EQ(items, QStringList({QStringLiteral("閉じる(&C)"), QString(),
                                      QStringLiteral("ぽむるの暗号 のﾊﾞｰｼﾞｮﾝ情報(&A)...")}));
        // The Menu key opens it too; its first item closes the dialog.
        const auto close = WindowAnswerer::Above<QMenu>(
            &window, [](QWidget& popup) { QTest::keyClick(&popup, Qt::Key_C, Qt::AltModifier); });
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Menu);
        EXPECT_FALSE(window.isVisible());
    });
}

// What the desktop hears of the program's launcher entry.
class LauncherEntry final : public QObject {
    Q_OBJECT

public:
    std::string updates;  // "visible fraction; " or "hidden; " for each

    LauncherEntry() {
        QDBusConnection::sessionBus().connect({}, {}, "com.canonical.Unity.LauncherEntry", "Update",
                                              this, SLOT(Heard(QDBusMessage)));
    }

public slots:
    void Heard(const QDBusMessage& update) {
        const auto properties = qdbus_cast<QVariantMap>(update.arguments().value(1));
        updates += properties.value("progress-visible").toBool()
                       ? "visible " + properties.value("progress").toString().toStdString() + "; "
                       : "hidden; ";
    }
};

// Presses a chooser button of the main dialog and answers Qt's chooser with the steps; then types
// the path into the chooser's file name box, as the user does, and confirms it with Enter.
void Choose(
    QWidget& window, int button, const std::string& path,
    const std::function<void(QFileDialog&)>& steps = [](QFileDialog&) {}) {
    const auto answerer = WindowAnswerer::Above<QFileDialog>(&window, [&](QWidget& widget) {
        auto& chooser = static_cast<QFileDialog&>(widget);
        steps(chooser);
        auto* name = chooser.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        QTest::mouseClick(name, Qt::LeftButton);
        QTest::keyClicks(name, QString::fromStdString(path));
        QTest::keyClick(name, Qt::Key_Return);
    });
    ClickOn(window, button);
}

TEST_F(cipher_dialog, qt_chooser_opens_in_mydata_and_enter_runs_on_the_run_button_else_closes) {
    const std::string dest = dir_.File("new.bin");
    QGuiApplication::setDesktopFileName("io.github.pomuru.Cipher");
    ASSERT_TRUE(QDBusConnection::sessionBus().isConnected()) << "run under dbus-run-session";
    LauncherEntry entry;
    const int result = RunModal(dlg_, [&](QWidget& window) {
        Choose(window, IDC_CHOOSE_SOURCE, source_, [](QFileDialog& chooser) {
            // "c:\mydata" stands for the folder of that name in the home folder.
            EXPECT_EQ(QDir(chooser.directory()).absolutePath(), QDir::homePath() + "/mydata");
            // The filters shown by their labels; the first, chosen, matches every name.
            EXPECT_EQ(chooser.nameFilters().front(), QStringLiteral("全て(*.*) (*)"));
            EXPECT_EQ(chooser.selectedNameFilter(), QStringLiteral("全て(*.*)"));
            EXPECT_EQ(
                chooser.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->text(),
                QStringLiteral("キャンセル"));
        });
        Choose(window, IDC_CHOOSE_DEST, dest);
        // Enter with a box without an integer: the message box, then the box focused with its
        // text selected once the dialog is active again.
        TypeInto(window, IDC_VALUE, "x");
        EXPECT_EQ(
            MessagesShownWhile(
                &window, [&] { QTest::keyClick(Control(window, IDC_SLIDE), Qt::Key_Return); }),
            QStringList{"qt_dialog_test, exclamation: 整数を入力してください。"});
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        auto* value = Control<QLineEdit>(window, IDC_VALUE);
        EXPECT_EQ(QApplication::focusWidget(), value);
        EXPECT_EQ(value->selectedText(), "x");
        TypeInto(window, IDC_VALUE, "77");
        // Back from the message box, as a window manager would hand it back. Enter on the focused
        // run button presses it rather than OK. A close request that arrives while the run lets
        // the caption repaint is ignored.
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        QTest::mouseClick(Control(window, IDC_SOURCE_PATH), Qt::LeftButton);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCoreApplication::postEvent(&window, new QCloseEvent);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCoreApplication::sendPostedEvents();
        EXPECT_TRUE(window.isVisible());
        QTest::mouseClick(Control(window, IDC_SLIDE), Qt::LeftButton);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_FALSE(window.isVisible());
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(ReadBytes(dest), ReferenceConvert(content_, {.value = 77}));
    // The desktop saw the run's progress on the launcher entry, once it came back from the bus.
    EXPECT_TRUE(QTest::qWaitFor([&] { return entry.updates.ends_with("hidden; "); }));
    EXPECT_EQ(entry.updates, "visible 0; visible 1; hidden; ");
}

// Drags a file from a file manager and drops it on a control, through the window as the window
// system hands it drags.
void DropOn(QWidget& window, int id, const std::string& file) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(file))});
    const QPoint at = Control(window, id)->geometry().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(window.windowHandle(), &enter);
    QCoreApplication::sendEvent(window.windowHandle(), &drop);
}

TEST_F(cipher_dialog, files_dropped_on_either_box_are_taken_on_the_destination_after_a_yes) {
    const std::string other = dir_.File("other.bin");
    WriteBytes(other, {7});
    WriteBytes(dir_.File("third.bin"), {8});
    RunModal(dlg_, [&](QWidget& window) {
        // Enter would answer No; Yes is pressed with Space.
        const auto yes = WindowAnswerer::Above<QMessageBox>(&window, [](QWidget& box) {
            QTest::keyClick(static_cast<QMessageBox&>(box).button(QMessageBox::Yes), Qt::Key_Space);
        });
        DropOn(window, IDC_DEST_PATH, other);
        DropOn(window, IDC_SOURCE_PATH, dir_.File("third.bin"));
        EXPECT_EQ(Control<QLineEdit>(window, IDC_SOURCE_PATH)->text().toStdString(),
                  dir_.File("third.bin"));
        DropOn(window, IDC_CHOOSE_SOURCE, source_);
        EXPECT_EQ(Control<QLineEdit>(window, IDC_DEST_PATH)->text().toStdString(), other);
        EXPECT_EQ(Control<QLineEdit>(window, IDC_SOURCE_PATH)->text().toStdString(), source_);
    });
    EXPECT_EQ(ReadBytes(other), Bytes{});
}

TEST(local_initial_dir, windows_folders_are_found_under_the_home_folder_or_fall_back_to_it) {
    const TempDir dir;
    const std::string home = dir.Path().string();
    std::filesystem::create_directories(dir.Path() / "mydata");
    WriteBytes(dir.File("mydata/file.bin"), {1});
    const std::string mydata = dir.File("mydata");
    const std::pair<std::string, std::string> rows[] = {
        {R"(c:\mydata)", mydata},        {R"(C:\mydata\)", mydata}, {R"(c:\)", home},
        {R"(c:\mydata\file.bin)", home}, {"/no/such/folder", home}, {"", ""},
    };
    for (const auto& [initialDir, local] : rows) {
        EXPECT_EQ(afx_qt::LocalInitialDir(initialDir, home), local) << initialDir;
    }
}

}  // namespace
}  // namespace pomuru::test

#include "dialog_widgets_test.moc"
