// Where the converted bytes can lie: every first position and stride that put each known byte
// the file shows changed on a converted position.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "recovery/known_bytes.h"
#include "recovery/random_classes.h"

namespace pomuru::recovery {

// A known byte together with what the scrambled file holds there.
struct ObservedByte {
    std::int64_t offset = 0;
    ByteSet allowed;
    std::uint8_t found = 0;

    bool Changed() const { return !allowed.test(found); }
    bool IsExact() const { return allowed.count() == 1; }
    // An exactly known byte that kept its value: converted, its mask would be 0.
    bool IsExactUnchanged() const { return allowed.count() == 1 && allowed.test(found); }
    std::int64_t Position() const { return offset + 1; }
};

struct StrideHypothesis {
    std::int64_t stride = 1;
    // First converted positions that leave the same known bytes converted, ascending.
    std::vector<std::int64_t> firsts;
    // The known bytes at converted positions.
    std::vector<ObservedByte> converted;
    // Exactly known bytes that would be converted yet show no change (a mask of 0).
    int misses = 0;
};

struct StrideLimits {
    std::int64_t firstStride = 1;
    std::int64_t lastStride = 1;
    int maxMisses = 0;
    std::size_t maxFirsts = 64;  // per hypothesis: the smallest ones and the latest
};

// The low bytes a plain class may have: those that turn every converted known byte into an
// allowed one (never 0).
ByteSet PlainLowBytes(const StrideHypothesis& hypothesis);

// The masks that turn each converted known byte into an allowed one, for the enumeration of
// randomised classes.
std::vector<KnownMask> KnownMasks(const StrideHypothesis& hypothesis);

// How much the converted known bytes tell, in bits: the fewer candidates, the more.
double KnownBits(const StrideHypothesis& hypothesis);

// Calls found for each hypothesis, strides ascending, until it returns false. Nothing when no
// known byte changed.
void ForEachStrideHypothesis(std::span<const ObservedByte> observed, const StrideLimits& limits,
                             const std::function<bool(const StrideHypothesis&)>& found);

}  // namespace pomuru::recovery
