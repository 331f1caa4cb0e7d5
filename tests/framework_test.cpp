// The framework's parts that need no window: file-error wording and the look-up along the
// message maps. The integer reader and the template writer are checked by their fuzz targets.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "framework/file_exception.h"
#include "framework/message_map.h"

namespace pomuru::test {
namespace {

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
