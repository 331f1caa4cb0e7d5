// The framework's file services without windows: the file probe's errors, the choosers' filter
// texts, and the folder that stands for a Windows initial directory.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "framework/file_exception.h"
#include "framework/file_filter.h"
#include "framework/qt/file_chooser.h"
#include "framework/stdio_file.h"
#include "temp_dir.h"

// Readable test output.
void PrintTo(const FileFilter& filter, std::ostream* out) {
    *out << filter.label << " [";
    for (const std::string& pattern : filter.patterns) {
        *out << ' ' << pattern;
    }
    *out << " ]";
}

namespace pomuru::test {
namespace {

namespace fs = std::filesystem;
using pomuru::FileOperation;

constexpr unsigned kRead = CFile::modeRead | CFile::typeBinary;
constexpr unsigned kCreate = CFile::modeCreate | CFile::modeWrite | CFile::typeBinary;

// The exception that opening throws; fails the test if it opens.
CFileException OpenFailure(const std::string& path, unsigned flags) {
    try {
        CStdioFile file(path, flags);
    } catch (const CFileException& e) {
        return e;
    }
    ADD_FAILURE() << path << " opened";
    return CFileException(pomuru::FileError(pomuru::FileOperation::OpenRead, path, 0));
}

TEST(stdio_file, folder_or_missing_path_fails_to_open_with_the_action_and_the_reason) {
    const TempDir dir;
    struct Row {
        const char* name;
        std::string path;
        unsigned flags;
        FileOperation operation;
        int error;
    };
    const Row rows[] = {
        // open() would give a folder for reading.
        {"folder for reading", dir.Path().string(), kRead, FileOperation::OpenRead, EISDIR},
        {"folder for writing", dir.Path().string(), kCreate, FileOperation::OpenWrite, EISDIR},
        {"file in a missing folder", dir.File("no-folder/new.bin"), kCreate,
         FileOperation::OpenWrite, ENOENT},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const CFileException e = OpenFailure(row.path, row.flags);
        EXPECT_EQ(e.Error().Operation(), row.operation);
        EXPECT_EQ(e.Error().SystemError(), row.error);
        EXPECT_EQ(e.Error().FileName(), row.path);
    }
}

TEST(file_filter, reads_pattern_lists_and_stops_at_the_end_or_an_unfinished_pair) {
    struct Row {
        const char* text;
        std::vector<FileFilter> filters;
    };
    const Row rows[] = {
        {"", {}},
        {"||", {}},
        {"Images|*.png;*.bmp|Text|*.txt||", {{"Images", {"*.png", "*.bmp"}}, {"Text", {"*.txt"}}}},
        {"A|*.a|", {{"A", {"*.a"}}}},
        {"A|*.a|B", {{"A", {"*.a"}}}},
        {"A|*.a|B|", {{"A", {"*.a"}}}},
        {"No pattern||", {{"No pattern", {}}}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ParseFileFilter(row.text), row.filters) << row.text;
    }
}

TEST(file_filter, qt_form_keeps_the_label_and_lets_star_dot_star_match_every_name) {
    struct Row {
        FileFilter filter;
        const char* qt;
    };
    const Row rows[] = {
        {{"全て(*.*)", {"*.*"}}, "全て(*.*) (*)"},
        {{"ﾃｷｽﾄ(*.txt)", {"*.txt"}}, "ﾃｷｽﾄ(*.txt) (*.txt)"},
        {{"Images", {"*.png", "*.bmp"}}, "Images (*.png *.bmp)"},
        {{"Empty", {}}, "Empty (*)"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(afx_qt::QtNameFilter(row.filter), row.qt);
    }
}

TEST(local_initial_dir, windows_folders_are_found_under_the_home_folder_or_fall_back_to_it) {
    const TempDir dir;
    const std::string home = dir.Path().string();
    fs::create_directories(dir.Path() / "mydata" / "sub");
    WriteBytes(dir.File("mydata/file.bin"), {1});
    const std::string mydata = dir.File("mydata");
    struct Row {
        std::string initialDir;
        std::string local;
    };
    const Row rows[] = {
        {R"(c:\mydata)", mydata},
        {R"(C:\mydata\)", mydata},
        {"c:/mydata/sub", dir.File("mydata/sub")},
        {R"(c:\)", home},
        {R"(c:\missing)", home},
        {R"(c:\mydata\file.bin)", home},
        {mydata, mydata},
        {"/no/such/folder", home},
        {"", ""},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(afx_qt::LocalInitialDir(row.initialDir, home), row.local) << row.initialDir;
    }
}

}  // namespace
}  // namespace pomuru::test
