// The real Windows dialogs driven by keys under the system's own dialog manager, as a user's
// session: the templates' texts, the About box through the real system menu, both files chosen
// with the system's choosers, a mistyped number, and the run.
#include <gtest/gtest.h>

#include <algorithm>
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

Window DialogCaptioned(const std::string& caption) {
    const std::vector<Window> dialogs = OpenDialogs();
    const auto found = std::find_if(dialogs.begin(), dialogs.end(),
                                    [&](Window dialog) { return TextOf(dialog) == caption; });
    return found != dialogs.end() ? *found : nullptr;
}

// Every control but the edit boxes, whose texts are the fields', shows its template's text.
void ExpectTemplateTexts(Window dialog, const DialogTemplate& dialogTemplate) {
    const std::vector<std::string> shown = ChildTexts(dialog);
    ASSERT_EQ(shown.size(), dialogTemplate.controls.size());
    for (std::size_t i = 0; i < shown.size(); ++i) {
        if (dialogTemplate.controls[i].kind != ControlKind::Edit) {
            EXPECT_EQ(shown[i], dialogTemplate.controls[i].text) << "control " << i;
        }
    }
}

void PressTimes(Key key, int times) {
    for (int i = 0; i < times; ++i) {
        Press(key);
    }
}

TEST(window, a_session_by_keys_from_the_about_box_to_a_run) {
    const TempDir dir;
    // Japanese names go through the wide functions unharmed.
    const std::string source = dir.File("変換前.bin");
    const std::string dest = dir.File("保存用.bin");
    const Bytes content = SampleBytes(70000, 11);
    WriteBytes(source, content);
    // Where both choosers open when it exists; made for the test if need be.
    const std::filesystem::path myData = R"(c:\mydata)";
    const bool madeMyData = std::filesystem::create_directory(myData);

    CCipherDlg dlg;
    Window main = nullptr;
    Window other = nullptr;  // the chooser, the About box or the message box above it
    const auto mainReady = [&] {
        main = DialogCaptioned(kDialogCaption);
        if (main != nullptr && ActiveWindow() != main) {
            BringToFront(main);
        }
        return main != nullptr && ActiveWindow() == main && OpenDialogs().size() == 1;
    };
    const auto otherOpen = [&] {
        other = ActiveWindow() != main && OpenDialogs().size() == 2 ? ActiveWindow() : nullptr;
        return other != nullptr;
    };
    const auto choose = [&](const std::string& path) {
        return [&, path] {
            EXPECT_TRUE(std::filesystem::equivalent(Utf8Path(ChooserFolder(other)), myData));
            Type(path);
            Press(Key::Enter);
        };
    };
    // Tab visits the controls in template order, and an edit box gets its text selected.
    KeyScript script;
    script
        .Then("the main dialog", mainReady,
              [&] {
                  ExpectTemplateTexts(main, CipherDialogTemplate());
                  EXPECT_TRUE(HasTitleIcon(main));
                  EXPECT_TRUE(IsCentredOn(main, nullptr));
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
        .Then("the About box", otherOpen,
              [&] {
                  EXPECT_EQ(TextOf(other), AboutDialogTemplate().caption);
                  ExpectTemplateTexts(other, AboutDialogTemplate());
                  EXPECT_TRUE(IsCentredOn(other, main));
                  // The first control without an id is the icon.
                  EXPECT_TRUE(HasPicture(Item(other, IDC_STATIC)));
                  Press(Key::Enter);  // OK is the default button
              })
        // The focus is back in the source box; Tab, Tab: 変換前ファイルの設定.
        .Then("back from the About box", mainReady,
              [] {
                  PressTimes(Key::Tab, 2);
                  Press(Key::Space);
              })
        .Then("the source chooser", otherOpen, choose(source))
        // Tab: the destination box, Tab: 保存用ファイルの設定.
        .Then("the source chosen", mainReady,
              [] {
                  PressTimes(Key::Tab, 2);
                  Press(Key::Space);
              })
        .Then("the destination chooser", otherOpen, choose(dest))
        // 数値 gets a text that the system's own integer reading would take as 12; then
        // ステップ, 開始場所, すべり, 乱数化, and round to プログラム実行.
        .Then("the destination chosen", mainReady,
              [&] {
                  EXPECT_EQ(TextOf(Item(main, IDC_SOURCE_PATH)), source);
                  EXPECT_EQ(TextOf(Item(main, IDC_DEST_PATH)), dest);
                  for (const char* text : {"12a", "2", " 3", "-1"}) {
                      Press(Key::Tab);
                      Type(text);
                  }
                  Press(Key::Tab);
                  Press(Key::Space);
                  PressTimes(Key::Tab, 2);
                  Press(Key::Enter);
              })
        .Then("the message box", otherOpen,
              [&] {
                  EXPECT_EQ(TextOf(other), AfxGetApp()->AppName());
                  const std::vector<std::string> texts = ChildTexts(other);
                  EXPECT_NE(std::find(texts.begin(), texts.end(), "整数を入力してください。"),
                            texts.end());
                  Press(Key::Enter);
              })
        // One message (a second would keep the main dialog waiting), the run stopped before
        // any file was touched, the bad box selected.
        .Then("the message box closed", mainReady,
              [&] {
                  EXPECT_TRUE(ReadBytes(dest).empty());
                  EXPECT_TRUE(IsFocusedWithAllSelected(Item(main, IDC_VALUE)));
                  Type("+77");
                  PressTimes(Key::Tab, 6);
                  Press(Key::Enter);
              })
        .Then(
            "the run done",
            [&] { return TextOf(Item(main, IDC_VALUE)) == "77" && TextOf(main) == kDialogCaption; },
            [] { Press(Key::Escape); });
    script.Start();
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    if (madeMyData) {
        std::filesystem::remove(myData);
    }
    ASSERT_TRUE(script.Finished()) << script.Failure();
    EXPECT_EQ(ReadBytes(dest), ReferenceConvert(content, CipherParams{2, 77, 3, -1, true}));
}

}  // namespace
}  // namespace pomuru::test
