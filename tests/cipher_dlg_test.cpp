// The main dialog driven with simulated keys and clicks: start state, read-back, OK and Cancel,
// the run, and the layout from the template.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QPushButton>
#include <QScreen>
#include <QStringList>
#include <QTest>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "cipher/status_captions.h"
#include "dialog/cipher_dlg.h"
#include "modal_driver.h"
#include "reference_rule.h"
#include "res/resource.h"
#include "temp_dir.h"

namespace pomuru::test {
namespace {

constexpr int kNumberBoxes[] = {IDC_VALUE, IDC_STEP, IDC_START, IDC_SLIDE};
const QString kNotAnInteger = QStringLiteral("整数を入力してください。");

// The box has the focus and all its text is selected, as after a failed read-back.
void ExpectFocusedWithTextSelected(QWidget& window, int id) {
    auto* edit = Control<QLineEdit>(window, id);
    ASSERT_NE(edit, nullptr);
    // The dialog is active again once the window system has seen the message box go.
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_EQ(QApplication::focusWidget(), edit) << "box " << id;
    EXPECT_EQ(edit->selectedText(), edit->text()) << "box " << id;
}

// Every title the window shows, in order.
class TitleRecorder : public QObject {
public:
    explicit TitleRecorder(QWidget& window) : window_(window) { window_.installEventFilter(this); }
    ~TitleRecorder() override { window_.removeEventFilter(this); }
    const std::vector<std::string>& Titles() const { return titles_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &window_ && event->type() == QEvent::WindowTitleChange) {
            titles_.push_back(window_.windowTitle().toStdString());
        }
        return false;
    }

private:
    QWidget& window_;
    std::vector<std::string> titles_;
};

TEST(cipher_dialog, opens_centred_with_empty_paths_zeros_unticked_box_and_source_box_focused) {
    CCipherDlg dlg;
    RunModal(dlg, [](QWidget& window) {
        EXPECT_EQ(window.windowTitle().toStdString(), kDialogCaption);
        EXPECT_EQ(TextOf(window, IDC_SOURCE_PATH), "");
        EXPECT_EQ(TextOf(window, IDC_DEST_PATH), "");
        for (const int id : kNumberBoxes) {
            EXPECT_EQ(TextOf(window, id), "0") << "box " << id;
        }
        auto* randomize = Control<QCheckBox>(window, IDC_RANDOMIZE);
        ASSERT_NE(randomize, nullptr);
        EXPECT_FALSE(randomize->isChecked());
        EXPECT_EQ(QApplication::focusWidget(), Control<QLineEdit>(window, IDC_SOURCE_PATH));
        const QPoint offset =
            window.frameGeometry().center() - window.screen()->availableGeometry().center();
        EXPECT_LE(offset.manhattanLength(), 2) << "not centred on the screen";
    });
}

TEST(cipher_dialog, tab_visits_the_controls_in_template_order) {
    CCipherDlg dlg;
    RunModal(dlg, [](QWidget&) {
        const std::vector<int> expected{
            IDC_RUN,  IDC_CHOOSE_SOURCE, IDC_DEST_PATH, IDC_CHOOSE_DEST, IDC_VALUE,
            IDC_STEP, IDC_START,         IDC_SLIDE,     IDC_RANDOMIZE,   IDC_SOURCE_PATH};
        std::vector<QString> visited;
        for (std::size_t i = 0; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited.push_back(QApplication::focusWidget()->objectName());
        }
        std::vector<QString> names;
        for (const int id : expected) {
            names.push_back(afx_qt::DialogWindow::ControlName(id));
        }
        EXPECT_EQ(visited, names);
    });
}

TEST(cipher_dialog, enter_reads_typed_paths_and_numbers_back_with_their_signs_and_closes) {
    CCipherDlg dlg;
    const int result = RunModal(dlg, [](QWidget& window) {
        TypeInto(window, IDC_SOURCE_PATH, "in.bin");
        TypeInto(window, IDC_DEST_PATH, "out.bin");
        TypeInto(window, IDC_STEP, "-5");
        TypeInto(window, IDC_VALUE, " +7 ");
        CommitInto(window, IDC_START, QStringLiteral("－１２"));  // full-width, from an IME
        TypeInto(window, IDC_SLIDE, "-2147483648");
        QTest::keyClick(Control<QLineEdit>(window, IDC_SLIDE), Qt::Key_Return);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dlg.m_strSource, "in.bin");
    EXPECT_EQ(dlg.m_strDest, "out.bin");
    EXPECT_EQ(dlg.m_nStep, -5);
    EXPECT_EQ(dlg.m_nValue, 7);
    EXPECT_EQ(dlg.m_nStart, -12);
    EXPECT_EQ(dlg.m_nSlide, std::numeric_limits<std::int32_t>::min());
}

TEST(cipher_dialog, enter_with_a_box_without_an_integer_reports_it_and_stays_open) {
    struct Row {
        const char* name;
        const char* text;
    };
    const Row rows[] = {{"letters", "x"}, {"above 32 bits", "2147483648"}, {"empty", ""}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CCipherDlg dlg;
        RunModal(dlg, [&](QWidget& window) {
            TypeInto(window, IDC_SOURCE_PATH, "in.bin");
            TypeInto(window, IDC_STEP, "3");
            TypeInto(window, IDC_VALUE, row.text);
            TypeInto(window, IDC_START, "5");
            const MessageBoxAnswerer answerer;
            QTest::keyClick(Control<QLineEdit>(window, IDC_START), Qt::Key_Return);
            ASSERT_EQ(answerer.Boxes().size(), 1u);
            EXPECT_EQ(answerer.Boxes()[0].text, kNotAnInteger);
            EXPECT_TRUE(window.isVisible());
            ExpectFocusedWithTextSelected(window, IDC_VALUE);
        });
        // The fields before the bad box took their boxes' values; it and those after did not.
        EXPECT_EQ(dlg.m_strSource, "in.bin");
        EXPECT_EQ(dlg.m_nStep, 3);
        EXPECT_EQ(dlg.m_nValue, 0);
        EXPECT_EQ(dlg.m_nStart, 0);
    }
}

TEST(cipher_dialog, esc_close_box_and_window_menu_close_cancel_without_reading_back) {
    using Close = std::function<void(QWidget&)>;
    const std::pair<const char*, Close> rows[] = {
        {"Esc", [](QWidget& window) { QTest::keyClick(&window, Qt::Key_Escape); }},
        {"close box", [](QWidget& window) { window.close(); }},
        {"window menu, Alt+C",
         [](QWidget&) {
             const auto menu = WindowAnswerer::NextPopup(
                 [](QWidget& popup) { QTest::keyClick(&popup, Qt::Key_C, Qt::AltModifier); });
             QTest::keyClick(QApplication::focusWidget(), Qt::Key_Menu);
             EXPECT_TRUE(menu.Answered());
         }},
    };
    for (const auto& [name, close] : rows) {
        SCOPED_TRACE(name);
        CCipherDlg dlg;
        const int result = RunModal(dlg, [&](QWidget& window) {
            TypeInto(window, IDC_VALUE, "42");
            close(window);
            EXPECT_FALSE(window.isVisible());
        });
        EXPECT_EQ(result, IDCANCEL);
        EXPECT_EQ(dlg.m_nValue, 0);
    }
}

class cipher_dialog_run : public ::testing::Test {
protected:
    cipher_dialog_run() {
        source_ = dir_.File("source.bin");
        dest_ = dir_.File("dest.bin");
        WriteBytes(source_, content_);
        WriteBytes(dest_, previous_);
        dlg_.m_strSource = source_;
        dlg_.m_strDest = dest_;
    }

    TempDir dir_;
    std::string source_;
    std::string dest_;
    const std::vector<std::uint8_t> content_ = SampleBytes(5000, 7);
    const std::vector<std::uint8_t> previous_{'k', 'e', 'e', 'p'};
    CCipherDlg dlg_;
};

TEST_F(cipher_dialog_run,
       converts_with_the_typed_numbers_and_the_ticked_box_then_restores_caption) {
    const std::vector<std::uint8_t> expected =
        ReferenceConvert(content_, CipherParams{2, 77, 3, 0, true});
    ASSERT_NE(expected, ReferenceConvert(content_, CipherParams{2, 77, 3, 0, false}));
    RunModal(dlg_, [&](QWidget& window) {
        TypeInto(window, IDC_VALUE, "+77");
        TypeInto(window, IDC_STEP, "2");
        TypeInto(window, IDC_START, " 3");
        ClickOn(window, IDC_RANDOMIZE);
        const TitleRecorder titles(window);
        ClickOn(window, IDC_RUN);

        ASSERT_FALSE(titles.Titles().empty());
        EXPECT_EQ(titles.Titles().front(), kRunningCaption);
        EXPECT_EQ(titles.Titles().back(), kDialogCaption);
        EXPECT_EQ(window.windowTitle().toStdString(), kDialogCaption);
        // The boxes show the numbers as read back, in plain decimal.
        EXPECT_EQ(TextOf(window, IDC_VALUE), "77");
        EXPECT_EQ(TextOf(window, IDC_START), "3");
        EXPECT_TRUE(window.isVisible());
    });
    EXPECT_EQ(ReadBytes(dest_), expected);
    EXPECT_EQ(dlg_.m_nValue, 77);
    EXPECT_EQ(dlg_.m_nStep, 2);
    EXPECT_EQ(dlg_.m_nStart, 3);
}

TEST_F(cipher_dialog_run, enter_on_the_focused_run_button_runs_instead_of_closing) {
    RunModal(dlg_, [&](QWidget& window) {
        TypeInto(window, IDC_VALUE, "1");
        TypeInto(window, IDC_SOURCE_PATH, QString::fromStdString(source_));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), Control<QPushButton>(window, IDC_RUN));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_TRUE(window.isVisible());
    });
    EXPECT_EQ(ReadBytes(dest_), ReferenceConvert(content_, CipherParams{0, 1, 0, 0, false}));
}

