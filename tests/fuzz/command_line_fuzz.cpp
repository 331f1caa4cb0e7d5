// The command line's parser on arbitrary words (the input cut at NUL bytes): what it refuses it
// says in one printable line, and what it accepts reads the same when written out again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "cli/command_line.h"
#include "fuzz_support.h"

namespace {

using namespace pomuru;

std::variant<CommandLine, UsageError> Parse(std::vector<std::string> words) {
    // getopt_long reorders the pointers, and keeps some state between calls.
    std::string program(kProgramName);
    std::vector<char*> argv{program.data()};
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    return ParseCommandLine(static_cast<int>(argv.size() - 1), argv.data());
}

// The settings as options, and the operands after "--", so that any word stays one.
std::vector<std::string> WrittenOut(const CommandLine& line) {
    const CipherParams& p = line.params;
    std::vector<std::string> words{
        "--value=" + std::to_string(p.value), "--step=" + std::to_string(p.step),
        "--start=" + std::to_string(p.start), "--slide=" + std::to_string(p.slide)};
    if (p.randomize) {
        words.emplace_back("--randomize");
    }
    words.insert(words.end(), {"--", line.source, line.dest});
    return words;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using pomuru::fuzz::Require;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> words;
    for (std::size_t from = 0; from <= input.size();) {
        const std::size_t end = std::min(input.find('\0', from), input.size());
        words.emplace_back(input.substr(from, end - from));
        from = end + 1;
    }
    const auto parsed = Parse(words);
    if (const auto* error = std::get_if<UsageError>(&parsed)) {
        const auto characters = pomuru::fuzz::DecodeUtf8(error->message);
        Require(characters && !characters->empty(), "usage message is no UTF-8", error->message);
        for (const char32_t c : *characters) {
            Require(c >= 0x20 && (c < 0x7F || c > 0x9F), "control character in a usage message",
                    error->message);
        }
        return 0;
    }
    const auto& line = std::get<CommandLine>(parsed);
    if (line.mode == CommandLine::Mode::Convert) {
        const auto again = Parse(WrittenOut(line));
        const auto* reread = std::get_if<CommandLine>(&again);
        Require(reread != nullptr && reread->params == line.params &&
                    reread->source == line.source && reread->dest == line.dest,
                "a command line reads otherwise when written out");
    }
    return 0;
}
