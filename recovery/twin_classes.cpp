// A walk over the converted positions, checked and unchecked ranges side by side.
#include "recovery/twin_classes.h"

#include <algorithm>

namespace pomuru::recovery {

bool ConvertsUnchecked(const Progression& positions, std::span<const ByteRange> unchecked,
                       std::int64_t fileSize) {
    return std::any_of(unchecked.begin(), unchecked.end(), [&](const ByteRange& range) {
        const std::int64_t position = positions.FirstFrom(range.first + 1);
        return position <= std::min(range.end, fileSize);
    });
}

std::optional<SettingsClass> TwinOf(const SettingsClass& answer, SettingsClass candidate,
                                    std::span<const ByteRange> unchecked, std::int64_t fileSize) {
    if (candidate.positions != answer.positions ||
        (candidate.value == answer.value && candidate.seed.high == answer.seed.high)) {
        return std::nullopt;
    }
    // The low part is the same number for both: only the answer's range is left.
    candidate.seed.lowFirst = std::max(candidate.seed.lowFirst, answer.seed.lowFirst);
    candidate.seed.lowEnd = std::min(candidate.seed.lowEnd, answer.seed.lowEnd);
    if (candidate.seed.lowFirst >= candidate.seed.lowEnd) {
        return std::nullopt;
    }
    bool differsUnchecked = false;
    auto range = unchecked.begin();
    const std::int64_t step = answer.positions.stride;
    for (std::int64_t position = answer.positions.first; position <= fileSize; position += step) {
        while (range != unchecked.end() && range->end < position) {
            ++range;
        }
        const bool checked = range == unchecked.end() || position <= range->first;
        const MaskDecision mine = answer.MaskAt(position);
        const MaskDecision theirs = candidate.MaskAt(position);
        const bool same = mine.splitAt == 0 && theirs.splitAt == 0 && mine.mask == theirs.mask;
        if (!same && checked) {
            return std::nullopt;
        }
        differsUnchecked = differsUnchecked || !same;
    }
    return differsUnchecked ? std::optional(candidate) : std::nullopt;
}

}  // namespace pomuru::recovery