TEST_F(cipher_dialog_run, bad_number_stops_the_run_before_any_file_is_touched) {
    RunModal(dlg_, [&](QWidget& window) {
        TypeInto(window, IDC_VALUE, "5");
        TypeInto(window, IDC_START, "9999999999");
        const MessageBoxAnswerer answerer;
        ClickOn(window, IDC_RUN);
        ASSERT_EQ(answerer.Boxes().size(), 1u);
        EXPECT_EQ(answerer.Boxes()[0].text, kNotAnInteger);
        ExpectFocusedWithTextSelected(window, IDC_START);
        EXPECT_EQ(window.windowTitle().toStdString(), kDialogCaption);
        EXPECT_TRUE(window.isVisible());
    });
    EXPECT_EQ(ReadBytes(dest_), previous_);
    EXPECT_EQ(dlg_.m_nValue, 0);
}

TEST_F(cipher_dialog_run, does_nothing_while_a_path_field_is_empty_even_with_paths_typed) {
    dlg_.m_strDest.clear();
    RunModal(dlg_, [&](QWidget& window) {
        TypeInto(window, IDC_DEST_PATH, QString::fromStdString(dest_));
        TypeInto(window, IDC_VALUE, "5");
        const MessageBoxAnswerer answerer;
        const TitleRecorder titles(window);
        ClickOn(window, IDC_RUN);
        EXPECT_TRUE(answerer.Boxes().empty());
        EXPECT_TRUE(titles.Titles().empty());
        // Nothing was read back or redisplayed.
        EXPECT_EQ(TextOf(window, IDC_VALUE), "5");
        EXPECT_EQ(dlg_.m_strDest, "");
    });
    EXPECT_EQ(ReadBytes(dest_), previous_);
}

