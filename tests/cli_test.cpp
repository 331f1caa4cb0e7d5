// pomuru-cipher-cli run as a user runs it: through a shell, with files, pipes and terminals.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "cipher/cipher_params.h"
#include "reference_rule.h"
#include "temp_dir.h"

extern char** environ;

namespace pomuru {
namespace {

using test::ReadBytes;
using test::ReferenceConvert;
using test::SampleBytes;
using test::TempDir;
using test::WriteBytes;

// Paths made by the tests hold no quote of their own.
std::string Quote(const std::string& text) {
    return "'" + text + "'";
}

const std::string kCli = Quote(POMURU_CLI_PATH);
const std::string kTryHelp = "Try 'pomuru-cipher-cli --help'.\n";
// More than two blocks of the conversion, so that block boundaries are crossed.
constexpr std::size_t kSourceSize = 300'000;

struct Outcome {
    int status = -1;     // exit status, or 128 + the signal that ended the shell
    std::string errors;  // everything written to standard error
};

std::string ReadText(const std::string& path) {
    const auto bytes = ReadBytes(path);
    return {bytes.begin(), bytes.end()};
}

// Runs a command line with /bin/sh inside dir: standard input is empty, standard output goes
// to stdout.bin, standard error is captured; the command's own redirections take precedence.
// SIGPIPE and SIGXFSZ start at their defaults, so that the program must deal with them itself.
Outcome RunShell(const TempDir& dir, const std::string& command) {
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, 1, dir.File("stdout.bin").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&files, 2, dir.File("stderr.txt").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGXFSZ);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);

    const std::string script = "cd " + Quote(dir.Path().string()) + " && " + command;
    std::vector<char*> argv{const_cast<char*>("sh"), const_cast<char*>("-c"),
                            const_cast<char*>(script.c_str()), nullptr};
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, "/bin/sh", &files, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    posix_spawnattr_destroy(&attributes);
    Outcome outcome;
    int status = 0;
    if (spawned != 0 || waitpid(pid, &status, 0) != pid) {
        ADD_FAILURE() << "cannot run: " << script;
        return outcome;
    }
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    outcome.errors = ReadText(dir.File("stderr.txt"));
    return outcome;
}

// A folder holding src.bin with sample content.
struct Workspace {
    TempDir dir;
    std::vector<std::uint8_t> source = SampleBytes(kSourceSize, 17);
    Workspace() { WriteBytes(dir.File("src.bin"), source); }
};

TEST(cli, converts_like_the_reference_rule_and_restores_with_the_same_settings) {
    struct Row {
        std::string options;
        CipherParams params;
    };
    const Row rows[] = {
        {"", {}},
        {"--value 90 --step 3 --start 10 --slide 5",
         {.step = 3, .value = 90, .start = 10, .slide = 5}},
        {"--value=-7 --step=-2 --start=+4 --randomize",
         {.step = -2, .value = -7, .start = 4, .randomize = true}},
        {"--randomize --value 200 --step 2 --slide 131000",
         {.step = 2, .value = 200, .slide = 131000, .randomize = true}},
        {"--value 2147483647 --start -2147483648 --step 5 --randomize",
         {.step = 5, .value = 2147483647, .start = -2147483647 - 1, .randomize = true}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.options);
        Workspace work;
        const Outcome there = RunShell(work.dir, kCli + " " + row.options + " src.bin dst.bin");
        EXPECT_EQ(there.status, 0);
        EXPECT_EQ(there.errors, "");
        EXPECT_EQ(ReadBytes(work.dir.File("dst.bin")), ReferenceConvert(work.source, row.params));

        const Outcome back = RunShell(work.dir, kCli + " " + row.options + " dst.bin back.bin");
        EXPECT_EQ(back.status, 0);
        EXPECT_EQ(ReadBytes(work.dir.File("back.bin")), work.source);
    }
}

