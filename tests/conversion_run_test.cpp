// The run behind the run button, against a host that records every call.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "cipher/conversion_run.h"
#include "cipher/status_captions.h"
#include "reference_rule.h"
#include "temp_dir.h"

namespace pomuru {
namespace {

using test::ReadBytes;
using test::ReferenceConvert;
using test::SampleBytes;
using test::TempDir;
using test::WriteBytes;

class RecordingHost final : public ConversionHost {
public:
    ConversionFields fields;
    // What the boxes hold; a read-back copies it into the fields.
    ConversionFields boxes;
    bool randomize = false;
    bool numbersValid = true;
    std::vector<std::string> calls;
    std::vector<std::string> titles;
    std::vector<FileError> failures;

    ConversionFields Fields() const override { return fields; }
    void ReadBack() override {
        calls.push_back("ReadBack");
        fields = boxes;
    }
    void Redisplay() override {
        calls.push_back("Redisplay");
        boxes = fields;
    }
    void SetStatusTitle(const std::string& text) override {
        calls.push_back("Title");
        titles.push_back(text);
    }
    bool IsRandomizeChecked() const override { return randomize; }
    bool CheckNumbers() override {
        calls.push_back("CheckNumbers");
        return numbersValid;
    }
    void ReportFailure(const FileError& error) override {
        calls.push_back("ReportFailure");
        failures.push_back(error);
    }

    void SetPaths(const std::string& source, const std::string& dest) {
        fields.source = boxes.source = source;
        fields.dest = boxes.dest = dest;
    }
};

const std::vector<std::string> kCaptionsOfAShortRun = {kRunningCaption, kWaitCaption,
                                                       kWaitElsewhereCaption, kDialogCaption};

TEST(conversion_run, converts_with_the_numbers_read_back_and_shows_captions_in_order) {
    TempDir dir;
    const auto source = SampleBytes(300'000, 1);
    WriteBytes(dir.File("in"), source);
    RecordingHost host;
    host.SetPaths(dir.File("in"), dir.File("out"));
    // Typed into the boxes after the last read-back: the run must use these.
    host.boxes.step = 3;
    host.boxes.value = -77;
    host.boxes.start = 10;
    host.boxes.slide = 4;
    host.randomize = true;

    ConvertFile(host);

    EXPECT_EQ(ReadBytes(dir.File("out")),
              ReferenceConvert(source, CipherParams{3, -77, 10, 4, true}));
    EXPECT_EQ(host.titles, kCaptionsOfAShortRun);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"CheckNumbers", "Title", "ReadBack",
                                                    "Redisplay", "Title", "Title", "Title"}));
    EXPECT_TRUE(host.failures.empty());
}

TEST(conversion_run, empty_source_gives_empty_destination_and_every_caption) {
    TempDir dir;
    WriteBytes(dir.File("in"), {});
    RecordingHost host;
    host.SetPaths(dir.File("in"), dir.File("out"));
    ConvertFile(host);
    EXPECT_TRUE(std::filesystem::exists(dir.File("out")));
    EXPECT_EQ(std::filesystem::file_size(dir.File("out")), 0u);
    EXPECT_EQ(host.titles, kCaptionsOfAShortRun);
}

TEST(conversion_run, wait_captions_alternate_rather_than_follow_every_byte) {
    TempDir dir;
    WriteBytes(dir.File("in"), SampleBytes(8 << 20, 2));
    RecordingHost host;
    host.SetPaths(dir.File("in"), dir.File("out"));
    host.boxes.value = 1;
    ConvertFile(host);
    ASSERT_GE(host.titles.size(), 4u);
    EXPECT_LT(host.titles.size(), 1000u);
    EXPECT_EQ(host.titles.front(), kRunningCaption);
    EXPECT_EQ(host.titles.back(), kDialogCaption);
    for (std::size_t i = 1; i + 1 < host.titles.size(); ++i) {
        EXPECT_EQ(host.titles[i], i % 2 == 1 ? kWaitCaption : kWaitElsewhereCaption) << i;
    }
    EXPECT_EQ(std::filesystem::file_size(dir.File("out")), 8u << 20);
}