TEST_F(cipher_dialog_run, close_request_during_a_run_is_ignored) {
    RunModal(dlg_, [&](QWidget& window) {
        // Delivered while the run lets the caption repaint.
        QCoreApplication::postEvent(&window, new QCloseEvent);
        ClickOn(window, IDC_RUN);
        QCoreApplication::sendPostedEvents();
        EXPECT_TRUE(window.isVisible());
    });
    EXPECT_EQ(ReadBytes(dest_), content_);  // value 0 copies
}

TEST(cipher_dialog, controls_keep_the_template_layout) {
    CCipherDlg dlg;
    RunModal(dlg, [](QWidget& window) {
        const QRect source = Control<QWidget>(window, IDC_SOURCE_PATH)->geometry();
        const QRect run = Control<QWidget>(window, IDC_RUN)->geometry();
        const QRect chooseSource = Control<QWidget>(window, IDC_CHOOSE_SOURCE)->geometry();
        const QRect value = Control<QWidget>(window, IDC_VALUE)->geometry();
        const QRect slide = Control<QWidget>(window, IDC_SLIDE)->geometry();
        EXPECT_EQ(source.left(), run.left());
        EXPECT_LT(source.bottom(), run.top());
        EXPECT_LT(source.right(), chooseSource.left());
        EXPECT_EQ(value.size(), slide.size());
        // Widths and heights in the template's proportions (145 : 50 : 251, 16 : 14 : 79).
        EXPECT_NEAR(double(source.width()) / run.width(), 145.0 / 50, 0.05);
        EXPECT_NEAR(double(window.width()) / source.width(), 251.0 / 145, 0.03);
        EXPECT_NEAR(double(source.height()) / run.height(), 16.0 / 14, 0.08);
        EXPECT_NEAR(double(window.height()) / run.height(), 79.0 / 14, 0.2);
        // 251 x 79 dialog units are 377 x 119 pixels at 96 dpi in the template's own face; the
        // stand-in face may widen the dialog a little, but a taller line makes it look swollen.
        EXPECT_NEAR(window.width(), 377, 377 * 0.2);
        EXPECT_NEAR(window.height(), 119, 119 * 0.1) << "IPAPGothic missing?";
    });
}

TEST(cipher_dialog, labels_over_the_number_boxes_are_whole_and_stand_apart_as_words) {
    CCipherDlg dlg;
    RunModal(dlg, [](QWidget& window) {
        const QStringList texts{"数値", "ステップ", "開始場所", "すべり"};
        QList<const QLabel*> row;
        for (const QString& text : texts) {
            for (const QLabel* label : window.findChildren<QLabel*>()) {
                if (label->text() == text) {
                    row << label;
                }
            }
        }
        ASSERT_EQ(row.size(), texts.size());
        for (qsizetype i = 0; i < row.size(); ++i) {
            const QLabel& label = *row[i];
            const QFontMetrics metrics = label.fontMetrics();
            const int textRight = label.x() + metrics.horizontalAdvance(label.text());
            SCOPED_TRACE(label.text().toStdString());
            EXPECT_LE(textRight, label.geometry().right() + 1) << "cut at the right";
            EXPECT_GE(label.height(), metrics.height()) << "descenders cut";
            if (i + 1 < row.size()) {
                // Half an em apart, where the characters of one word stand a pixel or two apart.
                EXPECT_GE(row[i + 1]->x() - textRight, label.fontInfo().pixelSize() / 2);
            }
        }
    });
}

}  // namespace
}  // namespace pomuru::test
