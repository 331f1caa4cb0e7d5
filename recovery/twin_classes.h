// Twins of an answer: other classes that restore every byte the checks looked at alike, and
// some byte they did not look at differently. A twin passes the same checks, so an answer
// with one is not the only one.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "recovery/settings_class.h"
#include "recovery/structure_check.h"

namespace pomuru::recovery {

// Whether some converted byte of a file of the given size lies in the unchecked ranges.
bool ConvertsUnchecked(const Progression& positions, std::span<const ByteRange> unchecked,
                       std::int64_t fileSize);

// The candidate, on the answer's seed range, if it is a twin of the answer.
std::optional<SettingsClass> TwinOf(const SettingsClass& answer, SettingsClass candidate,
                                    std::span<const ByteRange> unchecked, std::int64_t fileSize);

}  // namespace pomuru::recovery
