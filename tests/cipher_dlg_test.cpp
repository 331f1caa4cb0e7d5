// The main dialog on the framework's fake window system, as every platform runs it: the data
// exchange, OK and Cancel, the choosers, the run with its captions, and the window menu.
#include <gtest/gtest.h>

#include <climits>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/file.h"
#include "dialog/cipher_dlg.h"
#include "framework/fake/fake_backend.h"
#include "framework/resource_module.h"
#include "framework/win_app.h"
#include "res/resource.h"
#include "test_support.h"

namespace pomuru::test {
namespace {

using Script = std::function<void(afx_fake::Dialog&)>;
using Texts = std::vector<std::string>;

// The caption of the framework's message boxes: the application's name, here the executable's.
const std::string kApp = "fake: ";

std::string Text(unsigned id) {
    std::string text;
    AfxLoadString(id, text);
    return text;
}

std::string TemplateCaption(unsigned id) {
    return std::string(AfxGetResourceHandle()->FindDialog(id)->caption);
}

// Runs the dialog; each dialog that opens, this one or one above it, runs the next script. A
// dialog its script leaves open is cancelled.
int RunScripts(CDialog& dlg, std::deque<Script> scripts) {
    afx_fake::SetScript([&scripts](afx_fake::Dialog& window) {
        ASSERT_FALSE(scripts.empty()) << "unexpected dialog " << window.Caption();
        const Script script = std::move(scripts.front());
        scripts.pop_front();
        script(window);
    });
    const int result = dlg.DoModal();
    afx_fake::SetScript({});
    EXPECT_TRUE(scripts.empty()) << "a dialog did not open";
    return result;
}

std::string FieldsOf(const CCipherDlg& dlg) {
    return dlg.m_strSource + "|" + dlg.m_strDest + "|" + std::to_string(dlg.m_nStep) + "|" +
           std::to_string(dlg.m_nValue) + "|" + std::to_string(dlg.m_nStart) + "|" +
           std::to_string(dlg.m_nSlide);
}

class cipher_dlg : public testing::Test {
protected:
    cipher_dlg() {
        WriteBytes(source_, content_);
        afx_fake::TakeMessages();
    }

