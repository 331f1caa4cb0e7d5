// The search for forgotten settings: from what kind of file the original was, the classes of
// settings that restore the scrambled file, confirmed by its checksums where it has them.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cipher/cipher_params.h"
#include "recovery/byte_source.h"
#include "recovery/file_kind.h"
#include "recovery/settings_class.h"
#include "recovery/settings_hints.h"
#include "recovery/structure_check.h"

namespace pomuru::recovery {

struct SearchRequest {
    std::optional<FileKind> kind;  // nothing: every kind the file may have been
    SettingsHints hints;
    std::chrono::milliseconds timeLimit{20'000};
    unsigned threads = 0;  // 0: one for each core
};

struct Answer {
    FileKind kind = FileKind::Png;
    SettingsClass settings;
    CipherParams params;  // settings of the class to type, agreeing with the hints
    bool confirmed = false;
    Evidence found;
    std::string evidence;  // e.g. "37 PNG chunk checksums"
};

struct SearchOutcome {
    enum class Verdict {
        Confirmed,    // one answer, confirmed by checksums
        Probable,     // one answer, which fits the file's structure
        Ambiguous,    // several answers that restore the file differently
        NothingFits,  // within what was searched
        UnknownKind,  // the file's known bytes fit no kind at all
    };
    Verdict verdict = Verdict::NothingFits;
    std::vector<Answer> answers;   // the confirmed first, then the best supported
    std::size_t answersFound = 0;  // distinct answers found (at most a limit)
    // Probable answers that differ only in where the converted bytes begin, all in bytes the
    // structure leaves free: the one with the earliest beginning is given, as people's starts
    // and slides are small; these are the later ones.
    std::size_t laterBeginnings = 0;
    bool timedOut = false;
    std::vector<FileKind> kinds;  // the kinds searched, the likeliest first
    unsigned threads = 1;
};

// Called from the calling thread now and then with the share of the work done, 0 to 1.
using SearchProgress = std::function<void(double done)>;

// Reads the source by position; read failures are thrown.
SearchOutcome FindSettings(const ByteSource& source, const SearchRequest& request,
                           const SearchProgress& progress = {});

}  // namespace pomuru::recovery
