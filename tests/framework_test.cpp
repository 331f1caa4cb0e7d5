// The framework's parts that need no window: integers in boxes, the dialog template's words,
// file-error wording, the look-up along the message maps, and the choosers' folder.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "base/integer_text.h"
#include "framework/dialog_template_writer.h"
#include "framework/file_exception.h"
#include "framework/message_map.h"
#include "test_support.h"

namespace pomuru::test {
namespace {

TEST(integer_text, reads_signed_decimal_integers_in_ascii_or_full_width_forms_with_blanks) {
    const std::pair<const char*, std::int32_t> valid[] = {
        {"-5", -5},
        {"+7", 7},
        {"  42\t", 42},
        {"-2147483648", INT32_MIN},
        {"００２１４７４８３６４７", INT32_MAX},  // full-width digits
        {"－４５", -45},                          // full-width minus
        {"−６", -6},                              // minus sign
        {"\u3000＋８\u3000", 8},                  // ideographic spaces
    };
    for (const auto& [text, value] : valid) {
        EXPECT_EQ(ParseInteger(text), value) << text;
    }
    for (const char* text : {"", "-", "1 2", "1.5", "0x10", "--1", "2147483648", "-2147483649",
                             "99999999999999999999", "１ ２", "①", "٣"}) {
        EXPECT_EQ(ParseInteger(text), std::nullopt) << text;
    }
}

TEST(dialog_template_writer, refuses_what_the_dialog_manager_would_read_otherwise) {
    using namespace std::string_view_literals;
    enum Outcome { Written, OutOfRange, InvalidText };
    const struct {
        const char* name;
        std::string_view caption;
        int pointSize;
        ControlKind kind;
        std::string_view text;
        int x;
        Outcome outcome;
    } rows[] = {
        {"edges of the fields", "a", 65535, ControlKind::Label, "b\xEF\xBF\xBF", -32768, Written},
        {"an icon's text is not written", "a", 0, ControlKind::Icon, "\xEF\xBF\xBF", 32767,
         Written},
        {"coordinate beyond 16 bits", "a", 9, ControlKind::Label, "b", 32768, OutOfRange},
        {"negative point size", "a", -1, ControlKind::Label, "b", 0, OutOfRange},
        {"point size beyond a word", "a", 65536, ControlKind::Label, "b", 0, OutOfRange},
        {"U+0000 would end the caption", "\0"sv, 9, ControlKind::Label, "b", 0, InvalidText},
        {"leading U+FFFF would make a resource number", "a", 9, ControlKind::PushButton,
         "\xEF\xBF\xBF", 0, InvalidText},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const DialogControl controls[] = {
            {.kind = row.kind, .id = 1, .text = row.text, .rect = {row.x, 0, 10, 10}}};
        DialogTemplate dialog;
        dialog.caption = row.caption;
        dialog.font = {"face", row.pointSize};
        dialog.controls = controls;
        switch (row.outcome) {
            case Written:
                EXPECT_NO_THROW(WriteDialogTemplate(dialog));
                break;
            case OutOfRange:
                EXPECT_THROW(WriteDialogTemplate(dialog), std::out_of_range);
                break;
            case InvalidText:
                EXPECT_THROW(WriteDialogTemplate(dialog), std::invalid_argument);
                break;
        }
    }
}

TEST(file_exception, names_the_file_and_the_reason_in_japanese_or_else_in_the_systems_words) {
    EXPECT_EQ(CFileException(FileError(FileOperation::OpenWrite, "/a", EISDIR)).GetErrorMessage(),
              "ファイル「/a」を書き込み用に開けませんでした。\nファイルではなくフォルダーです。");
    EXPECT_EQ(DescribeFileError(FileError(FileOperation::Read, "c", EXDEV)),
              "ファイル「c」を読み込めませんでした。\n" + std::string(std::strerror(EXDEV)) +
                  "（エラー番号 " + std::to_string(EXDEV) + "）");
}

TEST(message_map, nearest_class_entry_wins_and_base_entries_are_inherited) {
    const MessageMap base{nullptr, {{Message::Command, 1, {}}, {Message::Command, 2, {}}}};
    const MessageMap derived{&base, {{Message::Command, 1, {}}}};
    EXPECT_EQ(derived.Find(Message::Command, 1), &derived.entries[0]);
    EXPECT_EQ(derived.Find(Message::Command, 2), &base.entries[1]);
    EXPECT_EQ(derived.Find(Message::SysCommand, 2), nullptr);
}

}  // namespace
}  // namespace pomuru::test
