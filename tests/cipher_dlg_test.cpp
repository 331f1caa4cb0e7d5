// The main dialog on the framework's fake window system, as every platform runs it: the data
// exchange, OK and Cancel, the choosers, the run behind its button with the captions it shows,
// and the window menu.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/file.h"
#include "dialog/cipher_dlg.h"
#include "framework/control_label.h"
#include "framework/fake/fake_backend.h"
#include "framework/resource_module.h"
#include "framework/win_app.h"
#include "res/dialog_templates.h"
#include "res/resource.h"
#include "test_support.h"

namespace pomuru::test {
namespace {

using Script = std::function<void(afx_fake::Dialog&)>;
using Texts = std::vector<std::string>;

// The caption of the framework's message boxes: the application's name, here the executable's.
const std::string kApp = "fake: ";

std::string Caption(unsigned dialog) {
    return std::string(AfxGetResourceHandle()->FindDialog(dialog)->caption);
}

// Runs the dialog with the script; a dialog that opens above it runs `above`, which must
// happen if given. A dialog its script leaves open is cancelled.
int RunModal(CDialog& dlg, const Script& script, Script above = {}) {
    int opened = 0;
    afx_fake::SetScript([&](afx_fake::Dialog& window) {
        ASSERT_LT(opened, above ? 2 : 1) << "unexpected dialog " << window.Caption();
        (opened++ == 0 ? script : above)(window);
    });
    const int result = dlg.DoModal();
    afx_fake::SetScript({});
    EXPECT_EQ(opened, above ? 2 : 1);
    return result;
}

std::string NotFound(const std::string& path) {
    return "ファイル「" + path +
           "」を開けませんでした。\nファイルまたはフォルダーが見つかりません。";
}

std::string FieldsOf(const CCipherDlg& dlg) {
    return dlg.m_strSource + "|" + dlg.m_strDest + "|" + std::to_string(dlg.m_nStep) + "|" +
           std::to_string(dlg.m_nValue) + "|" + std::to_string(dlg.m_nStart) + "|" +
           std::to_string(dlg.m_nSlide);
}

class cipher_dlg : public testing::Test {
protected:
    cipher_dlg() { WriteBytes(source_, content_); }

