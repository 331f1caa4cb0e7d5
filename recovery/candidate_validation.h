// Checking one candidate against the file: its structure step by step, its seed range split
// wherever the file tells the parts apart.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>
#include <vector>

#include "recovery/structure_check.h"

namespace pomuru::recovery {

struct CheckedClass {
    SettingsClass settings;
    Evidence evidence;
    bool confirmed = false;
    std::string words;                 // what the evidence is
    std::vector<ByteRange> unchecked;  // where the check did not look
};

// The parts of the candidate that pass the check, at most limit of them. The parts returned
// restore the whole file alike: a seed range that still leaves some byte undecided (one the
// check did not reach) is split there into parts of their own.
std::vector<CheckedClass> CheckCandidate(const SettingsClass& candidate,
                                         const StructureCheck& check, BlockReader& reader,
                                         const std::atomic<bool>& stop, std::size_t limit);

// The thresholds inside the seed range where the mask of some converted byte of a file of the
// given size changes.
std::vector<std::uint32_t> UndecidedThresholds(const SettingsClass& candidate,
                                               std::int64_t fileSize);

}  // namespace pomuru::recovery
