// The run behind the run button, against a host that records every call.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "cipher/conversion_run.h"
#include "test_support.h"

namespace pomuru::test {
namespace {

using Calls = std::vector<std::string>;

// The run shows whichever captions its host hands it.
const std::string kRunningCaption = "running";
const std::string kWaitCaption = "wait";
const std::string kWaitElsewhereCaption = "wait elsewhere";
const std::string kDialogCaption = "dialog";
const RunCaptions kCaptions{kRunningCaption, kWaitCaption, kWaitElsewhereCaption, kDialogCaption};

// Records the host operations in order: captions by their text, failures by their message.
class RecordingHost final : public ConversionHost {
public:
    ConversionFields fields;
    ConversionFields boxes;  // what the boxes hold; a read-back copies it into the fields
    bool numbersValid = true;
    Calls calls;

    RecordingHost(const std::string& source, const std::string& dest)
        : fields{source, dest}, boxes{source, dest} {}
    ConversionFields Fields() const override { return fields; }
    void ReadBack() override {
        calls.push_back("ReadBack");
        fields = boxes;
    }
    void Redisplay() override { calls.push_back("Redisplay"); }
    void SetStatusTitle(const std::string& text) override { calls.push_back(text); }
    bool IsRandomizeChecked() const override { return true; }
    bool CheckNumbers() override {
        calls.push_back("CheckNumbers");
        return numbersValid;
    }
    void ReportFailure(const FileError& error) override {
        calls.push_back("ReportFailure: " + std::string(error.what()));
    }
};

TEST(conversion_run, converts_with_the_numbers_read_back_and_shows_captions_in_order) {
    for (const std::size_t size : {300'000, 0}) {
        SCOPED_TRACE(size);
        TempDir dir;
        const Bytes source = SampleBytes(size, 1);
        WriteBytes(dir.File("in"), source);
        RecordingHost host(dir.File("in"), dir.File("out"));
        // Typed into the boxes after the last read-back: the run must use these.
        host.boxes = {dir.File("in"), dir.File("out"), 3, -77, 10, 4};

        ConvertFile(host, kCaptions);

        EXPECT_EQ(
            ReadBytes(dir.File("out")),
            ReferenceConvert(
                source, {.step = 3, .value = -77, .start = 10, .slide = 4, .randomize = true}));
        EXPECT_EQ(host.calls, (Calls{"CheckNumbers", kRunningCaption, "ReadBack", "Redisplay",
                                     kWaitCaption, kWaitElsewhereCaption, kDialogCaption}));
    }
}

#ifndef _WIN32
// A source that keeps the run waiting: a named pipe.
TEST(conversion_run, wait_captions_take_turns_at_a_pace_a_person_can_follow) {
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.File("in").c_str(), 0600), 0);
    // The source arrives in three parts, each after a pause longer than a turn.
    std::thread writer([&dir] {
        std::ofstream out(dir.File("in"), std::ios::binary);
        for (const auto pause :
             {0 * kCaptionInterval, 2 * kCaptionInterval, 2 * kCaptionInterval}) {
            std::this_thread::sleep_for(pause);
            out << std::string(1000, 'x') << std::flush;
        }
    });
    RecordingHost host(dir.File("in"), dir.File("out"));
    ConvertFile(host, kCaptions);
    writer.join();
    EXPECT_EQ(host.calls,
              (Calls{"CheckNumbers", kRunningCaption, "ReadBack", "Redisplay", kWaitCaption,
                     kWaitElsewhereCaption, kWaitCaption, kDialogCaption}));
}
#endif

TEST(conversion_run, touches_nothing_without_two_distinct_paths_a_good_number_and_a_source) {
    TempDir dir;
    const Bytes in{1, 2, 3}, out{9, 9};
    WriteBytes(dir.File("in"), in);
    std::filesystem::create_hard_link(Utf8Path(dir.File("in")), Utf8Path(dir.File("link")));
    // Texts are compared before anything else; one file under two names is found on the open
    // files, once the numbers have been checked; the source is opened before the destination.
    const Calls nothing, checkedOnly{"CheckNumbers"};
    const Calls reading{"CheckNumbers", kRunningCaption, "ReadBack",
                        "Redisplay",    kWaitCaption,    kDialogCaption};
    const auto failing = [](Calls calls, const std::string& message) {
        calls.push_back("ReportFailure: " + message);
        return calls;
    };
    const Bytes emptied;
    const struct {
        const char* name;
        std::string source, dest;
        bool numbersValid;
        Calls calls;
        Bytes outAfter;
    } rows[] = {
        {"no paths", "", "", true, nothing, out},
        {"no destination", dir.File("in"), "", true, nothing, out},
        {"no source", "", dir.File("out"), true, nothing, out},
        {"equal texts", dir.File("in"), dir.File("in"), true, nothing, out},
        {"a link to the source", dir.File("in"), dir.File("link"), true, checkedOnly, out},
        {"a box without a number", dir.File("in"), dir.File("out"), false, checkedOnly, out},
        {"missing source", dir.File("missing"), dir.File("out"), true,
         failing(checkedOnly,
                 "cannot open '" + dir.File("missing") + "': No such file or directory"),
         out},
#ifdef __linux__
        // A read that fails is reported after the caption and leaves the destination empty:
        // reading a process's own memory at address 0 fails.
        {"failed read", "/proc/self/mem", dir.File("out"), true,
         failing(reading, "cannot read '/proc/self/mem': Input/output error"), emptied},
#endif
    };
    for (const auto& row : rows) {
        WriteBytes(dir.File("in"), in);
        WriteBytes(dir.File("out"), out);
        RecordingHost host(row.source, row.dest);
        // The guard looks at the fields, not at paths typed into the boxes since.
        host.boxes = {dir.File("in"), dir.File("out")};
        host.numbersValid = row.numbersValid;
        ConvertFile(host, kCaptions);
        EXPECT_EQ(host.calls, row.calls) << row.name;
        EXPECT_EQ(ReadBytes(dir.File("in")), in) << row.name;
        EXPECT_EQ(ReadBytes(dir.File("out")), row.outAfter) << row.name;
    }
}

}  // namespace
}  // namespace pomuru::test
