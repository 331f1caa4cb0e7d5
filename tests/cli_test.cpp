// pomuru-cipher-cli run as a user runs it: through a shell, with files, pipes and signals. The one
// table of the command line's behaviour on both systems, run from Linux: POMURU_TEST_CLI is the
// program under test as a command prefix (by default the Linux build's program), e.g.
// "cmake/wine-run.sh win64 build/windows/cli/pomuru-cipher-cli.exe" with
// POMURU_TEST_CLI_PLATFORM=windows for the rows that hold on Windows
// (scripts/test-windows.sh). Outputs are compared with the reference rule computed here, so
// files from either system restore on the other.
#include <gtest/gtest.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <sys/wait.h>

#include <climits>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <string_view>

#include "sample_files.h"
#include "test_support.h"

namespace pomuru::test {
namespace {

// Paths made by the tests hold no quote of their own.
std::string Quote(const std::string& text) {
    return "'" + text + "'";
}

// The systems on which a row holds.
enum Systems { kPosix = 1, kWindows = 2, kBoth = kPosix | kWindows };

const std::string kCli = std::getenv("POMURU_TEST_CLI") != nullptr ? std::getenv("POMURU_TEST_CLI")
                                                                   : Quote(POMURU_CLI_PATH);
const Systems kSystem = std::string_view(std::getenv("POMURU_TEST_CLI_PLATFORM") != nullptr
                                             ? std::getenv("POMURU_TEST_CLI_PLATFORM")
                                             : "") == "windows"
                            ? kWindows
                            : kPosix;

struct Outcome {
    int status = -1;     // exit status, or 128 + the signal that ended the shell
    std::string errors;  // everything written to standard error
};

// Runs a command line with /bin/sh inside dir: standard input is empty, standard output goes
// to stdout.bin, standard error is captured; the command's own redirections take precedence.
// SIGPIPE and SIGXFSZ start at their defaults, so that the program must deal with them itself.
// A program that spins, e.g. retrying a write that moves nothing, ends at the CPU time limit.
// Names are UTF-8, as Wine reads them in a UTF-8 locale.
Outcome RunShell(const TempDir& dir, const std::string& command) {
    std::signal(SIGPIPE, SIG_DFL);
    std::signal(SIGXFSZ, SIG_DFL);
    const int status =
        std::system(("ulimit -t 20; export LC_ALL=C.UTF-8; cd " + Quote(dir.Path().string()) +
                     " && { " + command + "\n} < /dev/null > stdout.bin 2> stderr.txt")
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
    explicit Workspace(const Bytes* content = nullptr) {
        WriteBytes(dir.File("src.bin"), content != nullptr ? *content : source);
    }
};

TEST(cli, converts_like_the_reference_rule_and_restores_what_it_gives) {
    const struct {
        Systems on;
        CipherParams params;
        std::string command;
    } rows[] = {
        {kBoth, {.value = 300}, kCli + " --value=300 --step=0 src.bin dst.bin"},
        {kPosix,
         {.step = 3, .value = 90, .start = 10, .slide = 5},
         kCli + " --value 90 --step 3 --start 10 --slide 5 src.bin - > dst.bin"},
        {kBoth,
         {.step = -2, .value = -7, .start = 4, .randomize = true},
         "cat src.bin | " + kCli + " --value=-7 --step=-2 --start=+4 --randomize - dst.bin"},
        {kBoth,
         {.step = 2, .value = 200, .slide = 131000, .randomize = true},
         kCli + " --randomize --value 200 --step 2 --slide 131000 - - < src.bin | cat > dst.bin"},
        {kBoth,
         {.step = 5, .value = INT_MAX, .start = INT_MIN, .randomize = true},
         kCli + " --value 2147483647 --start -2147483648 --step 5 --randomize src.bin - | cat > "
                "dst.bin"},
        // Names as they are typed.
        {kBoth,
         {.step = -1, .value = INT_MIN, .randomize = true},
         "cp src.bin 元.bin && " + kCli +
             " --value=-2147483648 --step=-1 --randomize 元.bin 先.bin && mv 先.bin dst.bin"},
        // Long unchanged stretches: copied inside the kernel between files, read and written
        // where it declines, from a pipe.
        {kPosix,
         {.step = 200000, .value = 61, .slide = 9},
         kCli + " --value 61 --step 200000 --slide 9 src.bin dst.bin"},
        {kPosix,
         {.step = 200000, .value = 61, .slide = 9},
         "cat src.bin | " + kCli + " --value 61 --step 200000 --slide 9 - dst.bin"},
    };
    for (const auto& row : rows) {
        if ((row.on & kSystem) == 0) {
            continue;
        }
        SCOPED_TRACE(row.command);
        const Bytes source = SampleBytes(300'000, 17);
        const Bytes converted = ReferenceConvert(source, row.params);
        // The reference's output, as the other system's program gives it, restores too.
        for (const Bytes* input : {&source, &converted}) {
            Workspace work(input);
            const Outcome outcome = RunShell(work.dir, row.command);
            EXPECT_EQ(outcome.status, 0);
            EXPECT_EQ(outcome.errors, "");
            EXPECT_EQ(ReadBytes(work.dir.File("dst.bin")), input == &source ? converted : source);
        }
    }
}

TEST(cli, refusal_or_failure_names_the_fault_and_costs_neither_source_nor_destination) {
    const std::string failing = "LD_PRELOAD=" + Quote(POMURU_FAIL_CALLS_PATH) + " POMURU_FAIL=";
    const std::string cli = kCli + " --value 1 ";
    const std::string cutBack = "interrupted; 'dst.bin' is left as it was before";
    // A run whose source, the named pipe in.fifo, keeps it waiting after its first bytes, which
    // are written, while the shell goes on with `then`; the run's process is $pid.
    const auto whileRunning = [&cli](const std::string& then, const std::string& streams = "") {
        return "mkfifo in.fifo && exec 7<> in.fifo && printf abc >&7; env --default-signal " + cli +
               "--value 0 in.fifo dst.bin" + streams +
               " 7>&- & pid=$!; i=0; while [ \"$(stat -c %s dst.bin 2>/dev/null)\" != 3 ]"
               " && [ $i -lt 6000 ]; do sleep 0.01; i=$((i+1)); done; " +
               then;
    };
    // The signal ends the shell's wait as it ended the program (the shell's own word on it
    // aside).
    const auto interrupted = [&whileRunning](const std::string& signal,
                                             const std::string& streams = "") {
        return whileRunning("kill -" + signal + " $pid; wait $pid 2> /dev/null", streams);
    };
    // Until the call that fail_calls holds up has been made.
    const auto whenWaiting = [](const std::string& call) {
        return "; i=0; until [ -d waiting." + call + " ] || [ $i -ge 6000 ]; do sleep 0.01; " +
               "i=$((i+1)); done; ";
    };
    const struct {
        Systems on;
        std::string command;
        int status;
        std::string message = "";
        const char* dest = nullptr;  // what dst.bin holds afterwards; nullptr: no dst.bin
    } rows[] = {
        // A command line that cannot be carried out touches nothing and points to the help.
        {kBoth, cli + "--value 12x src.bin dst.bin", 2, "invalid integer for --value: '12x'"},
        {kBoth, cli + "--slide -2147483649 src.bin dst.bin", 2,
         "integer for --slide out of range: '-2147483649' (allowed -2147483648 to 2147483647)"},
        {kBoth, cli + "--s 5 src.bin dst.bin", 2,
         "option '--s' is ambiguous; possibilities: '--step' '--start' '--slide'"},
        {kBoth, cli + "src.bin dst.bin --step", 2, "option '--step' requires an argument"},
        {kBoth, cli + "--randomize=1 src.bin dst.bin", 2,
         "option '--randomize' doesn't allow an argument"},
        {kBoth, cli, 2, "missing SOURCE and DEST operands"},
        // What the user typed is shown, but never a control character or half a character.
        {kBoth, cli + "\"-$(printf '\\033')[2J\" src.bin dst.bin", 2,
         "unrecognized option '-\\x1B'"},
        {kBoth, cli + "-é src.bin dst.bin", 2, "unrecognized option '-é'"},
        {kPosix, cli + "\"$(printf 'a\\377\\302\\233b')\" dst.bin", 1,
         "cannot open 'a\\xFF\\xC2\\x9Bb': No such file or directory"},
        // Binary output is not for a terminal (on Windows a console; NUL is none), while
        // messages reach one whole, names and all.
        {kBoth,
         "script -qec \"" + cli +
             "src.bin - 2> err.txt\" /dev/null > /dev/null; s=$?; "
             "cat err.txt >&2; exit $s",
         2, "refusing to write binary output to a terminal"},
        {kBoth, cli + "src.bin - > /dev/null", 0},
        {kBoth,
         "script -qec \"" + cli +
             "無い.bin dst.bin\" /dev/null | grep -q \"cannot open '無い.bin'\"",
         0},
        // One file under two names, or as a redirected stream, would be emptied before reading.
        {kBoth, cli + "src.bin ./src.bin", 2, "'src.bin' and './src.bin' are the same file"},
        {kWindows, cli + "src.bin SRC.BIN", 2, "'src.bin' and 'SRC.BIN' are the same file"},
        {kBoth, "ln -s src.bin link.bin && " + cli + "src.bin link.bin", 2,
         "'src.bin' and 'link.bin' are the same file"},
        {kBoth, "ln src.bin hard.bin && " + cli + "hard.bin src.bin", 2,
         "'hard.bin' and 'src.bin' are the same file"},
        {kBoth, cli + "- src.bin < src.bin", 2, "standard input and 'src.bin' are the same file"},
        {kPosix, cli + "src.bin - 1<> src.bin", 2,
         "'src.bin' and standard output are the same file"},
        {kPosix, "ln -s /dev/null null && " + cli + "/dev/null null", 2,
         "'/dev/null' and 'null' are the same file"},
        // Another run writing the destination keeps it: this one is refused.
        {kBoth, whileRunning(cli + "src.bin dst.bin 7>&-; s=$?; exec 7>&-; wait $pid; exit $s"), 1,
         "'dst.bin' is being written by another run", "abc"},
        // A second run into the same empty file waits for the lock: it finds the first run's
        // output and empties it, rather than writing over its start.
        {kPosix,
         "printf new > new.txt && : > dst.bin && " + failing + "flock:dst.bin=wait-before " + cli +
             "--value 0 new.txt dst.bin & a=$!" + whenWaiting("flock") + cli +
             "src.bin dst.bin && rmdir waiting.flock && wait $a",
         0, "", "new"},
        // The source is opened first, so a missing one leaves no destination behind.
        {kBoth, cli + "無い.bin dst.bin", 1, "cannot open '無い.bin': No such file or directory"},
        {kPosix, cli + "'a\nb' dst.bin", 1, "cannot open 'a\\nb': No such file or directory"},
        {kBoth, "mkdir folder && " + cli + "folder dst.bin", 1,
         "cannot open 'folder': Is a directory"},
        {kBoth, "mkdir folder && " + cli + "src.bin folder", 1,
         "cannot create 'folder': Is a directory"},
        {kWindows, cli + "src.bin 'a|b.bin'", 1, "cannot create 'a|b.bin': Invalid argument"},
        {kBoth, cli + "src.bin no-folder/dst.bin", 1,
         "cannot create 'no-folder/dst.bin': No such file or directory"},
        // Writes that fail part way, past a file size limit: nothing half-written is left.
        {kPosix, "printf old > dst.bin && ulimit -f 100 && " + cli + "src.bin dst.bin", 1,
         "cannot write 'dst.bin': File too large", ""},
        {kPosix, "printf kept > dst.bin && ulimit -f 100 && " + cli + "src.bin - >> dst.bin", 1,
         "cannot write standard output: File too large", "kept"},
        // Identity that cannot be told is no licence to empty the file.
        {kPosix, failing + "fstat@2=5 " + cli + "src.bin ./src.bin", 1,
         "cannot identify 'src.bin': Input/output error"},
        {kPosix, failing + "fstat:src.bin@3=5 " + cli + "src.bin dst.bin", 1,
         "cannot identify 'src.bin': Input/output error", ""},
        {kPosix, failing + "write=0 " + cli + "src.bin dst.bin", 1,
         "cannot write 'dst.bin': Input/output error", ""},
        {kPosix, failing + "write=28,ftruncate=5 " + cli + "src.bin dst.bin", 1,
         "cannot write 'dst.bin': No space left on device; 'dst.bin' could not be cut back "
         "either: Input/output error",
         ""},
        {kPosix, failing + "close=5 " + cli + "src.bin dst.bin", 1,
         "cannot close 'src.bin': Input/output error", ""},
        {kPosix, failing + "close:dst.bin@2=5 " + cli + "src.bin dst.bin", 1,
         "cannot close 'dst.bin': Input/output error", ""},
        // The second half of the message names the file as the first does, with the real reason.
        {kPosix,
         "printf abc > abc.txt && " + failing + "close:dst.bin@2=5,ftruncate=5 " + cli +
             "--value 0 abc.txt dst.bin",
         1,
         "cannot close 'dst.bin': Input/output error; 'dst.bin' could not be cut back either: "
         "Input/output error",
         "abc"},
        // Standard output open for reading and writing over old bytes: they cannot come back.
        {kPosix,
         "head -c 100000 /dev/zero | tr '\\0' x > x.txt && printf 'old bytes' > dst.bin && "
         "ulimit -f 100 && " +
             cli + "--value 0 x.txt - 1<> dst.bin",
         1,
         "cannot write standard output: File too large; standard output keeps its old size, but "
         "its bytes 0 to 8 now hold part of this run's output",
         "xxxxxxxxx"},
        // The reader of standard output stops long before the end: the run ends quietly, but
        // failed.
        {kPosix,
         "head -c 8000000 /dev/zero > big.bin && { " + cli +
             "big.bin -; echo $? > status.txt; } | head -c 1 > /dev/null; exit $(cat status.txt)",
         1},
        // Out of memory for the block the file is read into.
        {kPosix, failing + "aligned_alloc=12 " + cli + "src.bin dst.bin", 1,
         "cannot read 'src.bin': Cannot allocate memory", ""},
        // A terminating signal cuts the destination back before it ends the program: on Windows
        // Ctrl+C, which Wine makes of SIGINT, with the low byte of STATUS_CONTROL_C_EXIT.
        {kPosix, interrupted("INT"), 128 + SIGINT, cutBack, ""},
        {kWindows, interrupted("INT"), 0x3A, cutBack, ""},
        {kPosix, interrupted("TERM"), 128 + SIGTERM, cutBack, ""},
        {kPosix, interrupted("HUP"), 128 + SIGHUP, cutBack, ""},
        {kPosix, interrupted("QUIT"), 128 + SIGQUIT, cutBack, ""},
        {kPosix, interrupted("USR1"), 128 + SIGUSR1, cutBack, ""},
        {kPosix, interrupted("ALRM"), 128 + SIGALRM, cutBack, ""},
        {kPosix, interrupted("XCPU"), 128 + SIGXCPU, cutBack, ""},
        // Started without standard input and error, the program opens no file in their place.
        {kPosix, interrupted("INT", " <&- 2>&-"), 128 + SIGINT, "", ""},
        {kPosix, cli + "src.bin - >&-", 1, "cannot write standard output: Bad file descriptor"},
        // Once every byte is written, an interrupt leaves the destination whole, and says so.
        {kPosix,
         "printf abc > abc.txt && " + failing + "close:dst.bin@2=wait-after env --default-signal " +
             cli + "--value 0 abc.txt dst.bin & pid=$!" + whenWaiting("close") +
             "kill -INT $pid; wait $pid 2> /dev/null",
         128 + SIGINT, "interrupted after the last write; 'dst.bin' holds the whole output", "abc"},
    };
    for (const auto& row : rows) {
        if ((row.on & kSystem) == 0) {
            continue;
        }
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
        ASSERT_EQ(::stat(work.dir.File("dst.bin").c_str(), &dest) == 0, row.dest != nullptr);
        if (row.dest != nullptr) {
            EXPECT_EQ(ReadText(work.dir.File("dst.bin")), row.dest);
            // An emptied file keeps none of the room set aside for the output either, unless
            // cutting it back failed.
            EXPECT_TRUE(*row.dest != '\0' || row.message.find("cut back") != std::string::npos ||
                        dest.st_blocks == 0)
                << dest.st_blocks << " blocks";
        }
    }
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
        // On a terminal it says how long it may take, and how far it has come after a second.
        {"script -qec \"" + cli +
             "noise.bin\" /dev/null > tty.txt; s=$?; grep -q \"searching "
             "'noise.bin' for up to 8 s on [0-9]* thread\" tty.txt && "
             "grep -q '% searched  [0-9]* s of at most 8 s' tty.txt || exit 9; exit $s",
         1, "", "", nullptr},
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
