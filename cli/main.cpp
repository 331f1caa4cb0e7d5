// pomuru-cipher-cli: converts one file with the same rule and settings as the dialog.
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "base/file.h"
#include "base/file_error.h"
#include "base/interrupt_cleanup.h"
#include "cipher/conversion_job.h"
#include "cli/command_line.h"
#include "cli/console.h"
#include "cli/progress_meter.h"
#include "cli/settings_finder.h"

namespace {

using namespace pomuru;

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

void PrintError(const std::string& message) {
    const std::string line = std::string(kProgramName) + ": " + message + "\n";
    if (!WriteConsoleText(StandardStream::Error, line)) {
        std::fputs(line.c_str(), stderr);
    }
}

int ReportUsageError(const std::string& message) {
    PrintError(message + "\nTry '" + std::string(kProgramName) + " --help'.");
    return kExitUsage;
}

// Paths in quotes, so that one with blanks still reads as one name; streams in words.
std::string Mention(const std::string& operand, const std::string& streamName) {
    return operand == kStandardStream ? streamName : Quoted(operand);
}

// Whoever reads standard output may stop on purpose, as `head` does: that needs no message.
bool IsClosedPipe(const FileError& error) {
    return error.Operation() == FileOperation::Write && error.SystemError() == EPIPE;
}

int PrintToStandardOutput(const std::string& text) {
    if (WriteConsoleText(StandardStream::Output, text)) {
        return kExitOk;
    }
    try {
        File::StandardOutput().Write(
            {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
        return kExitOk;
    } catch (const FileError& error) {
        if (!IsClosedPipe(error)) {
            PrintError(error.what());
        }
        return kExitFailed;
    }
}

File OpenSource(const std::string& operand) {
    return operand == kStandardStream ? File::StandardInput() : File::OpenForReading(operand);
}

File OpenDest(const std::string& operand) {
    return operand == kStandardStream ? File::StandardOutput() : File::OpenForWriting(operand);
}

// What standard error says when a signal ends the run, before and after DEST holds every byte.
InterruptNotices NoticesFor(const CommandLine& line, const ConversionJob& job) {
    // A progress line may stand unfinished on the terminal.
    const std::string start = std::string(IsTerminal(StandardStream::Error) ? "\n" : "") +
                              std::string(kProgramName) + ": interrupted";
    const std::string dest = Mention(line.dest, "standard output");
    std::string cutBack = start + "; " + dest + " is left as it was before";
    if (const auto from = job.OverwritesFrom()) {
        cutBack = start + "; " + dest + " keeps its old size, but its bytes from " +
                  std::to_string(*from) + " on were overwritten up to where the run stopped";
    }
    return {cutBack + "\n", start + " after the last write; " + dest + " holds the whole output\n"};
}

// The old bytes of a "1<>" standard output that a failed run wrote over: cutting back cannot
// restore them, so the message says which.
std::string Overwritten(const ConversionJob& job) {
    const auto from = job.OverwritesFrom();
    if (!from || job.OverwrittenEnd() <= *from) {
        return {};
    }
    return "; standard output keeps its old size, but its bytes " + std::to_string(*from) + " to " +
           std::to_string(job.OverwrittenEnd() - 1) + " now hold part of this run's output";
}

int Convert(const CommandLine& line) {
    if (line.dest == kStandardStream && IsTerminal(StandardStream::Output)) {
        return ReportUsageError("refusing to write binary output to a terminal");
    }
    std::optional<ConversionJob> job;
    std::int64_t sourceSize = -1;
    try {
        // The source first: when it cannot be opened, DEST is not even created.
        File source = OpenSource(line.source);
        job = ConversionJob::Prepare(std::move(source), OpenDest(line.dest));
        if (job) {
            sourceSize = job->SourceSize().value_or(-1);
        }
    } catch (const FileError& error) {
        PrintError(error.what());
        return kExitFailed;
    }
    if (!job) {
        return ReportUsageError(Mention(line.source, "standard input") + " and " +
                                Mention(line.dest, "standard output") + " are the same file");
    }
    ProgressMeter meter(sourceSize, STDERR_FILENO, IsTerminal(StandardStream::Error));
    try {
        job->Run(line.params, &meter, NoticesFor(line, *job));
    } catch (const FileError& error) {
        meter.Finish();
        if (!IsClosedPipe(error) || line.dest != kStandardStream) {
            PrintError(error.what() + Overwritten(*job));
        }
        return kExitFailed;
    }
    meter.Finish();
    return kExitOk;
}

// The search's answers go to standard output, unless the restored file does.
void PrintAnswers(const CommandLine& line, const std::string& text) {
    if (line.dest == kStandardStream) {
        if (!WriteConsoleText(StandardStream::Error, text)) {
            std::fputs(text.c_str(), stderr);
        }
        return;
    }
    PrintToStandardOutput(text);
}

// --find-settings, then with DEST the conversion with the one answer, through the same run.
int FindSettings(const CommandLine& line) {
    if (line.dest == kStandardStream && IsTerminal(StandardStream::Output)) {
        return ReportUsageError("refusing to write binary output to a terminal");
    }
    const SearchResult found = RunSettingsSearch(
        line, {PrintError, [&line](const std::string& text) { PrintAnswers(line, text); }});
    if (found.usageError) {
        return ReportUsageError(*found.usageError);
    }
    if (line.dest.empty()) {
        return found.status;
    }
    if (!found.restoreWith) {
        PrintError("nothing written to " + Mention(line.dest, "standard output"));
        return found.status;
    }
    CommandLine restore = line;
    restore.mode = CommandLine::Mode::Convert;
    restore.params = *found.restoreWith;
    const int converted = Convert(restore);
    return converted != kExitOk ? converted : found.status;
}

int RunProgram(int argc, NativeArgument argv[]) {
    // Before anything is opened: a file must not take a closed stream's place.
    if (!OccupyClosedStandardStreams()) {
        return kExitFailed;
    }
    PrepareStandardStreams();
    std::vector<std::string> arguments = Utf8Arguments(argc, argv);
    std::vector<char*> pointers;
    for (std::string& argument : arguments) {
        pointers.push_back(argument.data());
    }
    pointers.push_back(nullptr);

    const auto parsed = ParseCommandLine(static_cast<int>(arguments.size()), pointers.data());
    if (const auto* usage = std::get_if<UsageError>(&parsed)) {
        return ReportUsageError(usage->message);
    }
    const auto& line = std::get<CommandLine>(parsed);
    switch (line.mode) {
        case CommandLine::Mode::Help:
            return PrintToStandardOutput(HelpText());
        case CommandLine::Mode::Version:
            return PrintToStandardOutput(VersionText());
        case CommandLine::Mode::FindSettings:
            return FindSettings(line);
        case CommandLine::Mode::Convert:
            break;
    }
    return Convert(line);
}

// Every failure is told and ends the program with the failure's status, never with an abort.
int RunProgramReportingAll(int argc, NativeArgument argv[]) {
    try {
        return RunProgram(argc, argv);
    } catch (const std::bad_alloc&) {
        PrintError(std::strerror(ENOMEM));
    } catch (const std::exception& error) {
        PrintError(error.what());
    }
    return kExitFailed;
}

}  // namespace

#ifdef _WIN32
// Linked with -municode. Without shell32 (which would split the command line otherwise) the
// console keeps sending the log-off and shut-down events that let a run clean up.
int wmain(int argc, wchar_t* argv[]) {
    return RunProgramReportingAll(argc, argv);
}
#else
int main(int argc, char* argv[]) {
    return RunProgramReportingAll(argc, argv);
}
#endif
