// Option parsing with getopt_long, the integer syntax of the settings, and the help text.
#include "cli/command_line.h"

#include <getopt.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

#include "base/decimal_integer.h"
#include "base/file_error.h"
#include "recovery/file_kind.h"
#include "res/version_info.h"

namespace pomuru {

namespace {

// Values above any character, so that getopt's optopt tells a long option from a short one.
enum OptionId : int {
    kValue = 256,
    kStep,
    kStart,
    kSlide,
    kRandomize,
    kHelp,
    kVersion,
    kFindSettings,
    kKind,
    kNoRandomize,
    kTimeLimit,
};

constexpr option kOptions[] = {
    {"value", required_argument, nullptr, kValue},
    {"step", required_argument, nullptr, kStep},
    {"start", required_argument, nullptr, kStart},
    {"slide", required_argument, nullptr, kSlide},
    {"randomize", no_argument, nullptr, kRandomize},
    {"help", no_argument, nullptr, kHelp},
    {"version", no_argument, nullptr, kVersion},
    {"find-settings", no_argument, nullptr, kFindSettings},
    {"kind", required_argument, nullptr, kKind},
    {"no-randomize", no_argument, nullptr, kNoRandomize},
    {"time-limit", required_argument, nullptr, kTimeLimit},
    {nullptr, 0, nullptr, 0},
};

// The longest search one may ask for: a week.
constexpr std::int32_t kLongestTimeLimit = 7 * 24 * 60 * 60;

std::string OptionName(int id) {
    const auto* found = std::ranges::find(kOptions, id, &option::val);
    return found->name != nullptr ? std::string("--") + found->name : std::string("--?");
}

bool TakesNoArgument(int id) {
    const auto* found = std::ranges::find(kOptions, id, &option::val);
    return found->name != nullptr && found->has_arg == no_argument;
}

std::variant<std::int32_t, UsageError> ParseInteger(int id, std::string_view text) {
    const auto parsed = ParseDecimalInt32(text);
    if (const auto* value = std::get_if<std::int32_t>(&parsed)) {
        return *value;
    }
    if (std::get<IntegerError>(parsed) == IntegerError::OutOfRange) {
        return UsageError{"integer for " + OptionName(id) + " out of range: " + Quoted(text) +
                          " (allowed " + std::to_string(std::numeric_limits<std::int32_t>::min()) +
                          " to " + std::to_string(std::numeric_limits<std::int32_t>::max()) + ")"};
    }
    return UsageError{"invalid integer for " + OptionName(id) + ": " + Quoted(text)};
}

// The unknown short option getopt_long has just met, as the user typed it: the whole character,
// where getopt sees only its first byte. There are no short options, so it is the first one of
// its word, which getopt has stepped over if nothing follows it there.
std::string ShortOption(int argc, char* argv[]) {
    const char byte = static_cast<char>(optopt);
    for (const int i : {optind, optind - 1}) {
        if (i > 0 && i < argc && argv[i][0] == '-' && argv[i][1] == byte) {
            const std::string_view rest(argv[i] + 1);
            std::size_t length = 1;
            while (length < std::min<std::size_t>(rest.size(), 4) &&
                   (static_cast<unsigned char>(rest[length]) & 0xC0) == 0x80) {
                ++length;
            }
            // Appended: "-" + ... draws a false -Wrestrict from GCC 12.
            std::string option(1, '-');
            option += rest.substr(0, length);
            return option;
        }
    }
    return {'-', byte};
}

// getopt_long's '?': an unknown option, or an argument given to an option that takes none.
UsageError BadOption(int argc, char* argv[]) {
    if (optopt >= kValue) {
        return UsageError{"option '" + OptionName(optopt) + "' doesn't allow an argument"};
    }
    if (optopt != 0) {
        return UsageError{"unrecognized option " + Quoted(ShortOption(argc, argv))};
    }
    // An unknown or ambiguous long option; getopt has just stepped over it.
    const std::string_view word = optind > 0 && optind <= argc ? argv[optind - 1] : "";
    const std::string_view name = word.substr(0, word.find('='));
    std::string candidates;
    int count = 0;
    for (const option& known : kOptions) {
        if (known.name != nullptr && name.size() > 2 &&
            std::string_view(known.name).starts_with(name.substr(2))) {
            candidates += " '--" + std::string(known.name) + "'";
            ++count;
        }
    }
    if (count > 1) {
        return UsageError{"option " + Quoted(name) + " is ambiguous; possibilities:" + candidates};
    }
    return UsageError{"unrecognized option " + Quoted(name)};
}

std::variant<CommandLine, UsageError> TakeSearchOperands(CommandLine line, int count,
                                                         char* operands[]) {
    if (count == 0) {
        return UsageError{"missing FILE operand after '--find-settings'"};
    }
    if (count > 2) {
        return UsageError{"extra operand " + Quoted(operands[2])};
    }
    line.source = operands[0];
    line.dest = count == 2 ? operands[1] : "";
    if (line.source == kStandardStream) {
        return UsageError{
            "'--find-settings' reads FILE by position, which standard input cannot be"};
    }
    return line;
}

// The options that only a search takes, and settings that contradict each other.
std::optional<UsageError> CheckCombination(const CommandLine& line, int searchOnly) {
    if (line.given.randomize && line.given.noRandomize) {
        return UsageError{"options '--randomize' and '--no-randomize' contradict each other"};
    }
    if (line.mode == CommandLine::Mode::Convert && searchOnly != 0) {
        return UsageError{"option '" + OptionName(searchOnly) + "' needs '--find-settings'"};
    }
    return std::nullopt;
}

std::variant<CommandLine, UsageError> TakeOperands(CommandLine line, int count, char* operands[]) {
    if (line.mode == CommandLine::Mode::FindSettings) {
        return TakeSearchOperands(line, count, operands);
    }
    switch (count) {
        case 0:
            return UsageError{"missing SOURCE and DEST operands"};
        case 1:
            return UsageError{"missing DEST operand after " + Quoted(operands[0])};
        case 2:
            line.source = operands[0];
            line.dest = operands[1];
            return line;
        default:
            return UsageError{"extra operand " + Quoted(operands[2])};
    }
}

}  // namespace

std::variant<CommandLine, UsageError> ParseCommandLine(int argc, char* argv[]) {
    // getopt keeps its position in globals: 0 starts afresh, and its own messages stay off
    // because the caller decides what is printed.
    optind = 0;
    opterr = 0;
    CommandLine line;
    int searchOnly = 0;  // the first option given that only a search takes
    for (;;) {
        // The leading ':' makes a missing argument distinguishable from an unknown option.
        const int id = getopt_long(argc, argv, ":", kOptions, nullptr);
        if (id == -1) {
            break;
        }
        std::int32_t* target = nullptr;
        switch (id) {
            case kValue:
                target = &line.params.value;
                line.given.value = true;
                break;
            case kStep:
                target = &line.params.step;
                line.given.step = true;
                break;
            case kStart:
                target = &line.params.start;
                line.given.start = true;
                break;
            case kSlide:
                target = &line.params.slide;
                line.given.slide = true;
                break;
            case kRandomize:
                line.params.randomize = true;
                line.given.randomize = true;
                continue;
            case kFindSettings:
                line.mode = CommandLine::Mode::FindSettings;
                continue;
            case kKind:
                if (!recovery::ParseKind(optarg)) {
                    return UsageError{"unknown kind " + Quoted(optarg) +
                                      " for '--kind' (known: " + recovery::KindNames() + ")"};
                }
                line.kind = optarg;
                searchOnly = searchOnly != 0 ? searchOnly : id;
                continue;
            case kNoRandomize:
                line.given.noRandomize = true;
                searchOnly = searchOnly != 0 ? searchOnly : id;
                continue;
            case kTimeLimit:
                target = &line.timeLimitSeconds;
                searchOnly = searchOnly != 0 ? searchOnly : id;
                break;
            case kHelp:
                line.mode = CommandLine::Mode::Help;
                return line;
            case kVersion:
                line.mode = CommandLine::Mode::Version;
                return line;
            case ':':
                // BSD's getopt_long, which MinGW has, also answers ':' to an argument given to
                // an option that takes none.
                if (TakesNoArgument(optopt)) {
                    return UsageError{"option '" + OptionName(optopt) +
                                      "' doesn't allow an argument"};
                }
                return UsageError{"option '" + OptionName(optopt) + "' requires an argument"};
            default:
                return BadOption(argc, argv);
        }
        const auto parsed = ParseInteger(id, optarg);
        if (const auto* error = std::get_if<UsageError>(&parsed)) {
            return *error;
        }
        *target = std::get<std::int32_t>(parsed);
        if (id == kTimeLimit && (*target < 1 || *target > kLongestTimeLimit)) {
            return UsageError{"time limit for '--time-limit' out of range: " + Quoted(optarg) +
                              " (allowed 1 to " + std::to_string(kLongestTimeLimit) + " seconds)"};
        }
    }
    if (const auto error = CheckCombination(line, searchOnly)) {
        return *error;
    }
    return TakeOperands(line, argc - optind, argv + optind);
}

std::string HelpText() {
    return R"(Usage: pomuru-cipher-cli [OPTION]... SOURCE DEST
  or:  pomuru-cipher-cli --find-settings [OPTION]... FILE [DEST]
Convert SOURCE into DEST by masking the bytes that the settings choose.
With '-' as SOURCE, read standard input; with '-' as DEST, write standard output.
With --find-settings, work out forgotten settings that restore FILE, a scrambled
file, from what kind of file it was; with DEST, also restore FILE into DEST.

      --value=N      mask each converted byte with the low 8 bits of N (default 0)
      --step=N       convert every N-th counted byte (default 0); 0 or less
                     converts every byte from --start on
      --start=N      convert no byte before position N, counting from 1 (default 0)
      --slide=N      count bytes towards the step from position N on (default 0)
      --randomize    also mask with a random part within the range of N,
                     drawn afresh for each position
      --help         display this help and exit
      --version      output version information and exit

Finding forgotten settings:
      --find-settings  search for settings that restore FILE; any of the
                     options above that are given say what is still known
                     of the settings, and the search keeps to them
      --kind=KIND    what kind of file FILE was: png, zip, jpeg, pdf, gif, wav
                     or mp3 (default: every kind it may have been)
      --no-randomize   the settings had no random part
      --time-limit=SECONDS  stop searching after SECONDS (default 20)

N is a decimal integer with an optional sign that fits in 32 bits.

The conversion is its own inverse: running it again on DEST with the same
settings restores SOURCE. It hides data from casual eyes but is not encryption.
DEST is never left half-written: after a failure or an interrupt it holds what
it held before (a file named as DEST is empty; standard output appended to with
'>>' keeps its old contents). A DEST that another run is writing is refused.

A search prints each answer as options to paste, the class of settings that
restore the file alike, and what backs it: the file's own checksums confirm it
(PNG, ZIP), or it only fits the file's structure and is probable (the other
kinds). DEST is written only when exactly one answer fits.

Exit status:
 0  if OK; with --find-settings, one answer, confirmed,
 1  if the conversion failed; with --find-settings, if no settings fit,
 2  if the command line was wrong,
 3  with --find-settings, if the answer is only probable or several fit.
)";
}

std::string VersionText() {
    const VersionInfo& version = ProgramVersion();
    return std::string(kProgramName) + " " + std::string(version.fileVersionText) + "\n" +
           std::string(version.productName) + "\n";
}

}  // namespace pomuru