TEST(cli, converts_between_standard_streams_and_files) {
    const CipherParams params{.step = 2, .value = 61, .start = 3, .randomize = true};
    const std::string options = " --value 61 --step 2 --start 3 --randomize ";
    const std::string commands[] = {
        kCli + options + "- - < src.bin > dst.bin",      kCli + options + "- dst.bin < src.bin",
        "cat src.bin | " + kCli + options + "- dst.bin", kCli + options + "src.bin - > dst.bin",
        kCli + options + "src.bin - | cat > dst.bin",
    };
    for (const auto& command : commands) {
        SCOPED_TRACE(command);
        Workspace work;
        const Outcome outcome = RunShell(work.dir, command);
        EXPECT_EQ(outcome.status, 0);
        EXPECT_EQ(outcome.errors, "");
        EXPECT_EQ(ReadBytes(work.dir.File("dst.bin")), ReferenceConvert(work.source, params));
    }
}

TEST(cli, reports_failures_with_the_file_and_the_system_reason) {
    struct Row {
        std::string operands;
        std::string message;
    };
    const Row rows[] = {
        {"missing.bin dst.bin", "cannot open 'missing.bin': No such file or directory"},
        {". dst.bin", "cannot open '.': Is a directory"},
        {"'' dst.bin", "cannot open '': No such file or directory"},
        {"'a\nb' dst.bin", "cannot open 'a\\nb': No such file or directory"},
        {"src.bin no-folder/dst.bin",
         "cannot create 'no-folder/dst.bin': No such file or directory"},
        {"src.bin /dev/full", "cannot write '/dev/full': No space left on device"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.operands);
        Workspace work;
        const Outcome outcome = RunShell(work.dir, kCli + " --value 1 " + row.operands);
        EXPECT_EQ(outcome.status, 1);
        EXPECT_EQ(outcome.errors, "pomuru-cipher-cli: " + row.message + "\n");
        // The source is opened first, so a missing one leaves no destination behind.
        EXPECT_FALSE(std::filesystem::exists(work.dir.File("dst.bin")));
    }
}

TEST(cli, leaves_no_half_written_output_when_a_write_fails_midway) {
    struct Row {
        std::string command;  // after a file size limit far below the source's size
        std::string failedFile;
        std::string kept;  // what dst.bin must hold afterwards
    };
    const Row rows[] = {
        {kCli + " src.bin dst.bin", "'dst.bin'", ""},
        {kCli + " src.bin - > dst.bin", "standard output", ""},
        {"printf kept > dst.bin && " + kCli + " src.bin - >> dst.bin", "standard output", "kept"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.command);
        Workspace work;
        const Outcome outcome = RunShell(work.dir, "ulimit -f 100 && " + row.command);
        EXPECT_EQ(outcome.status, 1);
        EXPECT_EQ(outcome.errors,
                  "pomuru-cipher-cli: cannot write " + row.failedFile + ": File too large\n");
        EXPECT_EQ(ReadText(work.dir.File("dst.bin")), row.kept);
    }
}

TEST(cli, failing_calls_and_a_second_writer_never_cost_the_source_or_leave_half_a_destination) {
    const std::string failing = "LD_PRELOAD=" + Quote(POMURU_FAIL_CALLS_PATH) + " POMURU_FAIL=";
    struct Row {
        std::string command;  // dst.bin holds "old" before it
        int status;
        std::string message;
        std::string dest;  // what dst.bin holds afterwards
    };
    const Row rows[] = {
        // Identity that cannot be told is no licence to empty the file.
        {failing + "fstat@2=5 " + kCli + " --value 1 src.bin ./src.bin", 1,
         "cannot identify 'src.bin': Input/output error", "old"},
        {"flock dst.bin " + kCli + " --value 1 src.bin dst.bin", 1,
         "'dst.bin' is being written by another run", "old"},
        {failing + "write=0 " + kCli + " --value 1 src.bin dst.bin", 1,
         "cannot write 'dst.bin': Input/output error", ""},
        {failing + "write=28,ftruncate@2=5 " + kCli + " --value 1 src.bin dst.bin", 1,
         "cannot write 'dst.bin': No space left on device; 'dst.bin' could not be cut back "
         "either: Input/output error",
         ""},
        {failing + "close=5 " + kCli + " --value 1 src.bin dst.bin", 1,
         "cannot close 'src.bin': Input/output error", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.command);
        Workspace work;
        WriteBytes(work.dir.File("dst.bin"), {'o', 'l', 'd'});
        const Outcome outcome = RunShell(work.dir, row.command);
        EXPECT_EQ(outcome.status, row.status);
        EXPECT_EQ(outcome.errors, "pomuru-cipher-cli: " + row.message + "\n");
        EXPECT_EQ(ReadBytes(work.dir.File("src.bin")), work.source);
        EXPECT_EQ(ReadText(work.dir.File("dst.bin")), row.dest);
    }
}

