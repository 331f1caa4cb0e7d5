// The file layer on Windows where the command line's table (cli_test.cpp), which runs the
// Windows program too, cannot reach: Windows' own pipes and 64-bit sizes.
#include <gtest/gtest.h>
// For a pipe of the system's own; the code under test keeps <windows.h> to itself.
#include <windows.h>

#include <cstdint>
#include <string>

#include "base/file.h"
#include "test_support.h"

namespace pomuru {
namespace {

using test::Bytes;
using test::ReadBytes;
using test::TempDir;

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
