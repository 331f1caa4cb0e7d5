// The search request from the command line, and the outcome as options to paste, the class
// they stand for and what backs them.
#include "cli/settings_finder.h"

#include <unistd.h>

#include <chrono>
#include <thread>

#include "base/file.h"
#include "base/file_error.h"
#include "cli/console.h"
#include "cli/file_byte_source.h"
#include "cli/search_meter.h"
#include "recovery/class_description.h"
#include "recovery/settings_search.h"

namespace pomuru {

namespace {

using recovery::SearchOutcome;

constexpr int kConfirmed = 0;
constexpr int kNothingFits = 1;
constexpr int kUsage = 2;
constexpr int kUncertain = 3;

recovery::SettingsHints HintsOf(const CommandLine& line) {
    recovery::SettingsHints hints;
    const auto given = [](bool isGiven, std::int32_t value) {
        return isGiven ? std::optional<std::int32_t>(value) : std::nullopt;
    };
    hints.value = given(line.given.value, line.params.value);
    hints.step = given(line.given.step, line.params.step);
    hints.start = given(line.given.start, line.params.start);
    hints.slide = given(line.given.slide, line.params.slide);
    if (line.given.randomize || line.given.noRandomize) {
        hints.randomize = line.given.randomize;
    }
    return hints;
}

std::string Options(const CipherParams& params) {
    return "--value " + std::to_string(params.value) + " --step " + std::to_string(params.step) +
           " --start " + std::to_string(params.start) + " --slide " + std::to_string(params.slide) +
           (params.randomize ? " --randomize" : "");
}

std::string AnswerText(const recovery::Answer& answer) {
    return Options(answer.params) + "\n  " + (answer.confirmed ? "confirmed by " : "probable: ") +
           answer.evidence + "\n  " +
           "restoring alike: " + recovery::DescribeClass(answer.settings, answer.params) + "\n";
}

// "a PNG file", or "a PNG, ZIP or JPEG file".
std::string KindsInWords(const std::vector<recovery::FileKind>& kinds) {
    std::string words;
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        words += (i == 0                  ? ""
                  : i + 1 == kinds.size() ? " or "
                                          : ", ") +
                 std::string(recovery::KindTitle(kinds[i]));
    }
    return (words.empty() ? "any kind of" : "a " + words) + " file";
}

void Summarise(const CommandLine& line, const SearchOutcome& outcome, const SearchOutput& output) {
    const std::string file = Quoted(line.source);
    const std::string timedOut = outcome.timedOut ? "; the search stopped at its time limit of " +
                                                        std::to_string(line.timeLimitSeconds) +
                                                        " s ('--time-limit' gives it longer)"
                                                  : "";
    switch (outcome.verdict) {
        case SearchOutcome::Verdict::Confirmed:
            return;
        case SearchOutcome::Verdict::Probable:
            output.error("the answer for " + file + " is probable only: the file's " +
                         std::string(recovery::KindTitle(outcome.answers.front().kind)) +
                         " structure fits it, but nothing in it can confirm it" + timedOut);
            if (outcome.laterBeginnings > 0) {
                output.error("where the converted bytes begin the file cannot tell: " +
                             std::to_string(outcome.laterBeginnings) +
                             " later beginnings fit as well; the earliest is shown");
            }
            return;
        case SearchOutcome::Verdict::Ambiguous:
            output.error(
                std::to_string(outcome.answersFound) + " answers fit " + file +
                " and restore it differently" +
                (outcome.answers.size() < outcome.answersFound
                     ? " (the first " + std::to_string(outcome.answers.size()) + " are shown)"
                     : "") +
                "; a hint such as '--step' or '--value' may tell them apart" + timedOut);
            return;
        case SearchOutcome::Verdict::NothingFits:
            output.error("no settings found that restore " + file + " to " +
                         KindsInWords(outcome.kinds) + timedOut +
                         (line.kind.empty()
                              ? "; if you know what kind of file it was, name it with '--kind'"
                              : ""));
            return;
        case SearchOutcome::Verdict::UnknownKind:
            break;
    }
    output.error(file + " does not look like a scrambled " + recovery::KindNames() +
                 " file; if you know what kind of file it was, name it with '--kind'");
}

int StatusOf(SearchOutcome::Verdict verdict) {
    switch (verdict) {
        case SearchOutcome::Verdict::Confirmed:
            return kConfirmed;
        case SearchOutcome::Verdict::Probable:
        case SearchOutcome::Verdict::Ambiguous:
            return kUncertain;
        case SearchOutcome::Verdict::NothingFits:
        case SearchOutcome::Verdict::UnknownKind:
            break;
    }
    return kNothingFits;
}

}  // namespace

SearchResult RunSettingsSearch(const CommandLine& line, const SearchOutput& output) {
    std::int64_t size = 0;
    try {
        // The file layer's checks and messages: a regular file, and not DEST under another name.
        File file = File::OpenForReading(line.source);
        const auto regular = file.RegularFileSize();
        if (!regular) {
            return {kUsage,
                    Quoted(line.source) + " is no regular file, which '--find-settings' needs",
                    std::nullopt};
        }
        if (!line.dest.empty() && line.dest != kStandardStream && IsSameFile(file, line.dest)) {
            return {kUsage,
                    Quoted(line.source) + " and " + Quoted(line.dest) + " are the same file",
                    std::nullopt};
        }
        size = *regular;
        file.Close();
    } catch (const FileError& error) {
        output.error(error.what());
        return {kNothingFits, std::nullopt, std::nullopt};
    }

    recovery::SearchRequest request;
    if (!line.kind.empty()) {
        request.kind = recovery::ParseKind(line.kind);
    }
    request.hints = HintsOf(line);
    request.timeLimit = std::chrono::seconds(line.timeLimitSeconds);
    request.threads = std::max(1u, std::thread::hardware_concurrency());
    const bool onTerminal = IsTerminal(StandardStream::Error);
    if (onTerminal) {
        output.error("searching " + Quoted(line.source) + " for up to " +
                     std::to_string(line.timeLimitSeconds) + " s on " +
                     std::to_string(request.threads) + " threads");
    }
    SearchOutcome outcome;
    try {
        const FileByteSource source(line.source, size);
        SearchMeter meter(STDERR_FILENO, onTerminal, std::chrono::seconds(line.timeLimitSeconds));
        outcome =
            recovery::FindSettings(source, request, [&meter](double done) { meter.Update(done); });
    } catch (const FileError& error) {
        output.error(error.what());
        return {kNothingFits, std::nullopt, std::nullopt};
    }
    std::string answers;
    for (const recovery::Answer& answer : outcome.answers) {
        answers += AnswerText(answer);
    }
    if (!answers.empty()) {
        output.print(answers);
    }
    Summarise(line, outcome, output);
    SearchResult result{StatusOf(outcome.verdict), std::nullopt, std::nullopt};
    if (outcome.answers.size() == 1) {
        result.restoreWith = outcome.answers.front().params;
    }
    return result;
}

}  // namespace pomuru
