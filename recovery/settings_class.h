// A class of settings that convert every byte of a file alike: which positions are converted,
// the rule for their masks and as much of the generator's starting value as matters.
#pragma once

#include <cstdint>

#include "cipher/cipher_params.h"
#include "recovery/generator_track.h"

namespace pomuru::recovery {

// The converted positions, counted from 1: first, first + stride, first + 2 stride, ...
struct Progression {
    std::int64_t first = 1;
    std::int64_t stride = 1;

    static Progression Of(const CipherParams& params);
    // The first converted position at or after position.
    std::int64_t FirstFrom(std::int64_t position) const;
    bool Contains(std::int64_t position) const;
    // How many of the positions 1..size are converted.
    std::int64_t CountUpTo(std::int64_t size) const;

    friend bool operator==(const Progression&, const Progression&) = default;
};

// What a converted byte is combined with, given the generator's draw at its position.
struct ValueClass {
    enum class Rule : std::uint8_t {
        // Not randomised, or randomised with a value of 0, 1 or -1: the low byte alone.
        Constant,
        // Randomised, |value| from 2 to 32767 and no multiple of 256: the low byte and the
        // remainder of the draw by |value|.
        Remainder,
        // Randomised, |value| 32768 or more or a multiple of 256: the low byte and the draw's
        // own low byte, as the remainder leaves the draw's low byte as it is.
        LowByte,
    };
    Rule rule = Rule::Constant;
    std::uint8_t lowByte = 0;
    std::uint32_t modulus = 1;  // |value|, for Remainder

    static ValueClass Of(const CipherParams& params);
    bool IsRandom() const { return rule != Rule::Constant; }
    // The draw matters modulo this many values (1 for Constant): 2^15, or |value| when it is a
    // power of two, or 256 for LowByte.
    std::uint32_t DrawModulus() const;
    std::uint8_t MaskForDraw(int draw) const {
        switch (rule) {
            case Rule::Constant:
                return lowByte;
            case Rule::LowByte:
                return static_cast<std::uint8_t>(lowByte ^ draw);
            case Rule::Remainder:
                break;
        }
        return static_cast<std::uint8_t>(lowByte ^ (static_cast<std::uint32_t>(draw) % modulus));
    }

    friend bool operator==(const ValueClass&, const ValueClass&) = default;
};

// The generator's starting value as far as the evidence has told it: its high part modulo the
// value class's DrawModulus, and its low part somewhere in [lowFirst, lowEnd).
struct SeedRange {
    std::uint32_t high = 0;
    std::uint32_t lowFirst = 0;
    std::uint32_t lowEnd = kLowRange;

    friend bool operator==(const SeedRange&, const SeedRange&) = default;
};

// The mask of one converted byte, or the threshold inside the seed range where it changes.
struct MaskDecision {
    std::uint8_t mask = 0;
    std::uint32_t splitAt = 0;  // 0 when the mask is decided
};

struct SettingsClass {
    Progression positions;
    ValueClass value;
    SeedRange seed;

    // The class of the given settings, with a seed range of one low part.
    static SettingsClass Of(const CipherParams& params);

    // For a position that positions contains.
    MaskDecision MaskAt(std::int64_t position) const {
        if (!value.IsRandom()) {
            return {value.lowByte, 0};
        }
        const TrackPoint point = PointAt(static_cast<std::uint64_t>(position));
        const std::uint8_t below = value.MaskForDraw(DrawAt(point, seed.high, seed.lowFirst));
        if (point.threshold <= seed.lowFirst || point.threshold >= seed.lowEnd) {
            return {below, 0};
        }
        const std::uint8_t above = value.MaskForDraw(DrawAt(point, seed.high, seed.lowEnd - 1));
        return {below, below == above ? 0 : point.threshold};
    }

    // How many low bits of step + start + slide the class fixes: 0 without randomisation.
    int SumBits() const;
    // step + start + slide modulo 2^SumBits(), for the lowest low part of the seed range.
    std::uint32_t Sum() const;

    friend bool operator==(const SettingsClass&, const SettingsClass&) = default;
};

}  // namespace pomuru::recovery
