// pomuru-cipher-cli: converts one file with the same rule and settings as the dialog.
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <string>
#include <variant>

#include "cipher/conversion_job.h"
#include "cli/command_line.h"
#include "cli/operands.h"
#include "cli/progress_meter.h"

namespace {

using namespace pomuru;

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

void PrintError(const std::string& message) {
    std::fputs((std::string(kProgramName) + ": " + message + "\n").c_str(), stderr);
}

int ReportUsageError(const std::string& message) {
    PrintError(message + "\nTry '" + std::string(kProgramName) + " --help'.");
    return kExitUsage;
}

// Paths in quotes, so that one with blanks still reads as one name; streams in words.
std::string Mention(const std::string& operand, const std::string& streamName) {
    return operand == kStandardStream ? streamName : "'" + operand + "'";
}

bool IsClosedPipe(const ConversionError& error) {
    return error.action == ConversionError::Action::Write && error.systemError == EPIPE;
}

int PrintToStandardOutput(const std::string& text) {
    const IoResult written =
        WriteAll(STDOUT_FILENO, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    if (written.error == 0) {
        return kExitOk;
    }
    const ConversionError error{ConversionError::Action::Write,
                                DestName(std::string(kStandardStream)), written.error};
    if (!IsClosedPipe(error)) {
        PrintError(error.Describe());
    }
    return kExitFailed;
}

int Convert(const CommandLine& line) {
    if (line.dest == kStandardStream && ::isatty(STDOUT_FILENO) == 1) {
        return ReportUsageError("refusing to write binary output to a terminal");
    }
    if (OperandsNameSameFile(line.source, line.dest)) {
        return ReportUsageError(Mention(line.source, SourceName(line.source)) + " and " +
                                Mention(line.dest, DestName(line.dest)) + " are the same file");
    }
    auto opened = OpenOperands(line.source, line.dest);
    if (const auto* error = std::get_if<ConversionError>(&opened)) {
        PrintError(error->Describe());
        return kExitFailed;
    }
    auto& job = std::get<ConversionJob>(opened);
    ProgressMeter meter(job.SourceSize(), STDERR_FILENO);
    const auto error = job.Run(line.params, &meter);
    meter.Finish();
    if (!error) {
        return kExitOk;
    }
    // Whoever read standard output has stopped on purpose, as `head` does: no message.
    if (!(line.dest == kStandardStream && IsClosedPipe(*error))) {
        PrintError(error->Describe());
    }
    return kExitFailed;
}

}  // namespace

int main(int argc, char* argv[]) {
    // A closed pipe and a file size limit then come back from write as EPIPE and EFBIG and are
    // handled like any other failure, instead of killing the program with DEST half-written.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);

    const auto parsed = ParseCommandLine(argc, argv);
    if (const auto* usage = std::get_if<UsageError>(&parsed)) {
        return ReportUsageError(usage->message);
    }
    const auto& line = std::get<CommandLine>(parsed);
    switch (line.mode) {
        case CommandLine::Mode::Help:
            return PrintToStandardOutput(HelpText());
        case CommandLine::Mode::Version:
            return PrintToStandardOutput(VersionText());
        case CommandLine::Mode::Convert:
            break;
    }
    return Convert(line);
}
