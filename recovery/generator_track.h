// The generator's first draw along a file. With the seed step + start + slide + position, that
// draw is bits 16..30 of S + position * 214013, where S, the starting value, depends on the
// settings alone. So the draw at a position is the starting value's high part, plus an offset
// known from the position, plus a carry out of the low parts: one bit that depends on whether
// the starting value's low 16 bits reach the position's threshold.
#pragma once

#include <cstdint>

#include "cipher/crt_random.h"

namespace pomuru::recovery {

// Thresholds run from 0 to kLowRange; a threshold of kLowRange is never reached.
inline constexpr std::uint32_t kLowRange = 0x10000;
inline constexpr std::uint32_t kHighRange = 0x8000;

struct TrackPoint {
    std::uint32_t offset;     // added to the starting value's high part, 0..kHighRange-1
    std::uint32_t threshold;  // the carry is 1 when the starting value's low part is at least this
};

// The position enters the seed modulo 2^32.
constexpr TrackPoint PointAt(std::uint64_t position) {
    const std::uint32_t product = static_cast<std::uint32_t>(position) * CrtRandom::kMultiplier;
    return {(product >> 16) & (kHighRange - 1), kLowRange - (product & (kLowRange - 1))};
}

// The draw at a point for a starting value high (any number; only its low 15 bits count) and
// low (0..kLowRange-1).
constexpr int DrawAt(const TrackPoint& point, std::uint32_t high, std::uint32_t low) {
    const std::uint32_t carry = low >= point.threshold ? 1 : 0;
    return static_cast<int>((high + point.offset + carry) & (kHighRange - 1));
}

// The starting value, modulo 2^31, of the settings whose step + start + slide is sum.
constexpr std::uint32_t StartingValue(std::uint32_t sum) {
    return (sum * CrtRandom::kMultiplier + CrtRandom::kIncrement) & 0x7FFFFFFFu;
}

// The inverse: a sum, modulo 2^31, whose starting value is start.
constexpr std::uint32_t SumFor(std::uint32_t start) {
    // The multiplier is odd, so it has an inverse modulo 2^32 (Newton's iteration).
    std::uint32_t inverse = CrtRandom::kMultiplier;
    for (int i = 0; i < 5; ++i) {
        inverse *= 2 - CrtRandom::kMultiplier * inverse;
    }
    return ((start - CrtRandom::kIncrement) * inverse) & 0x7FFFFFFFu;
}

}  // namespace pomuru::recovery