TEST(conversion_run, returns_silently_without_two_distinct_paths) {
    TempDir dir;
    WriteBytes(dir.File("in"), {1, 2, 3});
    std::filesystem::create_symlink(dir.File("in"), dir.File("link"));
    std::filesystem::create_hard_link(dir.File("in"), dir.File("hard"));
    // Texts are compared before anything else; one file under two names is found on the open
    // files, once the numbers have been checked.
    const std::vector<std::string> nothing, checkedOnly{"CheckNumbers"};
    const struct {
        const char* name;
        std::string source, dest;
        const std::vector<std::string>& calls;
    } cases[] = {
        {"no paths", "", "", nothing},
        {"no destination", dir.File("in"), "", nothing},
        {"no source", "", dir.File("out"), nothing},
        {"equal texts", dir.File("in"), dir.File("in"), nothing},
        {"symbolic link to the source", dir.File("in"), dir.File("link"), checkedOnly},
        {"hard link to the source", dir.File("hard"), dir.File("in"), checkedOnly},
        {"another spelling of the source", dir.File("in"), (dir.Path() / "." / "in").string(),
         checkedOnly},
    };
    for (const auto& c : cases) {
        RecordingHost host;
        host.SetPaths(c.source, c.dest);
        ConvertFile(host);
        EXPECT_EQ(host.calls, c.calls) << c.name;
        EXPECT_EQ(ReadBytes(dir.File("in")), (std::vector<std::uint8_t>{1, 2, 3})) << c.name;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("out")));
}

TEST(conversion_run, guard_uses_the_fields_not_the_boxes) {
    TempDir dir;
    WriteBytes(dir.File("in"), {1, 2, 3});
    RecordingHost host;
    host.boxes.source = dir.File("in");
    host.boxes.dest = dir.File("out");
    ConvertFile(host);
    EXPECT_TRUE(host.calls.empty());
    EXPECT_FALSE(std::filesystem::exists(dir.File("out")));
}

TEST(conversion_run, bad_number_ends_the_run_before_any_file_is_touched) {
    TempDir dir;
    WriteBytes(dir.File("in"), {1, 2, 3});
    WriteBytes(dir.File("out"), {9, 9});
    RecordingHost host;
    host.SetPaths(dir.File("in"), dir.File("out"));
    host.numbersValid = false;
    ConvertFile(host);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"CheckNumbers"}));
    EXPECT_EQ(ReadBytes(dir.File("out")), (std::vector<std::uint8_t>{9, 9}));
}

TEST(conversion_run, missing_source_is_reported_and_destination_left_alone) {
    TempDir dir;
    WriteBytes(dir.File("out"), {9, 9});
    RecordingHost host;
    host.SetPaths(dir.File("missing"), dir.File("out"));
    ConvertFile(host);
    ASSERT_EQ(host.failures.size(), 1u);
    EXPECT_EQ(host.failures[0].Operation(), FileOperation::OpenRead);
    EXPECT_EQ(host.failures[0].FileName(), dir.File("missing"));
    EXPECT_EQ(host.failures[0].SystemError(), ENOENT);
    EXPECT_STREQ(host.failures[0].what(),
                 ("cannot open '" + dir.File("missing") + "': No such file or directory").c_str());
    EXPECT_TRUE(host.titles.empty());
    EXPECT_EQ(ReadBytes(dir.File("out")), (std::vector<std::uint8_t>{9, 9}));
}

TEST(conversion_run, full_device_is_reported_and_caption_restored) {
    TempDir dir;
    WriteBytes(dir.File("in"), SampleBytes(1000, 3));
    RecordingHost host;
    host.SetPaths(dir.File("in"), "/dev/full");
    ConvertFile(host);
    ASSERT_EQ(host.failures.size(), 1u);
    EXPECT_EQ(host.failures[0].Operation(), FileOperation::Write);
    EXPECT_STREQ(host.failures[0].what(), "cannot write '/dev/full': No space left on device");
    EXPECT_EQ(host.titles.back(), kDialogCaption);
    EXPECT_EQ(host.calls.back(), "ReportFailure");
}

TEST(conversion_run, leaves_destination_empty_on_write_failure) {
    TempDir dir;
    WriteBytes(dir.File("in"), SampleBytes(2 << 20, 4));
    // A file size limit makes writes fail part way, as a full disk would.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 600'000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);

    RecordingHost host;
    host.SetPaths(dir.File("in"), dir.File("out"));
    ConvertFile(host);

    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, oldHandler);
    ASSERT_EQ(host.failures.size(), 1u);
    EXPECT_EQ(host.failures[0].Operation(), FileOperation::Write);
    EXPECT_EQ(host.failures[0].SystemError(), EFBIG);
    EXPECT_EQ(std::filesystem::file_size(dir.File("out")), 0u);
}

TEST(conversion_run, leaves_destination_empty_on_read_failure) {
    TempDir dir;
    // Reading a process's own memory at address 0 fails with an input/output error.
    RecordingHost host;
    host.SetPaths("/proc/self/mem", dir.File("out"));
    ConvertFile(host);
    ASSERT_EQ(host.failures.size(), 1u);
    EXPECT_EQ(host.failures[0].Operation(), FileOperation::Read);
    EXPECT_EQ(host.failures[0].SystemError(), EIO);
    EXPECT_EQ(std::filesystem::file_size(dir.File("out")), 0u);
    EXPECT_EQ(host.titles.back(), kDialogCaption);
}

}  // namespace
}  // namespace pomuru
