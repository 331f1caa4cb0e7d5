// The two file choosers of the main dialog, driven through Qt's file dialog, and the run on the
// chosen files: emptying the destination, the source protected from being emptied, cancelling,
// probing, and what the chooser offers.
#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "base/file.h"
#include "framework/qt/file_chooser.h"
#include "modal_driver.h"
#include "res/resource.h"

namespace pomuru::test {
namespace {

namespace fs = std::filesystem;
using file_chooser = DialogTest;

// Presses a chooser button of the main dialog and answers the chooser with the steps.
void UseChooser(QWidget& window, int button, const std::function<void(QFileDialog&)>& steps) {
    const auto chooser = WindowAnswerer::Above<QFileDialog>(
        &window, [&](QWidget& chooser) { steps(static_cast<QFileDialog&>(chooser)); });
    ClickOn(window, button);
}

// Types the path into the chooser's file name box, as the user does, and confirms it with Enter.
void Choose(QWidget& window, int button, const std::string& path) {
    UseChooser(window, button, [&](QFileDialog& chooser) {
        auto* name = chooser.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        QTest::mouseClick(name, Qt::LeftButton);
        QTest::keyClicks(name, QString::fromStdString(path));
        QTest::keyClick(name, Qt::Key_Return);
    });
}

TEST_F(file_chooser, destination_is_emptied_and_converted_into_unless_it_is_the_source) {
    WriteBytes(dir_.File("existing.bin"), {1, 2, 3});
    fs::create_directory_symlink(dir_.Path(), dir_.Path() / "folder-link");
    fs::create_symlink(source_, dir_.Path() / "file-link");
    fs::create_hard_link(source_, dir_.Path() / "hard-link");
    const Bytes expected = ReferenceConvert(content_, {2, 77, 3, 0, true});
    ASSERT_NE(expected, ReferenceConvert(content_, {2, 77, 3, 0, false}));
    const std::pair<std::string, bool> rows[] = {{dir_.File("existing.bin"), false},
                                                 {dir_.File("new.bin"), false},
                                                 {source_, true},
                                                 {dir_.File("file-link"), true},
                                                 {dir_.File("hard-link"), true},
                                                 {dir_.File("folder-link/source.bin"), true}};
    for (const auto& [dest, isSource] : rows) {
        SCOPED_TRACE(dest);
        CCipherDlg dlg;
        RunModal(dlg, [&](QWidget& window) {
            Choose(window, IDC_CHOOSE_SOURCE, source_);
            Choose(window, IDC_CHOOSE_DEST, dest);
            EXPECT_EQ(ReadBytes(dest), isSource ? content_ : Bytes{});
            TypeInto(window, IDC_VALUE, "+77");
            TypeInto(window, IDC_STEP, "2");
            TypeInto(window, IDC_START, " 3");
            ClickOn(window, IDC_RANDOMIZE);
            // Back from the choosers, as a window manager would hand it back. Enter on the focused
            // run button presses it rather than OK. A close request that arrives while the run
            // lets the caption repaint is ignored; one after a run that did nothing is not.
            window.activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
            QTest::mouseClick(Control(window, IDC_SOURCE_PATH), Qt::LeftButton);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCoreApplication::postEvent(&window, new QCloseEvent);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QCoreApplication::sendPostedEvents();
            EXPECT_EQ(window.isVisible(), !isSource);
            // The boxes show the numbers as read back, in plain decimal; a run that returned
            // before doing anything read nothing back.
            EXPECT_EQ(TextOf(window, IDC_VALUE), isSource ? "+77" : "77");
            EXPECT_EQ(TextOf(window, IDC_START), isSource ? " 3" : "3");
        });
        EXPECT_EQ(ReadBytes(dest), isSource ? content_ : expected);
        EXPECT_EQ(ReadBytes(source_), content_);
        EXPECT_EQ(FieldsOf(dlg), source_ + "|" + dest + (isSource ? "|0|0|0|0" : "|2|77|3|0"));
    }
}

TEST_F(file_chooser, opens_in_mydata_and_cancel_clears_the_field_and_shows_the_stored_numbers) {
    dlg_.m_strSource = source_;
    dlg_.m_nStep = 3;
    RunModal(dlg_, [&](QWidget& window) {
        ASSERT_EQ(TextOf(window, IDC_SOURCE_PATH).toStdString(), source_);
        TypeInto(window, IDC_VALUE, "42");
        TypeInto(window, IDC_STEP, "x");
        UseChooser(window, IDC_CHOOSE_SOURCE, [&](QFileDialog& chooser) {
            // "c:\mydata" stands for the folder of that name in the home folder.
            EXPECT_EQ(QDir(chooser.directory()).absolutePath(), QDir::homePath() + "/mydata");
            // Four filters, shown by their labels; the first, chosen, matches every name.
            EXPECT_EQ(chooser.nameFilters().size(), 4);
            EXPECT_EQ(chooser.nameFilters().front(), QStringLiteral("全て(*.*) (*)"));
            auto* types = chooser.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            ASSERT_NE(types, nullptr);
            EXPECT_EQ(types->currentText(), QStringLiteral("全て(*.*)"));
            QPushButton* cancel =
                chooser.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel);
            EXPECT_EQ(cancel->text(), QStringLiteral("キャンセル"));
            QTest::mouseClick(cancel, Qt::LeftButton);
        });
        EXPECT_EQ(TextOf(window, IDC_SOURCE_PATH), "");
        // Typed numbers give way to the stored ones, bad or not.
        EXPECT_EQ(TextOf(window, IDC_VALUE), "0");
        EXPECT_EQ(TextOf(window, IDC_STEP), "3");
    });
}

TEST_F(file_chooser, file_that_cannot_be_had_is_reported_under_the_program_name_and_kept_whole) {
    const std::string missing = dir_.File("missing.bin"), busy = dir_.File("busy.bin");
    WriteBytes(busy, {1, 2, 3});
    File writer = File::OpenForWriting(busy);
    writer.LockExclusively();
    const struct {
        int button;
        std::string path, message;
    } rows[] = {
        {IDC_CHOOSE_SOURCE, missing,
         "ファイル「" + missing +
             "」を開けませんでした。\nファイルまたはフォルダーが見つかりません。"},
        {IDC_CHOOSE_DEST, busy, "ファイル「" + busy + "」は、別の変換が書き込み中です。"},
    };
    for (const auto& row : rows) {
        CCipherDlg dlg;
        dlg.m_strSource = "old source";
        dlg.m_strDest = "old destination";
        RunModal(dlg, [&](QWidget& window) {
            TypeInto(window, IDC_SOURCE_PATH, "typed");
            // Captioned with the application's name: the executable's, as none was given.
            EXPECT_EQ(MessagesShownWhile(&window, [&] { Choose(window, row.button, row.path); }),
                      QStringList{QString::fromStdString("dialog_test, stop: " + row.message)});
            // The command ended before its redisplay.
            EXPECT_EQ(TextOf(window, IDC_SOURCE_PATH), "typed");
        });
        EXPECT_EQ(FieldsOf(dlg), "old source|old destination|0|0|0|0");
    }
    EXPECT_EQ(ReadBytes(busy), (Bytes{1, 2, 3}));
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
