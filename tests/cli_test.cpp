// pomuru-cipher-cli run as a user runs it: through a shell, with files, pipes and signals.
#include <gtest/gtest.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <sys/wait.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "sample_files.h"
#include "test_support.h"

namespace pomuru::test {
namespace {

// Paths made by the tests hold no quote of their own.
std::string Quote(const std::string& text) {
    return "'" + text + "'";
}

const std::string kCli = Quote(POMURU_CLI_PATH);

struct Outcome {
    int status = -1;     // exit status, or 128 + the signal that ended the shell
    std::string errors;  // everything written to standard error
};

// Runs a command line with /bin/sh inside dir: standard input is empty, standard output goes
// to stdout.bin, standard error is captured; the command's own redirections take precedence.
// SIGPIPE and SIGXFSZ start at their defaults, so that the program must deal with them itself.
// A program that spins, e.g. retrying a write that moves nothing, ends at the CPU time limit.
Outcome RunShell(const TempDir& dir, const std::string& command) {
    std::signal(SIGPIPE, SIG_DFL);
    std::signal(SIGXFSZ, SIG_DFL);
    const int status = std::system(("ulimit -t 20; cd " + Quote(dir.Path().string()) + " && { " +
                                    command + "\n} < /dev/null > stdout.bin 2> stderr.txt")
                                       .c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status),
            ReadText(dir.File("stderr.txt"))};
}

// A folder on tmpfs where there is one: the one file system where the destination's room is set
// aside before writing, and must be given back when a run fails.
std::filesystem::path RoomyFolder() {
    struct statfs fileSystem {};
    const bool tmpfs = ::statfs("/dev/shm", &fileSystem) == 0 && fileSystem.f_type == TMPFS_MAGIC;
    return tmpfs ? "/dev/shm" : std::filesystem::temp_directory_path();
}

// A folder holding src.bin, more than two blocks of the conversion, so that block boundaries
// are crossed.
struct Workspace {
    TempDir dir{RoomyFolder()};
    Bytes source = SampleBytes(300'000, 17);
    Workspace() { WriteBytes(dir.File("src.bin"), source); }
};

TEST(cli, converts_like_the_reference_rule_through_files_and_streams) {
    const struct {
        CipherParams params;
        std::string command;  // CLI stands for the program
    } rows[] = {
        {{}, "CLI src.bin dst.bin"},
        {{.step = 3, .value = 90, .start = 10, .slide = 5},
         "CLI --value 90 --step 3 --start 10 --slide 5 src.bin - > dst.bin"},
        {{.step = -2, .value = -7, .start = 4, .randomize = true},
         "cat src.bin | CLI --value=-7 --step=-2 --start=+4 --randomize - dst.bin"},
        {{.step = 2, .value = 200, .slide = 131000, .randomize = true},
         "CLI --randomize --value 200 --step 2 --slide 131000 - - < src.bin > dst.bin"},
        {{.step = 5, .value = 2147483647, .start = -2147483647 - 1, .randomize = true},
         "CLI --value 2147483647 --start -2147483648 --step 5 --randomize "
         "src.bin - | cat > dst.bin"},
        // Long unchanged stretches: copied inside the kernel between files, read and written
        // where it declines, from a pipe.
        {{.step = 200000, .value = 61, .slide = 9},
         "CLI --value 61 --step 200000 --slide 9 src.bin dst.bin"},
        {{.step = 200000, .value = 61, .slide = 9},
         "cat src.bin | CLI --value 61 --step 200000 --slide 9 - dst.bin"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.command);
        Workspace work;
        std::string command = row.command;
        const Outcome there = RunShell(work.dir, command.replace(command.find("CLI"), 3, kCli));
        EXPECT_EQ(there.status, 0);
        EXPECT_EQ(there.errors, "");
        EXPECT_EQ(ReadBytes(work.dir.File("dst.bin")), ReferenceConvert(work.source, row.params));
    }
}

TEST(cli, refusal_or_failure_names_the_fault_and_costs_neither_source_nor_destination) {
    const std::string failing = "LD_PRELOAD=" + Quote(POMURU_FAIL_CALLS_PATH) + " POMURU_FAIL=";
    const std::string cli = kCli + " --value 1 ";
    const char* const none = nullptr;  // no dst.bin afterwards
    // The source keeps the program waiting after its first bytes, which are written; then the
    // signal comes, which ends the shell's wait as it ended the program (the shell's own word on
    // it aside).
    const auto interrupted = [&cli](const std::string& signal, const std::string& streams = "") {
        return "mkfifo in.fifo; { printf abc; sleep 5; } > in.fifo & env --default-signal " + cli +
               "in.fifo dst.bin" + streams +
               " & pid=$!; i=0; while [ \"$(stat -c %s dst.bin 2>/dev/null)\" != 3 ]"
               " && [ $i -lt 200 ]; do sleep 0.01; i=$((i+1)); done; kill -" +
               signal + " $pid; wait $pid 2> /dev/null";
    };
    // Until the call that fail_calls holds up has been made.
    const auto whenWaiting = [](const std::string& call) {
        return "; i=0; until [ -d waiting." + call + " ] || [ $i -ge 500 ]; do sleep 0.01; " +
               "i=$((i+1)); done; ";
    };
    const struct {
        std::string command;
        int status;
        std::string message;
        const char* dest;  // what dst.bin holds afterwards
    } rows[] = {
        // A command line that cannot be carried out touches nothing and points to the help.
        {cli + "--value 12x src.bin dst.bin", 2, "invalid integer for --value: '12x'", none},
        {cli + "--slide -2147483649 src.bin dst.bin", 2,
         "integer for --slide out of range: '-2147483649' (allowed -2147483648 to 2147483647)",
         none},
        {cli + "--s 5 src.bin dst.bin", 2,
         "option '--s' is ambiguous; possibilities: '--step' '--start' '--slide'", none},
        {cli + "src.bin dst.bin --step", 2, "option '--step' requires an argument", none},
        {cli + "--randomize=1 src.bin dst.bin", 2, "option '--randomize' doesn't allow an argument",
         none},
        {cli, 2, "missing SOURCE and DEST operands", none},
        // What the user typed is shown, but never a control character or half a character.
        {cli + "\"-$(printf '\\033')[2J\" src.bin dst.bin", 2, "unrecognized option '-\\x1B'",
         none},
        {cli + "-é src.bin dst.bin", 2, "unrecognized option '-é'", none},
        {cli + "\"$(printf 'a\\377\\302\\233b')\" dst.bin", 1,
         "cannot open 'a\\xFF\\xC2\\x9Bb': No such file or directory", none},
        // One file under two names, or as a redirected stream, would be emptied before reading.
        {cli + "src.bin src.bin", 2, "'src.bin' and 'src.bin' are the same file", none},
        {"ln -s src.bin link.bin && " + cli + "src.bin link.bin", 2,
         "'src.bin' and 'link.bin' are the same file", none},
        {"ln src.bin hard.bin && " + cli + "hard.bin src.bin", 2,
         "'hard.bin' and 'src.bin' are the same file", none},
        {cli + "src.bin - 1<> src.bin", 2, "'src.bin' and standard output are the same file", none},
        {"ln -s /dev/null null && " + cli + "/dev/null null", 2,
         "'/dev/null' and 'null' are the same file", none},
        // A second run into the same empty file waits for the lock: it finds the first run's
        // output and empties it, rather than writing over its start.
        {"printf new > new.txt && : > dst.bin && " + failing + "flock:dst.bin=wait-before " + cli +
             "--value 0 new.txt dst.bin & a=$!" + whenWaiting("flock") + cli +
             "src.bin dst.bin && rmdir waiting.flock && wait $a",
         0, "", "new"},
        // The source is opened first, so a missing one leaves no destination behind.
        {cli + "'a\nb' dst.bin", 1, "cannot open 'a\\nb': No such file or directory", none},
        {cli + "src.bin no-folder/dst.bin", 1,
         "cannot create 'no-folder/dst.bin': No such file or directory", none},
        // Writes that fail part way, past a file size limit: nothing half-written is left.
        {"printf old > dst.bin && ulimit -f 100 && " + cli + "src.bin dst.bin", 1,
         "cannot write 'dst.bin': File too large", ""},
        {"printf kept > dst.bin && ulimit -f 100 && " + cli + "src.bin - >> dst.bin", 1,
         "cannot write standard output: File too large", "kept"},
        // Identity that cannot be told is no licence to empty the file.
        {failing + "fstat@2=5 " + cli + "src.bin ./src.bin", 1,
         "cannot identify 'src.bin': Input/output error", none},
        {failing + "fstat:src.bin@3=5 " + cli + "src.bin dst.bin", 1,
         "cannot identify 'src.bin': Input/output error", ""},
        {"printf old > dst.bin && flock dst.bin " + cli + "src.bin dst.bin", 1,
         "'dst.bin' is being written by another run", "old"},
        {failing + "write=0 " + cli + "src.bin dst.bin", 1,
         "cannot write 'dst.bin': Input/output error", ""},
        {failing + "write=28,ftruncate=5 " + cli + "src.bin dst.bin", 1,
         "cannot write 'dst.bin': No space left on device; 'dst.bin' could not be cut back "
         "either: Input/output error",
         ""},
        {failing + "close=5 " + cli + "src.bin dst.bin", 1,
         "cannot close 'src.bin': Input/output error", ""},
        {failing + "close:dst.bin@2=5 " + cli + "src.bin dst.bin", 1,
         "cannot close 'dst.bin': Input/output error", ""},
        // Standard output open for reading and writing over old bytes: they cannot come back.
        {"head -c 100000 /dev/zero | tr '\\0' x > x.txt && printf 'old bytes' > dst.bin && "
         "ulimit -f 100 && " +
             cli + "--value 0 x.txt - 1<> dst.bin",
         1,
         "cannot write standard output: File too large; standard output keeps its old size, but "
         "its bytes 0 to 8 now hold part of this run's output",
         "xxxxxxxxx"},
#ifndef __SANITIZE_ADDRESS__
        // Out of memory (the sanitizer needs more than this to start).
        {"ulimit -v 6000 && " + cli + "src.bin dst.bin", 1,
         "cannot read 'src.bin': Cannot allocate memory", ""},
#endif
        // A terminating signal cuts the destination back before it ends the program.
        {interrupted("INT"), 128 + SIGINT, "interrupted; 'dst.bin' is left as it was before", ""},
        {interrupted("TERM"), 128 + SIGTERM, "interrupted; 'dst.bin' is left as it was before", ""},
        {interrupted("HUP"), 128 + SIGHUP, "interrupted; 'dst.bin' is left as it was before", ""},
        {interrupted("QUIT"), 128 + SIGQUIT, "interrupted; 'dst.bin' is left as it was before", ""},
        {interrupted("USR1"), 128 + SIGUSR1, "interrupted; 'dst.bin' is left as it was before", ""},
        {interrupted("XCPU"), 128 + SIGXCPU, "interrupted; 'dst.bin' is left as it was before", ""},
        // Started without standard input and error, the program opens no file in their place.
        {interrupted("INT", " <&- 2>&-"), 128 + SIGINT, "", ""},
        // Once every byte is written, an interrupt leaves the destination whole, and says so.
        {"printf abc > abc.txt && " + failing + "close:dst.bin@2=wait-after env --default-signal " +
             cli + "--value 0 abc.txt dst.bin & pid=$!" + whenWaiting("close") +
             "kill -INT $pid; wait $pid 2> /dev/null",
         128 + SIGINT, "interrupted after the last write; 'dst.bin' holds the whole output", "abc"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.command);
        Workspace work;
        const Outcome outcome = RunShell(work.dir, row.command);
        EXPECT_EQ(outcome.status, row.status);
        EXPECT_EQ(outcome.errors,
                  row.message.empty()
                      ? ""
                      : "pomuru-cipher-cli: " + row.message + "\n" +
                            (row.status == 2 ? "Try 'pomuru-cipher-cli --help'.\n" : ""));
        EXPECT_EQ(ReadBytes(work.dir.File("src.bin")), work.source);
        struct stat dest {};
        ASSERT_EQ(::stat(work.dir.File("dst.bin").c_str(), &dest) == 0, row.dest != none);
        if (row.dest != none) {
            EXPECT_EQ(ReadText(work.dir.File("dst.bin")), row.dest);
            // An emptied file keeps none of the room set aside for the output either, unless
            // cutting it back failed.
            EXPECT_TRUE(*row.dest != '\0' || row.message.find("cut back") != std::string::npos ||
                        dest.st_blocks == 0)
                << dest.st_blocks << " blocks";
        }
    }
}

TEST(cli, ends_quietly_but_failed_when_the_reader_of_standard_output_stops) {
    TempDir dir;
    // Many times what a pipe holds, so the reader is gone long before the end.
    WriteBytes(dir.File("big.bin"), SampleBytes(8 << 20, 5));
    const Outcome outcome = RunShell(
        dir, "{ " + kCli + " --value 3 big.bin -; echo $? > status.txt; } | head -c 1 > /dev/null");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.errors, "");
    EXPECT_EQ(ReadText(dir.File("status.txt")), "1\n");
}

TEST(cli, finds_forgotten_settings_and_restores_only_with_one_answer) {
    TempDir dir;
    std::mt19937 random(16);
    const Bytes png = SampleFile(recovery::FileKind::Png, random);
    const Bytes jpeg = SampleFile(recovery::FileKind::Jpeg, random);
    WriteBytes(dir.File("png.pmr"),
               ReferenceConvert(png, {.step = 3, .value = 90, .start = 5, .randomize = true}));
    WriteBytes(dir.File("jpeg.pmr"), ReferenceConvert(jpeg, {.step = 2, .value = 7}));
    // Bytes that no checksum covers, randomised: several answers.
    WriteBytes(dir.File("open.pmr"),
               ReferenceConvert(SmallestPng(3000), {.step = 1, .value = 1234, .randomize = true}));
    WriteBytes(dir.File("noise.bin"), SampleBytes(5000, 3));
    // Time limits keep the searches that find nothing within the shell's CPU limit, under the
    // sanitizers too.
    const std::string cli = kCli + " --find-settings --time-limit 8 ";
    const std::string answer =
        "--value 90 --step 3 --start 5 --slide 0 --randomize\n"
        "  confirmed by 6 PNG chunk checksums\n";
    const struct {
        std::string command;
        int status;
        std::string output;   // how standard output starts
        std::string message;  // how standard error starts, after the program's name
        const Bytes* dest;    // what dst.bin holds afterwards, if anything
    } rows[] = {
        {cli + "png.pmr", 0, answer, "", nullptr},
        {cli + "--kind=PNG --step 3 png.pmr dst.bin", 0, answer, "", &png},
        {cli + "--no-randomize png.pmr dst.bin", 1, "",
         "no settings found that restore 'png.pmr' to a ", nullptr},
        {cli + "--value 91 png.pmr", 1, "", "no settings found that restore 'png.pmr' to a ",
         nullptr},
        {cli + "open.pmr dst.bin", 3, "--value ", "", nullptr},
        {cli + "jpeg.pmr dst.bin", 3, "--value 7 --step 2 --start 0 --slide 0\n  probable: JPEG",
         "the answer for 'jpeg.pmr' is probable only", &jpeg},
        {cli + "noise.bin dst.bin", 1, "", "no settings found that restore 'noise.bin' to a ",
         nullptr},
        {cli + "--kind bmp png.pmr", 2, "",
         "unknown kind 'bmp' for '--kind' (known: png, zip, jpeg, pdf, gif, wav, mp3)", nullptr},
        {kCli + " --kind png png.pmr dst.bin", 2, "", "option '--kind' needs '--find-settings'",
         nullptr},
        {cli + "--randomize --no-randomize png.pmr", 2, "",
         "options '--randomize' and '--no-randomize' contradict each other", nullptr},
        {cli + "--time-limit 0 png.pmr", 2, "",
         "time limit for '--time-limit' out of range: '0' (allowed 1 to 604800 seconds)", nullptr},
        {cli + "- < png.pmr", 2, "",
         "'--find-settings' reads FILE by position, which standard input cannot be", nullptr},
        {cli + "png.pmr png.pmr", 2, "", "'png.pmr' and 'png.pmr' are the same file", nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.command);
        std::filesystem::remove(dir.File("dst.bin"));
        const Outcome outcome = RunShell(dir, row.command);
        EXPECT_EQ(outcome.status, row.status);
        EXPECT_TRUE(ReadText(dir.File("stdout.bin")).starts_with(row.output))
            << ReadText(dir.File("stdout.bin"));
        EXPECT_TRUE(outcome.errors.starts_with(
            row.message.empty() ? "" : "pomuru-cipher-cli: " + row.message))
            << outcome.errors;
        EXPECT_EQ(row.message.empty() && row.status != 3, outcome.errors.empty()) << outcome.errors;
        ASSERT_EQ(std::filesystem::exists(dir.File("dst.bin")), row.dest != nullptr);
        if (row.dest != nullptr) {
            EXPECT_EQ(ReadBytes(dir.File("dst.bin")), *row.dest);
        }
    }
}

}  // namespace
}  // namespace pomuru::test
