// The two file choosers of the main dialog, driven through Qt's file dialog: probing, creating
// and emptying files, cancelling, the source protected from being emptied, and what the
// chooser offers.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "dialog/cipher_dlg.h"
#include "modal_driver.h"
#include "reference_rule.h"
#include "res/resource.h"
#include "temp_dir.h"

namespace pomuru::test {
namespace {

namespace fs = std::filesystem;

// The home folder, where the choosers' "c:\mydata" lies, for the extent of a test.
class HomeScope {
public:
    explicit HomeScope(const fs::path& home) : previous_(qgetenv("HOME")) {
        qputenv("HOME", QFile::encodeName(QString::fromStdString(home.string())));
    }
    ~HomeScope() { qputenv("HOME", previous_); }
    HomeScope(const HomeScope&) = delete;
    HomeScope& operator=(const HomeScope&) = delete;

private:
    const QByteArray previous_;
};

QFileDialog* AsChooser(QWidget& window) {
    auto* chooser = qobject_cast<QFileDialog*>(&window);
    EXPECT_NE(chooser, nullptr) << "the window is no file chooser";
    return chooser;
}

// Types a name into the chooser's file name box, as the user does, and confirms it with Enter.
void TypeAndConfirm(QWidget& window, const QString& name) {
    QFileDialog* chooser = AsChooser(window);
    ASSERT_NE(chooser, nullptr);
    auto* box = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(box, nullptr);
    QTest::mouseClick(box, Qt::LeftButton);
    QTest::keyClicks(box, name);
    QTest::keyClick(box, Qt::Key_Return);
}

// Presses a chooser button of the main dialog and answers the chooser with the steps.
void UseChooser(QWidget& window, int button, const std::function<void(QWidget&)>& steps) {
    const auto answerer = WindowAnswerer::NextModal(window, steps);
    ClickOn(window, button);
    EXPECT_TRUE(answerer.Answered());
}

void Choose(QWidget& window, int button, const std::string& path) {
    UseChooser(window, button,
               [&](QWidget& chooser) { TypeAndConfirm(chooser, QString::fromStdString(path)); });
}

class file_chooser : public ::testing::Test {
protected:
    file_chooser() {
        fs::create_directories(home_ / "mydata");
        WriteBytes(source_, content_);
    }

