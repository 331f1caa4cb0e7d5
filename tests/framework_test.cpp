// The framework's parts that need no window: file-error wording, the look-up along the message
// maps and the command line's arguments. The integer reader and the template writer are
// checked by their fuzz targets.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "framework/command_line_info.h"
#include "framework/file_exception.h"
#include "framework/message_map.h"
#include "framework/scoped_value.h"
#include "framework/win_app.h"

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

TEST(win_app, command_line_arguments_go_in_turn_to_parse_param_the_first_name_is_the_file) {
    struct Recorder final : CCommandLineInfo {
        std::string seen;
        void ParseParam(const std::string& param, bool bFlag, bool bLast) override {
            seen += (bFlag ? "flag " : "name ") + param + (bLast ? "." : ", ");
            CCommandLineInfo::ParseParam(param, bFlag, bLast);
        }
    } info;
    const ScopedValue arguments(AfxGetApp()->m_arguments,
                                std::vector<std::string>{"-x", "/a b", "-", "c"});
    AfxGetApp()->ParseCommandLine(info);
    EXPECT_EQ(info.seen, "flag x, name /a b, name -, name c.");
    EXPECT_EQ(info.m_strFileName, "/a b");
    EXPECT_EQ(info.m_nShellCommand, CCommandLineInfo::FileOpen);
}

}  // namespace
}  // namespace pomuru::test