TEST(cli, ends_by_a_terminating_signal_with_the_destination_cut_back) {
    for (const std::string signal : {"INT", "TERM", "HUP", "QUIT"}) {
        SCOPED_TRACE(signal);
        TempDir dir;
        // The source keeps the program waiting after its first bytes, which are written.
        const Outcome outcome = RunShell(
            dir,
            "mkfifo in.fifo; { printf abc; sleep 5; } > in.fifo & "
            "env --default-signal " +
                kCli +
                " --value 1 in.fifo dst.bin 2> err.txt & cli=$!; "
                "i=0; while [ \"$(stat -c %s dst.bin 2>/dev/null)\" != 3 ] && [ $i -lt 200 ];"
                " do sleep 0.01; i=$((i+1)); done; "
                "kill -" +
                signal + " $cli; wait $cli; echo $? > status.txt");
        EXPECT_EQ(outcome.status, 0);
        const int number = signal == "INT"    ? SIGINT
                           : signal == "TERM" ? SIGTERM
                           : signal == "HUP"  ? SIGHUP
                                              : SIGQUIT;
        EXPECT_EQ(ReadText(dir.File("status.txt")), std::to_string(128 + number) + "\n");
        EXPECT_EQ(ReadText(dir.File("err.txt")),
                  "pomuru-cipher-cli: interrupted; 'dst.bin' is left as it was before\n");
        EXPECT_EQ(ReadText(dir.File("dst.bin")), "");
    }
}

TEST(cli, refuses_operands_that_lead_to_one_file_and_touches_nothing) {
    const std::string commands[] = {
        kCli + " --value 1 src.bin src.bin",
        "ln -s src.bin link.bin && " + kCli + " --value 1 src.bin link.bin",
        "ln src.bin hard.bin && " + kCli + " --value 1 hard.bin src.bin",
        kCli + " --value 1 ./src.bin src.bin",
        kCli + " --value 1 - src.bin < src.bin",
        kCli + " --value 1 src.bin - 1<> src.bin",
    };
    for (const auto& command : commands) {
        SCOPED_TRACE(command);
        Workspace work;
        const Outcome outcome = RunShell(work.dir, command);
        EXPECT_EQ(outcome.status, 2);
        EXPECT_NE(outcome.errors.find("are the same file\n" + kTryHelp), std::string::npos)
            << outcome.errors;
        EXPECT_EQ(ReadBytes(work.dir.File("src.bin")), work.source);
    }
}

TEST(cli, rejects_a_malformed_command_line_naming_the_fault) {
    struct Row {
        std::string arguments;
        std::string named;  // what the message must mention
    };
    const Row rows[] = {
        {"--value 12x src.bin dst.bin", "--value: '12x'"},
        {"--step ' 5' src.bin dst.bin", "--step: ' 5'"},
        {"--start= src.bin dst.bin", "--start: ''"},
        {"--start 2147483648 src.bin dst.bin", "--start out of range: '2147483648'"},
        {"--slide -2147483649 src.bin dst.bin", "--slide out of range: '-2147483649'"},
        {"--bogus src.bin dst.bin", "'--bogus'"},
        {"--s 5 src.bin dst.bin",
         "'--s' is ambiguous; possibilities: '--step' '--start' '--slide'"},
        {"src.bin dst.bin --step", "'--step' requires an argument"},
        {"--randomize=1 src.bin dst.bin", "'--randomize' doesn't allow an argument"},
        {"", "missing SOURCE and DEST"},
        {"src.bin", "missing DEST operand after 'src.bin'"},
        {"src.bin dst.bin extra.bin", "extra operand 'extra.bin'"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments);
        Workspace work;
        const Outcome outcome = RunShell(work.dir, kCli + " " + row.arguments);
        EXPECT_EQ(outcome.status, 2);
        const auto firstLineEnd = outcome.errors.find('\n');
        ASSERT_NE(firstLineEnd, std::string::npos) << outcome.errors;
        const std::string firstLine = outcome.errors.substr(0, firstLineEnd);
        EXPECT_TRUE(firstLine.starts_with("pomuru-cipher-cli: ")) << firstLine;
        EXPECT_NE(firstLine.find(row.named), std::string::npos) << firstLine;
        EXPECT_EQ(outcome.errors.substr(firstLineEnd + 1), kTryHelp);
        EXPECT_FALSE(std::filesystem::exists(work.dir.File("dst.bin")));
    }
}

