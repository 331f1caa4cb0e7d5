// The real Windows dialogs driven by keys under the system's own dialog manager, as a user's
// session: the templates' texts, the About box through the real system menu, both files chosen
// with the system's choosers, the run, files dropped by the shell on each box; then the program
// started with a file. The dialog's logic is tested on the fake window system
// (cipher_dlg_test.cpp).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "dialog/cipher_dlg.h"
#include "res/cipher_resources.h"
#include "res/dialog_templates.h"
#include "res/resource.h"
#include "test_support.h"
#include "windows/win32_ui_driver.h"

namespace pomuru::test {
namespace {

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

TEST(window, a_session_by_keys_from_the_about_box_to_a_run) {
    const TempDir dir;
    // Japanese names go through the wide functions unharmed.
    const std::string source = dir.File("変換前.bin");
    const std::string dest = dir.File("保存用.bin");
    const std::string dropped = dir.File("消えても良い.bin");
    WriteBytes(dropped, {1, 2});
    const Bytes content = SampleBytes(70000, 5);
    WriteBytes(source, content);
    // Where both choosers open when it exists; made for the test if need be.
    const std::filesystem::path myData = R"(c:\mydata)";
    const bool madeMyData = std::filesystem::create_directory(myData);

    CCipherDlg dlg;
    Window main = nullptr;
    Window other = nullptr;  // the chooser, the About box or the message box above it
    const auto mainReady = [&] {
        const std::vector<Window> dialogs = OpenDialogs();
        main = dialogs.size() == 1 &&
                       TextOf(dialogs[0]) ==
                           std::string(CipherResources().FindDialog(IDD_CIPHER_DIALOG)->caption)
                   ? dialogs[0]
                   : nullptr;
        if (main != nullptr && ActiveWindow() != main) {
            BringToFront(main);
        }
        return main != nullptr && ActiveWindow() == main;
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
                  Press(Key::Tab, 2);
                  Press(Key::Space);
              })
        .Then("the source chooser", otherOpen, choose(source))
        // Tab: the destination box, Tab: 保存用ファイルの設定.
        .Then("the source chosen", mainReady,
              [] {
                  Press(Key::Tab, 2);
                  Press(Key::Space);
              })
        .Then("the destination chooser", otherOpen, choose(dest))
        // 数値, ステップ, 開始場所, すべり, 乱数化.
        .Then("the destination chosen", mainReady,
              [&] {
                  for (const char* text : {"+77", "2", " 3", "-1"}) {
                      Press(Key::Tab);
                      Type(text);
                  }
                  Press(Key::Tab);
                  Press(Key::Space);
              })
        // An OK that another program sends during the run would end the dialog, and a file
        // the shell drops meanwhile would change a box: both ignored.
        .Then(
            "the settings typed", [&] { return TextOf(Item(main, IDC_SLIDE)) == "-1"; },
            [&] {
                PostDrop(main, IDC_SOURCE_PATH, {dropped});
                SendCommandDuringClick(main, IDC_RUN, IDOK);
            })
        .Then(
            "the run done",
            [&] {
                return TextOf(Item(main, IDC_VALUE)) == "77" &&
                       TextOf(main) ==
                           std::string(CipherResources().FindDialog(IDD_CIPHER_DIALOG)->caption);
            },
            [&] {
                EXPECT_EQ(TextOf(Item(main, IDC_SOURCE_PATH)), source);
                PostDrop(main, IDC_DEST_PATH, {dropped});
            })
        // A file dropped on the destination box is emptied after a yes (access key Y) only.
        .Then("the question before emptying", otherOpen, [] { Type("y"); })
        .Then(
            "the destination dropped",
            [&] { return mainReady() && TextOf(Item(main, IDC_DEST_PATH)) == dropped; },
            [&] { PostDrop(main, IDC_SOURCE_PATH, {dest}); })
        .Then(
            "the source dropped", [&] { return TextOf(Item(main, IDC_SOURCE_PATH)) == dest; },
            [] { Press(Key::Escape); });
    script.Start();
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    if (madeMyData) {
        std::filesystem::remove(myData);
    }
    ASSERT_TRUE(script.Finished()) << script.Failure();
    EXPECT_EQ(ReadBytes(dest), ReferenceConvert(content, {2, 77, 3, -1, true}));
    EXPECT_EQ(ReadBytes(dropped), Bytes{});
    // What Send to and a drop on the program's icon do: the program started with a file.
    const std::string caption(CipherDialogTemplate().caption);
    EXPECT_EQ(ControlTextOfProgram({source}, caption, IDC_SOURCE_PATH), source);
}

}  // namespace
}  // namespace pomuru::test
