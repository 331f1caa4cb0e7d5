// The command line's parser on arbitrary words (the input cut at NUL bytes): what it accepts
// agrees with a plain reading of the syntax, and what it refuses it says in one printable line.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "cli/command_line.h"
#include "fuzz_support.h"

namespace pomuru::fuzz {
namespace {

enum class Option { Value, Step, Start, Slide, Randomize, Help, Version };

constexpr struct {
    std::string_view name;
    Option option;
} kLongOptions[] = {
    {"value", Option::Value},     {"step", Option::Step},           {"start", Option::Start},
    {"slide", Option::Slide},     {"randomize", Option::Randomize}, {"help", Option::Help},
    {"version", Option::Version},
};

// A long option by its full name or by a beginning that only one name has.
std::optional<Option> FindOption(std::string_view name) {
    std::optional<Option> found;
    int beginnings = 0;
    for (const auto& known : kLongOptions) {
        if (known.name == name) {
            return known.option;
        }
        if (known.name.starts_with(name)) {
            found = known.option;
            ++beginnings;
        }
    }
    return beginnings == 1 ? found : std::nullopt;
}

std::int32_t* SettingOf(Option option, CipherParams& params) {
    switch (option) {
        case Option::Value:
            return &params.value;
        case Option::Step:
            return &params.step;
        case Option::Start:
            return &params.start;
        case Option::Slide:
            return &params.slide;
        default:
            return nullptr;
    }
}

// What a sound command line comes to; nothing for one the parser must refuse. getopt_long's
// rules written out: long options by name or unambiguous beginning, an argument after '=' or
// as the next word, "--" ending the options, words of one '-' or none as operands, and no
// short options at all. The first --help or --version ends the reading.
std::optional<CommandLine> ExpectedCommandLine(const std::vector<std::string>& words) {
    CommandLine line;
    std::vector<std::string> operands;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (optionsEnded || word.size() < 2 || word[0] != '-') {
            operands.push_back(word);
            continue;
        }
        if (word == "--") {
            optionsEnded = true;
            continue;
        }
        const std::size_t equals = word.find('=');
        const auto option = FindOption(std::string_view(word).substr(2, equals - 2));
        if (word[1] != '-' || !option) {
            return std::nullopt;
        }
        std::int32_t* setting = SettingOf(*option, line.params);
        if (setting == nullptr) {
            if (equals != std::string::npos) {
                return std::nullopt;
            }
            if (*option == Option::Randomize) {
                line.params.randomize = true;
                continue;
            }
            line.mode =
                *option == Option::Help ? CommandLine::Mode::Help : CommandLine::Mode::Version;
            return line;
        }
        if (equals == std::string::npos && i + 1 == words.size()) {
            return std::nullopt;
        }
        const auto value = ReferenceDecimalInt32(equals != std::string::npos
                                                     ? std::string_view(word).substr(equals + 1)
                                                     : std::string_view(words[++i]));
        if (!value) {
            return std::nullopt;
        }
        *setting = *value;
    }
    if (operands.size() != 2) {
        return std::nullopt;
    }
    line.source = operands[0];
    line.dest = operands[1];
    return line;
}

// One line of well-formed UTF-8 without C0 controls, DEL or C1 controls.
void RequirePrintableLine(std::string_view message) {
    const Utf8Reading reading = ReadUtf8(message);
    Require(!message.empty(), "empty usage message");
    Require(reading.wellFormed, "usage message is not UTF-8", message);
    for (const char32_t c : reading.codePoints) {
        Require(c >= 0x20 && (c < 0x7F || c > 0x9F), "control character in usage message", message);
    }
}

std::string Words(const std::vector<std::string>& words) {
    std::string joined;
    for (const std::string& word : words) {
        joined += "[" + word + "]";
    }
    return joined;
}

}  // namespace
}  // namespace pomuru::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace pomuru;
    using namespace pomuru::fuzz;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> words;
    for (std::size_t from = 0; from <= input.size();) {
        const std::size_t end = std::min(input.find('\0', from), input.size());
        words.emplace_back(input.substr(from, end - from));
        from = end + 1;
    }
    // getopt_long may reorder the pointers, so it gets copies.
    std::string program(kProgramName);
    std::vector<char*> argv{program.data()};
    std::vector<std::string> arguments = words;
    for (std::string& word : arguments) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    const auto parsed = ParseCommandLine(static_cast<int>(argv.size() - 1), argv.data());
    const std::optional<CommandLine> expected = ExpectedCommandLine(words);
    if (const auto* error = std::get_if<UsageError>(&parsed)) {
        Require(!expected, "sound command line refused", Words(words) + " " + error->message);
        RequirePrintableLine(error->message);
        return 0;
    }
    const auto& line = std::get<CommandLine>(parsed);
    Require(expected.has_value(), "unsound command line accepted", Words(words));
    Require(line.mode == expected->mode && line.params == expected->params &&
                line.source == expected->source && line.dest == expected->dest,
            "command line read otherwise", Words(words));
    return 0;
}
