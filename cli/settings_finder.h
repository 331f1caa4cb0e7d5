// --find-settings: the search over FILE, its progress on a terminal, and its answers in words.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "cipher/cipher_params.h"
#include "cli/command_line.h"

namespace pomuru {

struct SearchResult {
    int status = 1;  // 0 confirmed, 1 nothing fits or a failure, 2 usage, 3 probable or several
    std::optional<std::string> usageError;    // with status 2
    std::optional<CipherParams> restoreWith;  // the one answer, to restore FILE into DEST with
};

struct SearchOutput {
    std::function<void(const std::string&)> error;  // one message, without the program's name
    std::function<void(const std::string&)> print;  // the answers
};

SearchResult RunSettingsSearch(const CommandLine& line, const SearchOutput& output);

}  // namespace pomuru
