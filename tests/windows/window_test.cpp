// The real Windows dialogs driven by keys under the system's own dialog manager: the texts of
// the templates, the system menu's About entry, a conversion set up through the file choosers,
// and a bad number.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "cipher/status_captions.h"
#include "dialog/cipher_dlg.h"
#include "framework/win_app.h"
#include "res/dialog_templates.h"
#include "res/resource.h"
#include "test_support.h"
#include "windows/win32_ui_driver.h"

namespace pomuru::test {
namespace {

// The open dialog whose caption is this text; nullptr when there is none.
Window DialogCaptioned(const std::string& caption) {
    for (const Window dialog : OpenDialogs()) {
        if (TextOf(dialog) == caption) {
            return dialog;
        }
    }
    return nullptr;
}

// Every control but the edit boxes, whose texts are the fields', shows its template's text.
void ExpectTemplateTexts(Window dialog, const DialogTemplate& dialogTemplate) {
    const std::vector<std::string> shown = ChildTexts(dialog);
    ASSERT_EQ(shown.size(), dialogTemplate.controls.size());
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const DialogControl& control = dialogTemplate.controls[i];
        if (control.kind != ControlKind::Edit) {
            EXPECT_EQ(shown[i], control.text) << "control " << i;
        }
    }
}

// The main dialog, up and taking the keys.
bool MainDialogReady(Window& dialog) {
    dialog = DialogCaptioned(kDialogCaption);
    if (dialog != nullptr && ActiveWindow() != dialog) {
        BringToFront(dialog);
    }
    return dialog != nullptr && ActiveWindow() == dialog;
}

TEST(window, shows_the_templates_texts_and_the_about_entry_in_the_real_system_menu) {
    CCipherDlg dlg;
    Window main = nullptr;
    const std::string aboutCaption(AboutDialogTemplate().caption);
    KeyScript script;
    script
        .Then(
            "the main dialog", [&] { return MainDialogReady(main); },
            [&] {
                ExpectTemplateTexts(main, CipherDialogTemplate());
                EXPECT_TRUE(HasTitleIcon(main));
                EXPECT_TRUE(IsCentredOn(main, WorkArea()));
                const std::vector<std::string> menu = SystemMenuTexts(main);
                ASSERT_GE(menu.size(), 2u);
                EXPECT_EQ(menu[menu.size() - 2], "");
                EXPECT_EQ(menu.back(), "ぽむるの暗号 のﾊﾞｰｼﾞｮﾝ情報(&A)...");
                PressAltSpace();
            })
        // The program's entry is the menu's last: Up from the first item reaches it.
        .Then("the system menu", IsMenuOpen,
              [] {
                  Press(Key::Up);
                  Press(Key::Enter);
              })
        .Then(
            "the About box", [&] { return DialogCaptioned(aboutCaption) != nullptr; },
            [&] {
                const Window box = DialogCaptioned(aboutCaption);
                ExpectTemplateTexts(box, AboutDialogTemplate());
                EXPECT_TRUE(IsCentredOn(box, FrameOf(main)));
                // The first control without an id is the icon.
                EXPECT_TRUE(HasPicture(Item(box, IDC_STATIC)));
                // OK is the default button.
                Press(Key::Enter);
            })
        .Then(
            "back to the main dialog", [&] { return MainDialogReady(main); },
            [] { Press(Key::Escape); });
    script.Start();
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_TRUE(script.Finished()) << script.Failure();
}

// A folder made for a test if it is not there yet, and removed again if so.
class FolderForTest {
public:
    explicit FolderForTest(std::filesystem::path path)
        : path_(std::move(path)), made_(std::filesystem::create_directory(path_)) {}
    ~FolderForTest() {
        std::error_code ignored;
        if (made_) {
            std::filesystem::remove(path_, ignored);
        }
    }
    FolderForTest(const FolderForTest&) = delete;
    FolderForTest& operator=(const FolderForTest&) = delete;

private:
    const std::filesystem::path path_;
    const bool made_;
};

std::string Lowercase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Tab from one box to the next, its text selected, and type over it.
void TabAndType(const std::string& text) {
    Press(Key::Tab);
    Type(text);
}

TEST(window, converts_files_chosen_and_numbers_typed_with_keys) {
    const TempDir dir;
    // Japanese names go through the wide functions unharmed.
    const std::string source = dir.File("変換前.bin");
    const std::string dest = dir.File("保存用.bin");
    const std::vector<std::uint8_t> content = SampleBytes(70000, 11);
    WriteBytes(source, content);
    // Where both choosers open when it exists.
    const FolderForTest myData(R"(c:\mydata)");

    CCipherDlg dlg;
    Window main = nullptr;
    Window chooser = nullptr;
    const auto chooserOpen = [&] {
        const std::vector<Window> dialogs = OpenDialogs();
        chooser = nullptr;
        for (const Window dialog : dialogs) {
            if (dialog != main) {
                chooser = dialog;
            }
        }
        return chooser != nullptr && ActiveWindow() == chooser;
    };
    const auto chooserClosed = [&] { return OpenDialogs().size() == 1 && ActiveWindow() == main; };
    KeyScript script;
    script
        // The focus starts in the source box; Tab, Tab: 変換前ファイルの設定.
        .Then(
            "the main dialog", [&] { return MainDialogReady(main); },
            [] {
                Press(Key::Tab);
                Press(Key::Tab);
                Press(Key::Space);
            })
        .Then("the source chooser", chooserOpen,
              [&] {
                  EXPECT_EQ(Lowercase(ChooserFolder(chooser)), R"(c:\mydata)");
                  Type(source);
                  Press(Key::Enter);
              })
        // Tab: the destination box, Tab: 保存用ファイルの設定.
        .Then("the source chosen", chooserClosed,
              [] {
                  Press(Key::Tab);
                  Press(Key::Tab);
                  Press(Key::Space);
              })
        .Then("the destination chooser", chooserOpen,
              [&] {
                  Type(dest);
                  Press(Key::Enter);
              })
        .Then("the destination chosen", chooserClosed,
              [&] {
                  EXPECT_EQ(TextOf(Item(main, IDC_SOURCE_PATH)), source);
                  EXPECT_EQ(TextOf(Item(main, IDC_DEST_PATH)), dest);
                  // 数値, ステップ, 開始場所, すべり, then tick 乱数化.
                  TabAndType("+77");
                  TabAndType("2");
                  TabAndType(" 3");
                  TabAndType("-1");
                  Press(Key::Tab);
                  Press(Key::Space);
                  // Round to the source box, then プログラム実行.
                  Press(Key::Tab);
                  Press(Key::Tab);
                  Press(Key::Enter);
              })
        .Then(
            "the run done",
            [&] { return TextOf(Item(main, IDC_VALUE)) == "77" && TextOf(main) == kDialogCaption; },
            [] { Press(Key::Escape); });
    script.Start();
    dlg.DoModal();
    ASSERT_TRUE(script.Finished()) << script.Failure();
    EXPECT_EQ(ReadBytes(dest), ReferenceConvert(content, CipherParams{2, 77, 3, -1, true}));
}

TEST(window, a_bad_number_gives_one_message_box_and_stops_the_run) {
    const TempDir dir;
    CCipherDlg dlg;
    dlg.m_strSource = dir.File("source.bin");
    dlg.m_strDest = dir.File("dest.bin");
    const std::vector<std::uint8_t> previous{'k', 'e', 'e', 'p'};
    WriteBytes(dlg.m_strSource, SampleBytes(100, 3));
    WriteBytes(dlg.m_strDest, previous);

    Window main = nullptr;
    std::vector<Window> boxesSeen;
    const auto boxOpen = [&] {
        for (const Window dialog : OpenDialogs()) {
            if (dialog != main &&
                std::find(boxesSeen.begin(), boxesSeen.end(), dialog) == boxesSeen.end()) {
                boxesSeen.push_back(dialog);
            }
        }
        return OpenDialogs().size() == 2;
    };
    KeyScript script;
    script
        // The value box, whose text the system's own integer reading would take as 12.
        .Then(
            "the main dialog", [&] { return MainDialogReady(main); },
            [] {
                Press(Key::Tab);
                Press(Key::Tab);
                Press(Key::Tab);
                Press(Key::Tab);
                Press(Key::Tab);
                Type("12a");
                // Round to プログラム実行.
                for (int i = 0; i < 6; ++i) {
                    Press(Key::Tab);
                }
                Press(Key::Enter);
            })
        .Then("the message box", boxOpen,
              [&] {
                  const Window box = boxesSeen.front();
                  EXPECT_EQ(TextOf(box), AfxGetApp()->AppName());
                  const std::vector<std::string> texts = ChildTexts(box);
                  EXPECT_NE(std::find(texts.begin(), texts.end(), "整数を入力してください。"),
                            texts.end());
                  Press(Key::Enter);
              })
        .Then(
            "the box closed", [&] { return !boxOpen() && ActiveWindow() == main; },
            [&] {
                const Window value = Item(main, IDC_VALUE);
                EXPECT_EQ(FocusedWindow(), value);
                EXPECT_TRUE(IsAllSelected(value));
                EXPECT_EQ(TextOf(main), kDialogCaption);
                Press(Key::Escape);
            });
    script.Start();
    dlg.DoModal();
    ASSERT_TRUE(script.Finished()) << script.Failure();
    EXPECT_EQ(boxesSeen.size(), 1u);
    EXPECT_EQ(ReadBytes(dlg.m_strDest), previous);
}

}  // namespace
}  // namespace pomuru::test