TEST(cli, ends_quietly_when_the_reader_of_standard_output_stops) {
    TempDir dir;
    // Many times what a pipe holds, so the reader is gone long before the end.
    WriteBytes(dir.File("big.bin"), SampleBytes(8 << 20, 5));
    const Outcome outcome = RunShell(
        dir, "{ " + kCli + " --value 3 big.bin -; echo $? > status.txt; } | head -c 1 > /dev/null");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.errors, "");
    EXPECT_EQ(ReadText(dir.File("status.txt")), "1\n");
}

// Runs a command line on a pseudo-terminal with script(1); false if that cannot be done here.
bool CanUseTerminal(const TempDir& dir) {
    return std::filesystem::exists("/usr/bin/script") &&
           RunShell(dir, "script -qec true /dev/null").status == 0;
}

std::string OnTerminal(const std::string& command) {
    return "script -qec \"" + command + "\" /dev/null > terminal.txt";
}

TEST(cli, refuses_a_terminal_as_standard_output) {
    Workspace work;
    if (!CanUseTerminal(work.dir)) {
        GTEST_SKIP() << "no script(1) or no pseudo-terminal";
    }
    const Outcome outcome = RunShell(work.dir, OnTerminal(kCli + " --value 1 src.bin -"));
    EXPECT_EQ(outcome.status, 2);
    const std::string screen = ReadText(work.dir.File("terminal.txt"));
    EXPECT_NE(screen.find("terminal"), std::string::npos) << screen;
    EXPECT_LT(screen.size(), 200u) << "binary output reached the terminal";
}

TEST(cli, shows_progress_only_on_a_terminal_once_the_work_lasts) {
    Workspace work;
    if (!CanUseTerminal(work.dir)) {
        GTEST_SKIP() << "no script(1) or no pseudo-terminal";
    }
    // A source that pauses past the quiet period, from a pipe, so its size is unknown.
    const std::string slow =
        "(head -c 1000 src.bin; sleep 1.3; cat src.bin) | " + kCli + " - dst.bin";
    const Outcome onTerminal = RunShell(work.dir, OnTerminal(slow));
    EXPECT_EQ(onTerminal.status, 0);
    const std::string screen = ReadText(work.dir.File("terminal.txt"));
    EXPECT_TRUE(screen.starts_with("\r")) << screen;
    EXPECT_NE(screen.find(" MB/s"), std::string::npos) << screen;
    // The terminal turns the final newline into a carriage return and a line feed.
    EXPECT_TRUE(screen.ends_with("\r\n")) << screen;

    const Outcome redirected = RunShell(work.dir, slow);
    EXPECT_EQ(redirected.status, 0);
    EXPECT_EQ(redirected.errors, "");
}

TEST(cli, prints_help_and_version_on_standard_output) {
    struct Row {
        std::string arguments;
        std::string firstLine;
    };
    const Row rows[] = {
        {"--version", "pomuru-cipher-cli 2.0"},
        {"--help", "Usage: pomuru-cipher-cli [OPTION]... SOURCE DEST"},
        {"--value 5 --help src.bin", "Usage: pomuru-cipher-cli [OPTION]... SOURCE DEST"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments);
        TempDir dir;
        const Outcome outcome = RunShell(dir, kCli + " " + row.arguments);
        EXPECT_EQ(outcome.status, 0);
        EXPECT_EQ(outcome.errors, "");
        const std::string text = ReadText(dir.File("stdout.bin"));
        EXPECT_EQ(text.substr(0, text.find('\n')), row.firstLine);
    }
}

}  // namespace
}  // namespace pomuru
