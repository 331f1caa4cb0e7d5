// The command line of pomuru-cipher-cli: parsed settings and operands, or what is wrong with it.
#pragma once

#include <string>
#include <string_view>
#include <variant>

#include "cipher/cipher_params.h"

namespace pomuru {

inline constexpr std::string_view kProgramName = "pomuru-cipher-cli";
// The operand that stands for standard input as SOURCE and standard output as DEST.
inline constexpr std::string_view kStandardStream = "-";

struct CommandLine {
    enum class Mode { Convert, FindSettings, Help, Version };

    Mode mode = Mode::Convert;
    CipherParams params;  // defaults as the dialog starts: zeros, not randomised
    std::string source;   // set in Convert and FindSettings mode
    std::string dest;     // in FindSettings mode empty when not given

    // With --find-settings the settings given are what the user still knows of them.
    struct Given {
        bool value = false;
        bool step = false;
        bool start = false;
        bool slide = false;
        bool randomize = false;
        bool noRandomize = false;
    };
    Given given;
    std::string kind;  // --kind as typed, empty when not given
    std::int32_t timeLimitSeconds = 20;
};

// A one-line description of what is wrong, without the program name.
struct UsageError {
    std::string message;
};

// Reads the options with getopt_long, which may reorder argv. Prints nothing and never exits.
std::variant<CommandLine, UsageError> ParseCommandLine(int argc, char* argv[]);

// The --help text, laid out so that help2man can make a manual page from it.
std::string HelpText();

// The --version text; its first line is the program's name and version.
std::string VersionText();

}  // namespace pomuru
