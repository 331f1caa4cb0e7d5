// The framework's parts that need no window: integers in boxes, file-error wording, and the
// look-up along the message maps.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <string>

#include "framework/cmd_target.h"
#include "framework/file_exception.h"
#include "framework/integer_text.h"

namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

TEST(integer_text, reads_signed_decimal_integers_with_blanks_around) {
    struct Row {
        const char* text;
        std::int32_t value;
    };
    const Row rows[] = {
        {"0", 0},
        {"-5", -5},
        {"+7", 7},
        {"  42\t", 42},
        {"007", 7},
        {"-0", 0},
        {"2147483647", kMax},
        {"-2147483648", kMin},
        {"００２１４７４８３６４７", kMax},  // full-width digits
        {"－４５", -45},                     // full-width minus
        {"−６", -6},                         // minus sign
        {"＋９", 9},
        {"\u3000８\u3000", 8},  // ideographic spaces
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ParseInteger(row.text), std::optional<std::int32_t>(row.value)) << row.text;
    }
}

TEST(integer_text, rejects_everything_else) {
    const char* const rows[] = {
        "",      " ",   "-",   "+",   "1 2",        "1.5",         "0x10",
        "12a",   "--1", "+-1", "1-",  "2147483648", "-2147483649", "99999999999999999999",
        "１ ２", "①",   "٣",   "1e3",
    };
    for (const char* text : rows) {
        EXPECT_EQ(ParseInteger(text), std::nullopt) << text;
    }
}

TEST(file_exception, names_the_file_and_the_reason_in_japanese) {
    using pomuru::FileError;
    using pomuru::FileOperation;
    const CFileException e(FileError(FileOperation::OpenRead, "/tmp/a.bin", ENOENT));
    EXPECT_EQ(
        e.GetErrorMessage(),
        "ファイル「/tmp/a.bin」を開けませんでした。\nファイルまたはフォルダーが見つかりません。");
    EXPECT_EQ(DescribeFileError(FileError(FileOperation::Write, "b", ENOSPC)),
              "ファイル「b」に書き込めませんでした。\nディスクの空き容量が足りません。");
    // Numbers without a Japanese text keep the system's words and the number.
    EXPECT_EQ(DescribeFileError(FileError(FileOperation::Read, "c", EXDEV)),
              "ファイル「c」を読み込めませんでした。\n" + std::string(std::strerror(EXDEV)) +
                  "（エラー番号 " + std::to_string(EXDEV) + "）");
}

class CBaseTarget : public CCmdTarget {
public:
    std::string m_strCalled;
    void OnFirst() { m_strCalled = "base first"; }
    void OnSecond() { m_strCalled = "base second"; }

protected:
    static const MessageMap& GetThisMessageMap() {
        static const MessageMap messageMap{&CCmdTarget::GetThisMessageMap(),
                                           {MessageEntry::Command(1, &CBaseTarget::OnFirst),
                                            MessageEntry::Command(2, &CBaseTarget::OnSecond)}};
        return messageMap;
    }
    const MessageMap& GetMessageMap() const override { return GetThisMessageMap(); }
};

class CDerivedTarget : public CBaseTarget {
public:
    void OnFirstAgain() { m_strCalled = "derived first"; }

protected:
    static const MessageMap& GetThisMessageMap() {
        static const MessageMap messageMap{
            &CBaseTarget::GetThisMessageMap(),
            {MessageEntry::Clicked(1, &CDerivedTarget::OnFirstAgain)}};
        return messageMap;
    }
    const MessageMap& GetMessageMap() const override { return GetThisMessageMap(); }
};

TEST(message_map, nearest_class_entry_wins_and_base_entries_are_inherited) {
    CDerivedTarget target;
    EXPECT_TRUE(target.OnCmdMsg(Message::Command, 1));
    EXPECT_EQ(target.m_strCalled, "derived first");
    EXPECT_TRUE(target.OnCmdMsg(Message::Command, 2));
    EXPECT_EQ(target.m_strCalled, "base second");
    target.m_strCalled.clear();
    EXPECT_FALSE(target.OnCmdMsg(Message::Command, 3));
    EXPECT_EQ(target.m_strCalled, "");
}

}  // namespace