    TempDir dir_;
    const std::string source_ = dir_.File("source.bin");
    const Bytes content_ = SampleBytes(3000, 11);
};

TEST_F(cipher_dlg, ok_reads_the_boxes_back_up_to_the_first_without_an_integer_cancel_reads_none) {
    const struct {
        const char* name;
        int badBox;  // typed "12a" into it, or none
        int button;
        int result;
        const char* fields;  // afterwards
    } rows[] = {
        {"OK", 0, IDOK, IDOK, "in|out|-5|7|12|-2147483648"},
        // The fields before the bad box take their boxes' values; it and those after do not.
        {"no integer in the first number box", IDC_STEP, IDOK, IDCANCEL,
         "in|out|3|-2147483648|0|9"},
        {"no integer in a middle box", IDC_START, IDOK, IDCANCEL, "in|out|-5|7|0|9"},
        {"no integer in the last box", IDC_SLIDE, IDOK, IDCANCEL, "in|out|-5|7|12|9"},
        {"Cancel", 0, IDCANCEL, IDCANCEL, "||3|-2147483648|0|9"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CCipherDlg dlg;
        dlg.m_nStep = 3;
        dlg.m_nValue = INT_MIN;
        dlg.m_nSlide = 9;
        const int result = RunScripts(
            dlg, {[&](afx_fake::Dialog& window) {
                // Shown in plain decimal; the focus in the first box.
                EXPECT_EQ(window.Text(IDC_VALUE), "-2147483648");
                EXPECT_EQ(window.Focus(), IDC_SOURCE_PATH);
                window.Type(IDC_SOURCE_PATH, "in");
                window.Type(IDC_DEST_PATH, "out");
                window.Type(IDC_STEP, "-5");
                window.Type(IDC_VALUE, "\u3000＋７ ");
                window.Type(IDC_START, "0012");
                window.Type(IDC_SLIDE, "-2147483648");
                if (row.badBox != 0) {
                    window.Type(row.badBox, "12a");
                }
                window.Click(row.button);
                EXPECT_EQ(window.Ended(), row.badBox == 0);
                EXPECT_EQ(afx_fake::TakeMessages(),
                          row.badBox == 0 ? Texts{} : Texts{kApp + "整数を入力してください。"});
                if (row.badBox != 0) {
                    EXPECT_EQ(window.Focus(), row.badBox);
                }
            }});
        EXPECT_EQ(result, row.result);
        EXPECT_EQ(FieldsOf(dlg), row.fields);
    }
}

TEST_F(cipher_dlg, choosers_take_the_chosen_path_after_a_probe_or_clear_the_field_on_cancel) {
    const std::string missing = dir_.File("missing.bin"), busy = dir_.File("busy.bin");
    WriteBytes(busy, {1, 2, 3});
    File writer = File::OpenForWriting(busy);
    writer.LockExclusively();
    const struct {
        int button, box;
        std::optional<std::string> choice;
        std::string shown, message;  // a failed probe ends the command before the redisplay
    } rows[] = {
        {IDC_CHOOSE_SOURCE, IDC_SOURCE_PATH, source_, source_, ""},
        {IDC_CHOOSE_SOURCE, IDC_SOURCE_PATH, std::nullopt, "", ""},
        {IDC_CHOOSE_DEST, IDC_DEST_PATH, std::nullopt, "", ""},
        {IDC_CHOOSE_SOURCE, IDC_SOURCE_PATH, missing, "typed",
         "ファイル「" + missing +
             "」を開けませんでした。\nファイルまたはフォルダーが見つかりません。"},
        {IDC_CHOOSE_DEST, IDC_DEST_PATH, busy, "typed",
         "ファイル「" + busy + "」は、別の変換が書き込み中です。"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.choice.value_or("cancel"));
        CCipherDlg dlg;
        dlg.m_nStep = 3;
        afx_fake::QueueChoice(row.choice);
        RunScripts(dlg, {[&](afx_fake::Dialog& window) {
                       window.Type(row.box, "typed");
                       window.Type(IDC_STEP, "x");
                       window.Click(row.button);
                       EXPECT_EQ(window.Text(row.box), row.shown);
                       EXPECT_EQ(afx_fake::TakeMessages(),
                                 row.message.empty() ? Texts{} : Texts{kApp + row.message});
                       // A redisplay shows the stored numbers in place of typed ones, bad or not.
                       EXPECT_EQ(window.Text(IDC_STEP), row.message.empty() ? "3" : "x");
                   }});
    }
    EXPECT_EQ(ReadBytes(busy), (Bytes{1, 2, 3}));
}

TEST_F(cipher_dlg, destination_chosen_is_emptied_and_run_into_unless_it_is_the_source) {
    WriteBytes(dir_.File("existing.bin"), {1, 2, 3});
    std::filesystem::create_hard_link(Utf8Path(source_), Utf8Path(dir_.File("hard-link")));
    const std::string running = Text(IDS_RUNNING_CAPTION), wait = Text(IDS_WAIT_CAPTION),
                      elsewhere = Text(IDS_WAIT_ELSEWHERE_CAPTION),
                      own = TemplateCaption(IDD_CIPHER_DIALOG);
    const Bytes expected = ReferenceConvert(content_, {2, 77, 3, 0, true});
    const std::pair<std::string, bool> rows[] = {
        {dir_.File("existing.bin"), false},
        {dir_.File("new.bin"), false},
        {source_, true},
        {dir_.File("hard-link"), true},
    };
    for (const auto& [dest, isSource] : rows) {
        SCOPED_TRACE(dest);
        CCipherDlg dlg;
        afx_fake::QueueChoice(source_);
        afx_fake::QueueChoice(dest);
        RunScripts(dlg, {[&](afx_fake::Dialog& window) {
                       window.Click(IDC_CHOOSE_SOURCE);
                       window.Click(IDC_CHOOSE_DEST);
                       EXPECT_EQ(ReadBytes(dest), isSource ? content_ : Bytes{});
                       window.Type(IDC_VALUE, "+77");
                       window.Type(IDC_STEP, "2");
                       window.Type(IDC_START, " 3");
                       window.Click(IDC_RANDOMIZE);
                       window.Click(IDC_RUN);
                       // A run that did nothing read nothing back.
                       EXPECT_EQ(window.Text(IDC_VALUE), isSource ? "+77" : "77");
                       EXPECT_EQ(
                           window.Captions(),
                           (isSource ? Texts{own} : Texts{own, running, wait, elsewhere, own}));
                   }});
        EXPECT_EQ(ReadBytes(dest), isSource ? content_ : expected);
        EXPECT_EQ(ReadBytes(source_), content_);
        EXPECT_EQ(afx_fake::TakeMessages(), Texts{});
    }
}

TEST_F(cipher_dlg, window_menu_opens_the_about_box_and_its_close_item_cancels) {
    CCipherDlg dlg;
    const int result =
        RunScripts(dlg, {[&](afx_fake::Dialog& window) {
                             EXPECT_EQ(window.WindowMenu(), (Texts{"-", Text(IDS_ABOUTBOX)}));
                             // The system may set the low four bits of the id it sends.
                             window.SysCommand(IDM_ABOUTBOX | 0x3);
                             EXPECT_FALSE(window.Ended());
                             // The window menu's other items get the framework's processing.
                             window.SysCommand(SC_CLOSE);
                             EXPECT_TRUE(window.Ended());
                         },
                         [](afx_fake::Dialog& about) {
                             EXPECT_EQ(about.Caption(), TemplateCaption(IDD_ABOUTBOX));
                             about.Click(IDOK);
                             EXPECT_TRUE(about.Ended());
                         }});
    EXPECT_EQ(result, IDCANCEL);
}

}  // namespace
}  // namespace pomuru::test
