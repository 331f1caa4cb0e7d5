// The main dialog driven with simulated keys and clicks: start state, read-back, OK and Cancel,
// the layout from the template, and the window menu with the About box.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QTest>
#include <algorithm>

#include "framework/scoped_value.h"
#include "framework/win_app.h"
#include "modal_driver.h"
#include "res/cipher_resources.h"
#include "res/resource.h"

namespace pomuru::test {
namespace {

using cipher_dialog = DialogTest;
using window_menu = DialogTest;

TEST_F(cipher_dialog,
       enter_reads_every_box_back_and_closes_unless_one_holds_no_integer_esc_reads_none) {
    const struct {
        const char* name;
        Steps close;
        int result;
        const char* fields;  // afterwards
    } rows[] = {
        {"Enter",
         [](QWidget& window) { QTest::keyClick(Control(window, IDC_SLIDE), Qt::Key_Return); }, IDOK,
         "in.bin|out.bin|-5|7|12|-2147483648"},
        // The fields before the bad box take their boxes' values; it and those after do not.
        {"Enter with no integer in a box",
         [](QWidget& window) {
             TypeInto(window, IDC_VALUE, "2147483648");
             EXPECT_EQ(
                 MessagesShownWhile(
                     &window, [&] { QTest::keyClick(Control(window, IDC_SLIDE), Qt::Key_Return); }),
                 QStringList{"dialog_test, exclamation: 整数を入力してください。"});
             // The dialog is active again once the window system has seen the message box go.
             ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
             auto* value = Control<QLineEdit>(window, IDC_VALUE);
             EXPECT_EQ(QApplication::focusWidget(), value);
             EXPECT_EQ(value->selectedText(), value->text());
             QTest::keyClick(&window, Qt::Key_Escape);
         },
         IDCANCEL, "in.bin|out.bin|-5|0|0|0"},
        {"Esc", [](QWidget& window) { QTest::keyClick(&window, Qt::Key_Escape); }, IDCANCEL,
         "||0|0|0|0"},
        {"window menu, Alt+C",
         [](QWidget& window) {
             const auto menu = WindowAnswerer::Above<QMenu>(&window, [](QWidget& popup) {
                 QTest::keyClick(&popup, Qt::Key_C, Qt::AltModifier);
             });
             QTest::keyClick(QApplication::focusWidget(), Qt::Key_Menu);
         },
         IDCANCEL, "||0|0|0|0"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CCipherDlg dlg;
        const int result = RunModal(dlg, [&](QWidget& window) {
            TypeInto(window, IDC_SOURCE_PATH, "in.bin");
            TypeInto(window, IDC_DEST_PATH, "out.bin");
            TypeInto(window, IDC_STEP, "-5");
            TypeInto(window, IDC_VALUE, " +7 ");
            TypeInto(window, IDC_START, "0012");
            TypeInto(window, IDC_SLIDE, "-2147483648");
            row.close(window);
            EXPECT_FALSE(window.isVisible());
        });
        EXPECT_EQ(result, row.result);
        EXPECT_EQ(FieldsOf(dlg), row.fields);
    }
}

TEST_F(cipher_dialog, opens_centred_in_the_template_layout_with_empty_paths_and_zeros) {
    RunModal(dlg_, [](QWidget& window) {
        EXPECT_EQ(window.windowTitle().toStdString(),
                  std::string(CipherResources().FindDialog(IDD_CIPHER_DIALOG)->caption));
        const QPoint offset =
            window.frameGeometry().center() - window.screen()->availableGeometry().center();
        EXPECT_LE(offset.manhattanLength(), 2) << "not centred on the screen";
        EXPECT_FALSE(Control<QCheckBox>(window, IDC_RANDOMIZE)->isChecked());
        // The focus starts in the source box and Tab goes round the controls.
        for (const int id :
             {IDC_SOURCE_PATH, IDC_RUN, IDC_CHOOSE_SOURCE, IDC_DEST_PATH, IDC_CHOOSE_DEST,
              IDC_VALUE, IDC_STEP, IDC_START, IDC_SLIDE, IDC_RANDOMIZE, IDC_SOURCE_PATH}) {
            QWidget* focused = QApplication::focusWidget();
            ASSERT_EQ(focused, Control(window, id)) << "control " << id;
            if (auto* edit = qobject_cast<QLineEdit*>(focused)) {
                EXPECT_EQ(edit->text(), id == IDC_SOURCE_PATH || id == IDC_DEST_PATH ? "" : "0");
            }
            QTest::keyClick(focused, Qt::Key_Tab);
        }
        const QRect source = Control(window, IDC_SOURCE_PATH)->geometry();
        const QRect run = Control(window, IDC_RUN)->geometry();
        EXPECT_EQ(Control(window, IDC_VALUE)->size(), Control(window, IDC_SLIDE)->size());
        // Widths and heights in the template's proportions (145 : 50 : 251, 16 : 14 : 79).
        EXPECT_NEAR(double(source.width()) / run.width(), 145.0 / 50, 0.05);
        EXPECT_NEAR(double(window.width()) / source.width(), 251.0 / 145, 0.03);
        EXPECT_NEAR(double(source.height()) / run.height(), 16.0 / 14, 0.08);
        EXPECT_NEAR(double(window.height()) / run.height(), 79.0 / 14, 0.2);
        // Positions too, across and down (x 160 of 251, y 59 of 79).
        EXPECT_NEAR(double(Control(window, IDC_CHOOSE_SOURCE)->x()) / window.width(), 160.0 / 251,
                    0.02);
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

TEST_F(window_menu, about_entry_or_command_opens_the_about_box_which_closes_back_to_the_dialog) {
    // The main window, which the About box is centred over.
    const ScopedValue main(AfxGetApp()->m_pMainWnd, &dlg_);
    RunModal(dlg_, [&](QWidget& window) {
        int opened = 0;
        const auto aboutBoxes =
            WindowAnswerer::Above<afx_qt::DialogWindow>(&window, [&](QWidget& box) {
                ++opened;
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
        // The system may set the low four bits of the id it sends.
        dlg_.Dispatch(Message::SysCommand, 0, MessageArgs{IDM_ABOUTBOX | 0x3, 0});
        EXPECT_EQ(opened, 2);
    });
}

}  // namespace
}  // namespace pomuru::test
