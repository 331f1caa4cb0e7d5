// What the user still knows of the settings; the search keeps to it.
#pragma once

#include <cstdint>
#include <optional>

namespace pomuru::recovery {

struct SettingsHints {
    std::optional<std::int32_t> value;
    std::optional<std::int32_t> step;
    std::optional<std::int32_t> start;
    std::optional<std::int32_t> slide;
    std::optional<bool> randomize;
};

}  // namespace pomuru::recovery
