// The main dialog's window menu with its About entry, the About box, and the window icon.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <utility>

#include "dialog/cipher_dlg.h"
#include "framework/scoped_value.h"
#include "framework/win_app.h"
#include "modal_driver.h"
#include "res/icon_images.h"
#include "res/resource.h"

namespace pomuru::test {
namespace {

const QString kAboutEntry = QStringLiteral("ぽむるの暗号 のﾊﾞｰｼﾞｮﾝ情報(&A)...");

// The items' texts, "" for separators.
QStringList ItemTexts(QMenu& menu) {
    QStringList texts;
    for (const QAction* action : menu.actions()) {
        texts << (action->isSeparator() ? QString() : action->text());
    }
    return texts;
}

QAction* ItemWithText(QMenu& menu, const QString& text) {
    for (QAction* action : menu.actions()) {
        if (action->text() == text) {
            return action;
        }
    }
    ADD_FAILURE() << "no item " << text.toStdString();
    return nullptr;
}

void ExpectAboutBoxContents(QWidget& box, const QWidget& mainWindow) {
    EXPECT_EQ(box.windowTitle(), QStringLiteral("ぽむるの暗号について・・・"));
    QStringList texts;
    int icons = 0;
    for (const QLabel* label : box.findChildren<QLabel*>()) {
        if (!label->pixmap().isNull()) {
            ++icons;
            EXPECT_EQ(label->pixmap().size(), QSize(32, 32));
        } else {
            texts << label->text();
            EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()))
                << "cut off: " << label->text().toStdString();
        }
    }
    EXPECT_EQ(icons, 1);
    EXPECT_EQ(texts, QStringList({QStringLiteral("ぽむるの暗号 ver.2.0"),
                                  QStringLiteral("The ぽむるの暗号 developers"),
                                  QStringLiteral("2002 1/27 11:40")}));
    auto* ok = Control<QPushButton>(box, IDOK);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), "OK");
    EXPECT_TRUE(ok->isDefault());
    // 235 x 55 dialog units are 353 x 83 pixels at 96 dpi in the template's own face.
    EXPECT_NEAR(box.width(), 353, 353 * 0.2);
    EXPECT_NEAR(box.height(), 83, 83 * 0.1);
    const QPoint offset = box.geometry().center() - mainWindow.geometry().center();
    EXPECT_LE(offset.manhattanLength(), 2) << "not centred over the main dialog";
}

// A point of the dialog where no control lies.
QPoint EmptySpot(const QWidget& window) {
    return {window.width() - 3, window.height() - 3};
}

TEST(window_menu, about_entry_opens_the_about_box_which_closes_back_to_the_dialog) {
    using Step = std::function<void(QWidget&)>;
    struct Row {
        const char* name;
        Step open;    // on the main dialog
        Step choose;  // on the menu
        Step close;   // on the About box
    };
    const Row rows[] = {
        {"right click, Alt+A, OK",
         [](QWidget& window) {
             QTest::mouseClick(window.windowHandle(), Qt::RightButton, {}, EmptySpot(window));
         },
         [](QWidget& menu) { QTest::keyClick(&menu, Qt::Key_A, Qt::AltModifier); },
         [](QWidget& box) { ClickOn(box, IDOK); }},
        {"Menu key in an edit box, A, Esc",
         [](QWidget&) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Menu); },
         [](QWidget& menu) { QTest::keyClick(&menu, Qt::Key_A); },
         [](QWidget& box) { QTest::keyClick(&box, Qt::Key_Escape); }},
        {"Shift+F10, click, Enter",
         [](QWidget&) {
             QTest::keyClick(QApplication::focusWidget(), Qt::Key_F10, Qt::ShiftModifier);
         },
         [](QWidget& widget) {
             auto& menu = static_cast<QMenu&>(widget);
             QAction* about = ItemWithText(menu, kAboutEntry);
             ASSERT_NE(about, nullptr);
             QTest::mouseClick(&menu, Qt::LeftButton, {}, menu.actionGeometry(about).center());
         },
         [](QWidget&) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CCipherDlg dlg;
        // The main window, which the About box is centred over.
        const ScopedValue main(AfxGetApp()->m_pMainWnd, &dlg);
        RunModal(dlg, [&](QWidget& window) {
            QStringList items;
            const auto aboutBox = WindowAnswerer::NextModal(window, [&](QWidget& box) {
                ExpectAboutBoxContents(box, window);
                row.close(box);
            });
            const auto menu = WindowAnswerer::NextPopup([&](QWidget& popup) {
                ASSERT_NE(qobject_cast<QMenu*>(&popup), nullptr);
                items = ItemTexts(static_cast<QMenu&>(popup));
                row.choose(popup);
            });
            row.open(window);
            EXPECT_TRUE(menu.Answered());
            EXPECT_TRUE(aboutBox.Answered());
            // The program's entry comes last, after a separator.
            EXPECT_EQ(items, QStringList({QStringLiteral("閉じる(&C)"), QString(), kAboutEntry}));
            EXPECT_EQ(QApplication::activeModalWidget(), &window);
            EXPECT_TRUE(window.isVisible());
        });
    }
}

TEST(window_menu, about_command_is_recognised_whatever_its_low_four_bits) {
    CCipherDlg dlg;
    RunModal(dlg, [&](QWidget& window) {
        const auto aboutBox = WindowAnswerer::NextModal(
            window, [](QWidget& box) { QTest::keyClick(&box, Qt::Key_Escape); });
        // The system may set those bits in the id it sends.
        dlg.Dispatch(Message::SysCommand, 0, MessageArgs{IDM_ABOUTBOX | 0x3, 0});
        EXPECT_TRUE(aboutBox.Answered());
        EXPECT_TRUE(window.isVisible());
    });
}

TEST(window_icon, main_dialog_shows_the_program_icon_in_both_sizes) {
    CCipherDlg dlg;
    RunModal(dlg, [](QWidget& window) {
        // Each size shows its own image, not the other one scaled.
        for (const auto& [size, png] :
             {std::pair{16, MainframeIcon16()}, std::pair{32, MainframeIcon32()}}) {
            QImage expected;
            ASSERT_TRUE(expected.loadFromData(png.data(), static_cast<int>(png.size())));
            // Pixmaps hold premultiplied colours.
            EXPECT_EQ(window.windowIcon()
                          .pixmap(size, size)
                          .toImage()
                          .convertToFormat(QImage::Format_ARGB32_Premultiplied),
                      expected.convertToFormat(QImage::Format_ARGB32_Premultiplied))
                << size << " pixels";
        }
    });
}

}  // namespace
}  // namespace pomuru::test
