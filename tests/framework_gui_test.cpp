// The framework at work: its start-up (Qt's Japanese texts, the template font, resources by id)
// and its dispatch in a running dialog, which reports errors under the application's name.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QFont>
#include <QFontInfo>
#include <QStringList>
#include <QTest>
#include <cerrno>
#include <string>

#include "framework/dialog.h"
#include "framework/file_exception.h"
#include "framework/win_app.h"
#include "modal_driver.h"
#include "res/resource.h"

namespace pomuru::test {
namespace {

TEST(start_up, loads_qt_japanese_texts) {
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"),
              QStringLiteral("キャンセル"));
}

TEST(start_up, template_font_falls_back_to_an_installed_japanese_gothic_face) {
    const QStringList standIns{"IPAPGothic", "IPAexGothic", "VL PGothic", "Noto Sans CJK JP",
                               "Source Han Sans JP"};
    const QString face = QFontInfo(QFont(QStringLiteral("ＭＳ Ｐゴシック"), 9)).family();
    EXPECT_TRUE(standIns.contains(face)) << face.toStdString();
}

TEST(start_up, strings_and_icons_load_by_resource_id) {
    std::string text = "unchanged";
    EXPECT_TRUE(AfxLoadString(IDS_ABOUTBOX, text));
    EXPECT_EQ(text, "ぽむるの暗号 のﾊﾞｰｼﾞｮﾝ情報(&A)...");
    text = "unchanged";
    EXPECT_FALSE(AfxLoadString(IDS_ABOUTBOX + 1000, text));
    EXPECT_EQ(text, "unchanged");
    ASSERT_NE(AfxGetApp(), nullptr);
    EXPECT_TRUE(AfxGetApp()->LoadIcon(IDR_MAINFRAME));
    EXPECT_FALSE(AfxGetApp()->LoadIcon(IDR_MAINFRAME + 1));
}

// The main dialog's template with a run button whose handler fails as a file probe does.
class CFailingDlg : public CDialog {
public:
    CFailingDlg() : CDialog(IDD_CIPHER_DIALOG) {}
    int m_nCalls = 0;

protected:
    void OnRun() {
        ++m_nCalls;
        throw CFileException(
            pomuru::FileError(pomuru::FileOperation::OpenRead, "/no/such/file", ENOENT));
    }

    static const MessageMap& GetThisMessageMap() {
        static const MessageMap messageMap{&CDialog::GetThisMessageMap(),
                                           {MessageEntry::Clicked(IDC_RUN, &CFailingDlg::OnRun)}};
        return messageMap;
    }
    const MessageMap& GetMessageMap() const override { return GetThisMessageMap(); }
};

TEST(dialog_dispatch, file_exception_from_a_handler_is_reported_and_the_dialog_goes_on) {
    CFailingDlg dlg;
    RunModal(dlg, [](QWidget& window) {
        const MessageBoxAnswerer answerer;
        auto* run = Control<QAbstractButton>(window, IDC_RUN);
        ASSERT_NE(run, nullptr);
        QTest::mouseClick(run, Qt::LeftButton);
        QTest::mouseClick(run, Qt::LeftButton);
        ASSERT_EQ(answerer.Boxes().size(), 2u);
        EXPECT_EQ(answerer.Boxes()[0].icon, QMessageBox::Critical);
        // Captioned with the application's name: the executable's, as none was given.
        EXPECT_EQ(answerer.Boxes()[0].title, QStringLiteral("dialog_test"));
        EXPECT_EQ(answerer.Boxes()[0].text,
                  QStringLiteral("ファイル「/no/such/file」を開けませんでした。\n"
                                 "ファイルまたはフォルダーが見つかりません。"));
        EXPECT_TRUE(window.isVisible());
    });
    EXPECT_EQ(dlg.m_nCalls, 2);
}

}  // namespace
}  // namespace pomuru::test
