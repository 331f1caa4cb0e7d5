// A depth-first walk over the parts of a candidate's seed range.
#include "recovery/candidate_validation.h"

#include <algorithm>
#include <memory>
#include <numeric>
#include <set>
#include <utility>

namespace pomuru::recovery {

namespace {

struct Branch {
    SettingsClass settings;
    std::unique_ptr<StructureCheck> check;
};

// Splits a checked part at the thresholds that no check reached.
void AddWholeFileParts(const CheckedClass& checked, std::int64_t fileSize,
                       std::vector<CheckedClass>& results, std::size_t limit) {
    const SeedRange seed = checked.settings.seed;
    std::uint32_t from = seed.lowFirst;
    std::vector<std::uint32_t> cuts = UndecidedThresholds(checked.settings, fileSize);
    cuts.push_back(seed.lowEnd);
    for (const std::uint32_t cut : cuts) {
        if (results.size() >= limit) {
            return;
        }
        CheckedClass part = checked;
        part.settings.seed = {seed.high, from, cut};
        results.push_back(part);
        from = cut;
    }
}

}  // namespace

std::vector<std::uint32_t> UndecidedThresholds(const SettingsClass& candidate,
                                               std::int64_t fileSize) {
    const SeedRange& seed = candidate.seed;
    if (!candidate.value.IsRandom() || seed.lowEnd - seed.lowFirst <= 1) {
        return {};
    }
    // A position's threshold depends on the position modulo 2^16 only, so the first 2^16
    // converted positions have every threshold that occurs; then each threshold inside the
    // range is looked at in every position that has it, for a mask that really changes.
    const Progression& positions = candidate.positions;
    const std::int64_t count = positions.CountUpTo(fileSize);
    const std::int64_t period = kLowRange / std::gcd(positions.stride, std::int64_t{kLowRange});
    std::set<std::uint32_t> cuts;
    for (std::int64_t k = 0; k < std::min(count, period); ++k) {
        const std::int64_t first = positions.first + k * positions.stride;
        const std::uint32_t threshold = PointAt(static_cast<std::uint64_t>(first)).threshold;
        if (threshold <= seed.lowFirst || threshold >= seed.lowEnd || cuts.contains(threshold)) {
            continue;
        }
        for (std::int64_t position = first; position <= fileSize;
             position += period * positions.stride) {
            if (candidate.MaskAt(position).splitAt != 0) {
                cuts.insert(threshold);
                break;
            }
        }
    }
    return {cuts.begin(), cuts.end()};
}

std::vector<CheckedClass> CheckCandidate(const SettingsClass& candidate,
                                         const StructureCheck& check, BlockReader& reader,
                                         const std::atomic<bool>& stop, std::size_t limit) {
    std::vector<CheckedClass> results;
    std::vector<Branch> branches;
    branches.push_back({candidate, check.Clone()});
    while (!branches.empty() && results.size() < limit && !stop.load(std::memory_order_relaxed)) {
        Branch branch = std::move(branches.back());
        branches.pop_back();
        MaskedView view(reader, branch.settings);
        for (;;) {
            StructureCheck::Step step = StructureCheck::Step::Failed;
            try {
                step = branch.check->Next(view);
            } catch (const Ambiguous& ambiguous) {
                // The later parts first, so that the walk takes the lower ones first.
                for (auto part = ambiguous.parts.rbegin(); part != ambiguous.parts.rend(); ++part) {
                    SettingsClass settings = branch.settings;
                    settings.seed = *part;
                    branches.push_back({settings, branch.check->Clone()});
                }
                break;
            } catch (const OutsideFile&) {
            }
            if (step == StructureCheck::Step::More) {
                continue;
            }
            if (step == StructureCheck::Step::Done) {
                const CheckedClass checked{branch.settings, branch.check->Found(),
                                           branch.check->Confirms(), branch.check->Words(),
                                           branch.check->Unchecked(reader.Size())};
                AddWholeFileParts(checked, reader.Size(), results, limit);
            }
            break;
        }
    }
    return results;
}

}  // namespace pomuru::recovery