    TempDir dir_;
    const std::string source_ = dir_.File("source.bin");
    const Bytes content_ = SampleBytes(3000, 11);
};

TEST_F(cipher_dlg, ok_reads_the_boxes_back_up_to_the_first_without_an_integer_cancel_reads_none) {
    const struct {
        int badBox;  // "12a" typed into it, or none
        int button;
        const char* fields;  // afterwards
    } rows[] = {
        {0, IDOK, "in|out|-5|7|12|-2147483648"},
        // The fields before the bad box take their boxes' values; it and those after do not.
        {IDC_STEP, IDOK, "in|out|3|-2147483648|0|9"},
        {IDC_START, IDOK, "in|out|-5|7|0|9"},
        {IDC_SLIDE, IDOK, "in|out|-5|7|12|9"},
        {0, IDCANCEL, "||3|-2147483648|0|9"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.fields);
        CCipherDlg dlg;
        dlg.m_nStep = 3;
        dlg.m_nValue = INT_MIN;
        dlg.m_nSlide = 9;
        const int result = RunModal(dlg, [&](afx_fake::Dialog& window) {
            // Shown in plain decimal; the focus in the first box.
            EXPECT_EQ(window.Text(IDC_VALUE), "-2147483648");
            EXPECT_EQ(window.Focus(), IDC_SOURCE_PATH);
            window.Type(IDC_SOURCE_PATH, "in");
            window.Type(IDC_DEST_PATH, "out");
            window.Type(IDC_STEP, "－５");  // as an input method types it
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
            EXPECT_EQ(window.Focus(), row.badBox == 0 ? IDC_SOURCE_PATH : row.badBox);
        });
        EXPECT_EQ(result, row.badBox == 0 ? row.button : IDCANCEL);
        EXPECT_EQ(FieldsOf(dlg), row.fields);
    }
}

TEST_F(cipher_dlg, choosers_take_the_path_after_a_probe_and_a_cancel_clears_the_field) {
    const std::string missing = dir_.File("missing.bin"), busy = dir_.File("busy.bin");
    const std::string existing = dir_.File("existing.bin"), link = dir_.File("link.bin");
    std::filesystem::create_hard_link(Utf8Path(source_), Utf8Path(link));
    WriteBytes(busy, {1, 2, 3});
    File writer = File::OpenForWriting(busy);
    writer.LockExclusively();
    const struct {
        int button;
        std::optional<std::string> choice;
        std::string shown;  // a failed probe ends the command before the redisplay
        Bytes chosenAfter;  // what the chosen file holds afterwards
        std::string message = "";
    } rows[] = {
        {IDC_CHOOSE_SOURCE, source_, source_, content_},
        {IDC_CHOOSE_SOURCE, std::nullopt, "", {}},
        {IDC_CHOOSE_SOURCE, missing, "typed", {}, NotFound(missing)},
        // The destination is created or emptied at once, unless it is the source under any name.
        {IDC_CHOOSE_DEST, existing, existing, {}},
        {IDC_CHOOSE_DEST, dir_.File("new.bin"), dir_.File("new.bin"), {}},
        {IDC_CHOOSE_DEST, link, link, content_},
        {IDC_CHOOSE_DEST,
         busy,
         "typed",
         {1, 2, 3},
         "ファイル「" + busy + "」は、別の変換が書き込み中です。"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.choice.value_or("cancel"));
        WriteBytes(existing, {1, 2, 3});
        CCipherDlg dlg;
        dlg.m_strSource = source_;
        dlg.m_nStep = 3;
        afx_fake::QueueChoice(row.choice);
        const int box = row.button == IDC_CHOOSE_SOURCE ? IDC_SOURCE_PATH : IDC_DEST_PATH;
        RunModal(dlg, [&](afx_fake::Dialog& window) {
            window.Type(box, "typed");
            window.Type(IDC_STEP, "x");
            window.Click(row.button);
            EXPECT_EQ(window.Text(box), row.shown);
            EXPECT_EQ(afx_fake::TakeMessages(),
                      row.message.empty() ? Texts{} : Texts{kApp + row.message});
            // A redisplay shows the stored numbers in place of typed ones, bad or not.
            EXPECT_EQ(window.Text(IDC_STEP), row.message.empty() ? "3" : "x");
        });
        if (row.choice && row.choice != missing) {
            EXPECT_EQ(ReadBytes(*row.choice), row.chosenAfter);
        }
    }
}

// Files dropped on the window, or named on the command line (taken as a drop on the source box
// once the window is up), are taken as the choosers take them; several, a folder or a busy file
// change nothing.
TEST_F(cipher_dlg, dropped_files_set_the_box_they_land_on_as_its_chooser_would_after_a_question) {
    const std::string dest = dir_.File("dest.bin"), other = dir_.File("other.bin");
    const std::string link = dir_.File("link.bin"), missing = dir_.File("missing.bin");
    const std::string folder = dir_.Path().string(), busy = dir_.File("busy.bin");
    std::filesystem::create_hard_link(Utf8Path(source_), Utf8Path(link));
    WriteBytes(busy, {1});
    File writer = File::OpenForWriting(busy);
    writer.LockExclusively();
    const std::string
        notWritable =
            "」を書き込み用に開けませんでした。\nファイルまたはフォルダーが見つかりません。",
        oneOnly = "ファイルは１つだけ指定してください。",
        question = "「" + other +
                   "」を保存用ファイルにすると、中身はすぐに消えます。\n"
                   "消えても良いファイルですか？";
    const int kCommandLine = -2;  // named on the command line
    const std::string before = source_ + "|" + dest, taken = other + "|" + dest;
    const struct {
        std::vector<std::string> files;
        int on;              // the control dropped on
        std::string fields;  // source|dest afterwards
        std::string message = "";
        bool yes = false;  // the answer to the question; unanswered, it is No
    } rows[] = {
        {{other}, IDC_SOURCE_PATH, taken},
        {{missing}, kCommandLine, before, NotFound(missing)},
        {{missing}, IDC_SOURCE_PATH, before, NotFound(missing)},
        {{folder},
         IDC_CHOOSE_DEST,
         before,
         "ファイル「" + folder + "」を開けませんでした。\nファイルではなくフォルダーです。"},
        {{other, dest}, IDC_SOURCE_PATH, before, oneOnly},
        // The destination box: emptied after a yes only; the source, under any name, never.
        {{other}, IDC_DEST_PATH, source_ + "|" + other, question, true},
        {{other}, IDC_DEST_PATH, before, question},
        {{link}, IDC_DEST_PATH, source_ + "|" + link},
        {{missing}, IDC_DEST_PATH, before, "ファイル「" + missing + notWritable},
        {{busy}, IDC_DEST_PATH, before, "ファイル「" + busy + "」は、別の変換が書き込み中です。"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.files.front() + " on " + std::to_string(row.on));
        WriteBytes(other, {7});
        CCipherDlg dlg;
        dlg.m_strSource = source_;
        dlg.m_strDest = dest;
        dlg.m_filesToOpen = row.on == kCommandLine ? row.files : Texts{};
        if (row.yes) {
            afx_fake::QueueAnswer(true);
        }
        RunModal(dlg, [&](afx_fake::Dialog& window) {
            window.Type(IDC_STEP, "x");
            if (row.on != kCommandLine) {
                window.Drop(row.on, row.files);
            }
            EXPECT_EQ(window.Text(IDC_SOURCE_PATH) + "|" + window.Text(IDC_DEST_PATH), row.fields);
            // A box taken is shown with a redisplay, as after a chooser.
            EXPECT_EQ(window.Text(IDC_STEP),
                      row.fields != before && row.on != kCommandLine ? "0" : "x");
            EXPECT_EQ(afx_fake::TakeMessages(),
                      row.message.empty() ? Texts{} : Texts{kApp + row.message});
        });
        EXPECT_EQ(dlg.m_strSource + "|" + dlg.m_strDest, row.fields);
        EXPECT_EQ(ReadBytes(other), row.yes ? Bytes{} : Bytes{7});
        EXPECT_EQ(ReadBytes(source_), content_);
    }
}

TEST_F(cipher_dlg, run_converts_with_the_numbers_typed_or_touches_nothing_lacking_two_files) {
    const std::string out = dir_.File("out.bin"), link = dir_.File("link.bin");
    const std::string missing = dir_.File("missing.bin");
    std::filesystem::create_hard_link(Utf8Path(source_), Utf8Path(link));
    const std::string own = Caption(IDD_CIPHER_DIALOG),
                      running = AfxFormatString(IDS_RUNNING_CAPTION),
                      wait = AfxFormatString(IDS_WAIT_CAPTION),
                      elsewhere = AfxFormatString(IDS_WAIT_ELSEWHERE_CAPTION);
    const std::string boxes(afx_fake::kBoxes);
    const Bytes old{9, 9}, converted = ReferenceConvert(content_, {2, 77, 3, 0, true});
    const std::string readFailed =
        "ファイル「/proc/self/mem」を読み込めませんでした。\n入出力エラーが発生しました。";
    // The progress beside the caption rises to the end and is cleared after it; after a failure
    // it is in its error state while the failure is reported.
    const std::string none = "progress none";
    const Texts ran{
        running, boxes, wait, "progress normal 0/1000", elsewhere, "progress normal 1000/1000",
        own,     none},
        failed{running, boxes, wait, "progress indeterminate", "progress error 0/1000", own, none};
    const struct {
        const char* name;
        std::string source, dest;  // the fields; the boxes hold the two files' paths
        const char* value;         // typed into its box
        Bytes outAfter;
        Texts shown = {};  // after the dialog's caption and the boxes filled at the start
        std::string message = "";
    } rows[] = {
        {"converts", source_, out, "+77", converted, ran},
        // Texts are compared before anything else, even a box without a number; one file under
        // two names is found on the open files, once the numbers have been checked; the source
        // is opened first.
        {"no paths", "", "", "x", old},
        {"no destination", source_, "", "x", old},
        {"no source", "", out, "x", old},
        {"equal texts", source_, source_, "x", old},
        {"a link to the source", source_, link, "77", old},
        {"a box without a number", source_, out, "x", old, {}, "整数を入力してください。"},
        {"missing source", missing, out, "77", old, {}, NotFound(missing)},
#ifdef __linux__
        // A read that fails is reported after the caption and leaves the destination empty:
        // reading a process's own memory at address 0 fails. Its size is not known.
        {"failed read", "/proc/self/mem", out, "77", {}, failed, readFailed},
#endif
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        WriteBytes(out, old);
        CCipherDlg dlg;
        dlg.m_strSource = row.source;
        dlg.m_strDest = row.dest;
        // A file dropped while the run draws its captions changes nothing.
        afx_fake::SetCaptionScript(
            [&](afx_fake::Dialog& window) { window.Drop(IDC_DEST_PATH, {link}); });
        RunModal(dlg, [&](afx_fake::Dialog& window) {
            window.Type(IDC_SOURCE_PATH, source_);
            window.Type(IDC_DEST_PATH, out);
            window.Type(IDC_VALUE, row.value);
            window.Type(IDC_STEP, "2");
            window.Type(IDC_START, " 3");
            window.Click(IDC_RANDOMIZE);
            window.Click(IDC_RUN);
            // The captions, and the redisplay of the numbers read back.
            Texts shown{own, boxes};
            shown.insert(shown.end(), row.shown.begin(), row.shown.end());
            EXPECT_EQ(window.Shown(), shown);
            EXPECT_EQ(afx_fake::TakeMessages(),
                      row.message.empty() ? Texts{} : Texts{kApp + row.message});
            // The boxes show the numbers as read back, in plain decimal; a run that returned
            // before opening both files read nothing back.
            EXPECT_EQ(window.Text(IDC_VALUE), row.shown.empty() ? row.value : "77");
        });
        afx_fake::SetCaptionScript({});
        EXPECT_EQ(ReadBytes(out), row.outAfter);
        EXPECT_EQ(ReadBytes(source_), content_);
    }
}

#ifndef _WIN32
TEST_F(cipher_dlg, wait_captions_take_turns_at_a_pace_a_person_can_follow) {
    // The source, a named pipe, arrives in three parts, each after a pause longer than a turn.
    const std::string in = dir_.File("in");
    ASSERT_EQ(::mkfifo(in.c_str(), 0600), 0);
    std::thread writer([&in] {
        std::ofstream out(in, std::ios::binary);
        for (const auto pause :
             {0 * kCaptionInterval, 2 * kCaptionInterval, 2 * kCaptionInterval}) {
            std::this_thread::sleep_for(pause);
            out << std::string(1000, 'x') << std::flush;
        }
    });
    CCipherDlg dlg;
    dlg.m_strSource = in;
    dlg.m_strDest = dir_.File("out");
    RunModal(dlg, [&](afx_fake::Dialog& window) {
        window.Click(IDC_RUN);
        const std::string own = Caption(IDD_CIPHER_DIALOG),
                          wait = AfxFormatString(IDS_WAIT_CAPTION);
        const std::string boxes(afx_fake::kBoxes);
        EXPECT_EQ(window.Shown(),
                  (Texts{own, boxes, AfxFormatString(IDS_RUNNING_CAPTION), boxes, wait,
                         "progress indeterminate", AfxFormatString(IDS_WAIT_ELSEWHERE_CAPTION),
                         wait, own, "progress none"}));
    });
    writer.join();
}
#endif

TEST_F(cipher_dlg, window_menu_opens_the_about_box_and_its_close_item_cancels) {
    CCipherDlg dlg;
    const auto main = [](afx_fake::Dialog& window) {
        EXPECT_EQ(window.WindowMenu(), (Texts{"-", AfxFormatString(IDS_ABOUTBOX)}));
        // The system may set the low four bits of the id it sends.
        window.SysCommand(IDM_ABOUTBOX | 0x3);
        EXPECT_FALSE(window.Ended());
        window.SysCommand(SC_CLOSE);
        EXPECT_TRUE(window.Ended());
    };
    const auto about = [](afx_fake::Dialog& box) {
        EXPECT_EQ(box.Caption(), Caption(IDD_ABOUTBOX));
        box.Click(IDOK);
        EXPECT_TRUE(box.Ended());
    };
    EXPECT_EQ(RunModal(dlg, main, about), IDCANCEL);
}

// What a screen reader speaks for each edit box: the label a sighted user reads above it, which
// the template lists after the box.
TEST(cipher_dialog_template, edit_boxes_are_named_after_the_labels_directly_above_them) {
    const DialogTemplate& dialog = CipherDialogTemplate();
    const std::pair<int, std::string_view> rows[] = {{IDC_SOURCE_PATH, "変換前ファイルの設定"},
                                                     {IDC_DEST_PATH, "保存用ファイル設定"},
                                                     {IDC_VALUE, "数値"},
                                                     {IDC_STEP, "ステップ"},
                                                     {IDC_START, "開始場所"},
                                                     {IDC_SLIDE, "すべり"}};
    for (const auto& [id, name] : rows) {
        const DialogControl* label =
            LabelAbove(dialog, *std::ranges::find(dialog.controls, id, &DialogControl::id));
        EXPECT_EQ(label != nullptr ? label->text : "(none)", name) << id;
    }
}

}  // namespace
}  // namespace pomuru::test
