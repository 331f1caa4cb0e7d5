// The file layer on Windows: reasons of failures, identity, 64-bit sizes, pipes. Conversions,
// names typed on the command line and the lock are in the command line's table (cli_test.cpp).
#include <gtest/gtest.h>
// For a pipe of the system's own; the code under test keeps <windows.h> to itself.
#include <windows.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "base/file.h"
#include "test_support.h"

namespace pomuru {
namespace {

using test::Bytes;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

Bytes ReadAll(File& file) {
    Bytes all;
    std::uint8_t buffer[1000];
    while (const std::size_t size = file.Read(buffer)) {
        all.insert(all.end(), buffer, buffer + size);
    }
    return all;
}

TEST(win32_file, standard_input_ends_where_a_pipe_is_closed) {
    // A pipe of Windows' own: the Linux pipes that Wine passes on end differently.
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    ASSERT_TRUE(::CreatePipe(&readEnd, &writeEnd, nullptr, 0));
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(writeEnd, "abc", 3, &written, nullptr));
    ::CloseHandle(writeEnd);
    const HANDLE saved = ::GetStdHandle(STD_INPUT_HANDLE);
    ::SetStdHandle(STD_INPUT_HANDLE, readEnd);
    File in = File::StandardInput();
    EXPECT_EQ(ReadAll(in), (Bytes{'a', 'b', 'c'}));
    ::SetStdHandle(STD_INPUT_HANDLE, saved);
    ::CloseHandle(readEnd);
}

TEST(win32_file, failures_name_the_file_and_the_reason) {
    const TempDir dir;
    std::filesystem::create_directory(dir.File("folder"));
    const struct {
        const char* name;
        bool forWriting;
        std::string path;
        int error;
    } cases[] = {
        {"folder as destination", true, dir.File("folder"), EISDIR},
        {"missing folder", true, dir.File("none\\out.bin"), ENOENT},
        {"name Windows forbids", true, dir.File("a|b.bin"), EINVAL},
        {"no UTF-8", true, dir.File("") + "\xFF.bin", EILSEQ},
    };
    for (const auto& c : cases) {
        try {
            c.forWriting ? File::OpenForWriting(c.path) : File::OpenForReading(c.path);
            ADD_FAILURE() << c.name << ": opened";
        } catch (const FileError& error) {
            EXPECT_EQ(error.FileName(), c.path) << c.name;
            EXPECT_EQ(error.SystemError(), c.error) << c.name;
            const std::string verb = c.forWriting ? "cannot create '" : "cannot open '";
            // The runtime's own words for the reason: Wine's differ from Windows' in places.
            EXPECT_EQ(error.what(), verb + Printable(c.path) + "': " + std::strerror(c.error))
                << c.name;
        }
    }
}

TEST(win32_file, identity_comes_from_the_open_files_not_the_names) {
    const TempDir dir;
    // Named in UTF-16, as Windows' own programs name files: read in the ANSI code page, the
    // name's UTF-8 spelling would be another name.
    ::CloseHandle(::CreateFileW((test::Utf8Path(dir.File("")) / L"日本語a.bin").c_str(),
                                GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    WriteBytes(dir.File("b.bin"), {1});
    std::filesystem::create_hard_link(test::Utf8Path(dir.File("日本語a.bin")),
                                      test::Utf8Path(dir.File("hard.bin")));
    const File a = File::OpenForReading(dir.File("日本語a.bin"));
    const struct {
        const char* name;
        std::string path;
        bool same;
    } cases[] = {
        // Windows has no inode numbers: identity from them would make any two files one.
        {"another file", dir.File("b.bin"), false},
        {"letter case", dir.File("日本語A.BIN"), true},
        {"dot segment", dir.File(".\\日本語a.bin"), true},
        {"forward slash", dir.File("") + "/日本語a.bin", true},
        {"hard link", dir.File("hard.bin"), true},
        {"missing file", dir.File("missing.bin"), false},
        {"its folder", dir.File(""), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsSameFile(a, c.path), c.same) << c.name;
    }
}

TEST(win32_file, sizes_and_cuts_go_past_4_gib_and_keep_the_position) {
    const TempDir dir;
    // Sparse on the Linux file systems under Wine; NTFS allocates the space.
    const std::int64_t beyond4GiB = (std::int64_t{1} << 32) + 3;
    File out = File::OpenForWriting(dir.File("big.bin"));
    out.Write(Bytes{1, 2, 3, 4, 5});
    out.Truncate(beyond4GiB);
    EXPECT_EQ(out.RegularFileSize(), beyond4GiB);
    out.Truncate(2);
    EXPECT_EQ(out.RegularFileSize(), 2);
    // As on POSIX, the next write goes where the last one ended, not to the new end.
    out.Write(Bytes{9});
    out.Close();
    EXPECT_EQ(ReadBytes(dir.File("big.bin")), (Bytes{1, 2, 0, 0, 0, 9}));
}

}  // namespace
}  // namespace pomuru