    TempDir dir_;
    const fs::path home_ = dir_.Path() / "home";
    const HomeScope homeScope_{home_};
    const std::string source_ = dir_.File("source.bin");
    const std::vector<std::uint8_t> content_ = SampleBytes(3000, 11);
    CCipherDlg dlg_;
};

TEST_F(file_chooser, chosen_source_and_destination_are_converted_by_a_run) {
    const std::string dest = dir_.File("dest.bin");
    RunModal(dlg_, [&](QWidget& window) {
        Choose(window, IDC_CHOOSE_SOURCE, source_);
        Choose(window, IDC_CHOOSE_DEST, dest);
        EXPECT_EQ(TextOf(window, IDC_SOURCE_PATH).toStdString(), source_);
        EXPECT_EQ(TextOf(window, IDC_DEST_PATH).toStdString(), dest);
        TypeInto(window, IDC_VALUE, "5");
        ClickOn(window, IDC_RUN);
    });
    EXPECT_EQ(dlg_.m_strSource, source_);
    EXPECT_EQ(dlg_.m_strDest, dest);
    EXPECT_EQ(ReadBytes(dest), ReferenceConvert(content_, CipherParams{0, 5, 0, 0, false}));
    EXPECT_EQ(ReadBytes(source_), content_);
}

TEST_F(file_chooser, destination_is_created_or_emptied_at_once) {
    const std::string existing = dir_.File("existing.bin");
    WriteBytes(existing, {1, 2, 3});
    for (const std::string& dest : {existing, dir_.File("new.bin")}) {
        SCOPED_TRACE(dest);
        RunModal(dlg_, [&](QWidget& window) {
            // An open chooser that asked about overwriting would show a box.
            const MessageBoxAnswerer answerer;
            Choose(window, IDC_CHOOSE_DEST, dest);
            EXPECT_TRUE(answerer.Boxes().empty());
            ASSERT_TRUE(fs::exists(dest));
            EXPECT_EQ(fs::file_size(dest), 0u);
            EXPECT_EQ(TextOf(window, IDC_DEST_PATH).toStdString(), dest);
        });
        EXPECT_EQ(dlg_.m_strDest, dest);
    }
}

TEST_F(file_chooser, source_chosen_as_destination_under_any_name_stays_whole_and_is_not_run) {
    fs::create_directory_symlink(dir_.Path(), dir_.Path() / "folder-link");
    fs::create_symlink(source_, dir_.Path() / "file-link");
    fs::create_hard_link(source_, dir_.Path() / "hard-link");
    const std::string names[] = {
        source_,
        dir_.File("file-link"),
        dir_.File("hard-link"),
        (dir_.Path() / "folder-link" / "source.bin").string(),
    };
    for (const std::string& dest : names) {
        SCOPED_TRACE(dest);
        RunModal(dlg_, [&](QWidget& window) {
            Choose(window, IDC_CHOOSE_SOURCE, source_);
            Choose(window, IDC_CHOOSE_DEST, dest);
            EXPECT_EQ(ReadBytes(source_), content_);
            EXPECT_EQ(TextOf(window, IDC_DEST_PATH).toStdString(), dest);
            TypeInto(window, IDC_VALUE, "5");
            ClickOn(window, IDC_RUN);
            // Nothing was read back: the run returned before doing anything.
            EXPECT_EQ(TextOf(window, IDC_VALUE), "5");
        });
        EXPECT_EQ(ReadBytes(source_), content_);
        EXPECT_EQ(dlg_.m_strDest, dest);
    }
}

TEST_F(file_chooser, cancel_clears_the_field_and_its_box_and_numbers_show_the_stored_values) {
    struct Row {
        const char* name;
        int button;
        int box;
        std::string CCipherDlg::*field;
        bool escape;  // else the Cancel button
    };
    const Row rows[] = {
        {"source, Esc", IDC_CHOOSE_SOURCE, IDC_SOURCE_PATH, &CCipherDlg::m_strSource, true},
        {"destination, Cancel button", IDC_CHOOSE_DEST, IDC_DEST_PATH, &CCipherDlg::m_strDest,
         false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CCipherDlg dlg;
        dlg.*row.field = source_;
        dlg.m_nStep = 3;
        RunModal(dlg, [&](QWidget& window) {
            ASSERT_EQ(TextOf(window, row.box).toStdString(), source_);
            TypeInto(window, IDC_VALUE, "42");
            TypeInto(window, IDC_STEP, "x");
            UseChooser(window, row.button, [&](QWidget& chooser) {
                if (row.escape) {
                    QTest::keyClick(&chooser, Qt::Key_Escape);
                    return;
                }
                auto* buttons = chooser.findChild<QDialogButtonBox*>();
                ASSERT_NE(buttons, nullptr);
                QTest::mouseClick(buttons->button(QDialogButtonBox::Cancel), Qt::LeftButton);
            });
            EXPECT_EQ(TextOf(window, row.box), "");
            // Typed numbers give way to the stored ones, bad or not.
            EXPECT_EQ(TextOf(window, IDC_VALUE), "0");
            EXPECT_EQ(TextOf(window, IDC_STEP), "3");
        });
        EXPECT_EQ(dlg.*row.field, "");
        EXPECT_EQ(ReadBytes(source_), content_);
    }
}

TEST_F(file_chooser, missing_source_is_reported_once_and_every_field_kept) {
    const std::string missing = dir_.File("missing.bin");
    dlg_.m_strSource = "old source";
    dlg_.m_strDest = "old destination";
    RunModal(dlg_, [&](QWidget& window) {
        TypeInto(window, IDC_SOURCE_PATH, "typed");
        const MessageBoxAnswerer answerer;
        Choose(window, IDC_CHOOSE_SOURCE, missing);
        ASSERT_EQ(answerer.Boxes().size(), 1u);
        EXPECT_EQ(answerer.Boxes()[0].icon, QMessageBox::Critical);
        EXPECT_EQ(answerer.Boxes()[0].text.toStdString(),
                  "ファイル「" + missing +
                      "」を開けませんでした。\nファイルまたはフォルダーが見つかりません。");
        // The command ended before its redisplay.
        EXPECT_EQ(TextOf(window, IDC_SOURCE_PATH), "typed");
        EXPECT_TRUE(window.isVisible());
    });
    EXPECT_EQ(dlg_.m_strSource, "old source");
    EXPECT_EQ(dlg_.m_strDest, "old destination");
}

TEST_F(file_chooser, opens_in_mydata_with_the_four_filter_labels_as_given_and_the_first_chosen) {
    struct Row {
        int button;
        QString first;
    };
    const Row rows[] = {{IDC_CHOOSE_SOURCE, QStringLiteral("全て(*.*)")},
                        {IDC_CHOOSE_DEST, QStringLiteral("消えても良いファイル(*.*)")}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.first.toStdString());
        RunModal(dlg_, [&](QWidget& window) {
            UseChooser(window, row.button, [&](QWidget& window) {
                QFileDialog* chooser = AsChooser(window);
                ASSERT_NE(chooser, nullptr);
                EXPECT_EQ(QDir(chooser->directory()).absolutePath().toStdString(),
                          (home_ / "mydata").string());
                // The patterns added for Qt stay out of sight.
                auto* types = chooser->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
                ASSERT_NE(types, nullptr);
                QStringList labels;
                for (int i = 0; i < types->count(); ++i) {
                    labels << types->itemText(i);
                }
                EXPECT_EQ(labels, QStringList({row.first, QStringLiteral("ﾃｷｽﾄ(*.txt)"),
                                               QStringLiteral("ﾋﾞｯﾄﾏｯﾌﾟ(*.bmp)"),
                                               QStringLiteral("実行ファイル(*.exe)")}));
                EXPECT_EQ(types->currentIndex(), 0);
                QTest::keyClick(chooser, Qt::Key_Escape);
            });
        });
    }
}

}  // namespace
}  // namespace pomuru::test
