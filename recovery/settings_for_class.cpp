// Picking settings within a class: a value with the class's rule, then start and slide that
// put the first converted byte in place and give step + start + slide the class's sum.
#include "recovery/settings_for_class.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <vector>

namespace pomuru::recovery {

namespace {

constexpr std::int64_t kIntMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kIntMax = std::numeric_limits<std::int32_t>::max();

std::int32_t ValueFor(const ValueClass& value) {
    switch (value.rule) {
        case ValueClass::Rule::Constant:
            return value.lowByte;
        case ValueClass::Rule::LowByte:
            return value.lowByte == 0 ? 256 : static_cast<std::int32_t>(kHighRange) + value.lowByte;
        case ValueClass::Rule::Remainder:
            break;
    }
    const auto magnitude = static_cast<std::int32_t>(value.modulus);
    return (magnitude & 0xFF) == value.lowByte ? magnitude : -magnitude;
}

// The value nearest 0 in [low, high] that is congruent to residue modulo 2^bits (any value when
// bits is 0), or nothing.
std::optional<std::int64_t> Nearest(std::uint32_t residue, int bits, std::int64_t low,
                                    std::int64_t high) {
    low = std::max(low, kIntMin);
    high = std::min(high, kIntMax);
    if (low > high) {
        return std::nullopt;
    }
    if (bits == 0) {
        return std::clamp<std::int64_t>(0, low, high);
    }
    const std::int64_t modulus = std::int64_t{1} << bits;
    const std::int64_t base = residue & (modulus - 1);
    std::optional<std::int64_t> best;
    const auto consider = [&](std::int64_t x) {
        if (x >= low && x <= high && (!best || std::llabs(x) < std::llabs(*best))) {
            best = x;
        }
    };
    consider(base);
    consider(base - modulus);
    // The largest one at most high, and the smallest one at least low.
    consider(high - ((high - base) % modulus + modulus) % modulus);
    consider(low + ((base - low) % modulus + modulus) % modulus);
    return best;
}

constexpr std::int64_t kSmallSums = 1 << 16;

// Most people leave the slide at 0: the smaller slide wins, then the smaller start.
bool Smaller(const CipherParams& a, const CipherParams& b) {
    return std::pair(std::llabs(a.slide), std::llabs(a.start)) <
           std::pair(std::llabs(b.slide), std::llabs(b.start));
}

std::uint32_t Wrapped(std::int64_t x) {
    return static_cast<std::uint32_t>(x);
}

// start and slide for a step: either start is the first converted byte and counting begins
// early enough, or counting reaches the step exactly there and start is no later.
std::vector<CipherParams> StartAndSlide(const SettingsClass& settings, std::int32_t step,
                                        const SettingsHints& hints) {
    const std::int64_t first = settings.positions.first;
    const int bits = settings.SumBits();
    const std::uint32_t sum = settings.Sum();
    std::vector<CipherParams> options;
    const auto add = [&](std::optional<std::int64_t> start, std::optional<std::int64_t> slide) {
        if (start && slide) {
            options.push_back({.step = step,
                               .start = static_cast<std::int32_t>(*start),
                               .slide = static_cast<std::int32_t>(*slide)});
        }
    };
    // One number fixed (by the rule or a hint), the other chosen for the sum within its bounds.
    const auto fixStart = [&](std::int64_t start, std::int64_t slideHigh) {
        const auto slide =
            hints.slide ? std::optional<std::int64_t>(*hints.slide)
                        : Nearest(sum - Wrapped(step) - Wrapped(start), bits, kIntMin, slideHigh);
        if (slide && *slide <= slideHigh && (!hints.start || *hints.start == start)) {
            add(start, slide);
        }
    };
    const auto fixSlide = [&](std::int64_t slide, std::int64_t startHigh) {
        const auto start =
            hints.start ? std::optional<std::int64_t>(*hints.start)
                        : Nearest(sum - Wrapped(step) - Wrapped(slide), bits, kIntMin, startHigh);
        if (start && *start <= startHigh && (!hints.slide || *hints.slide == slide)) {
            add(start, slide);
        }
    };
    if (step <= 0) {
        // Every byte from max(1, start); the slide plays no part but in the sum.
        if (first > 1) {
            fixStart(first, kIntMax);
        } else {
            fixSlide(hints.slide.value_or(0), 1);
        }
        return options;
    }
    const std::int64_t countFrom = first - step + 1;  // at least 1, as first >= stride
    fixStart(first, countFrom);
    if (countFrom > 1) {
        fixSlide(countFrom, first);
    } else {
        fixSlide(hints.slide.value_or(0), first);
    }
    return options;
}

bool InClass(const SettingsClass& settings, const CipherParams& params) {
    const SettingsClass found = SettingsClass::Of(params);
    return found.positions == settings.positions && found.value == settings.value &&
           found.Sum() == settings.Sum();
}

// The best settings with the seed range's lowest low part.
std::optional<CipherParams> BestFor(const SettingsClass& settings, const SettingsHints& hints) {
    CipherParams base;
    base.value = hints.value.value_or(ValueFor(settings.value));
    base.randomize = hints.randomize.value_or(settings.value.IsRandom());
    if (settings.value.rule == ValueClass::Rule::Constant && base.randomize && !hints.value) {
        // Randomised settings act as plain ones only with a value of 0, 1 or -1.
        base.value = static_cast<std::int8_t>(settings.value.lowByte);
    }
    const std::int32_t step = hints.step.value_or(
        static_cast<std::int32_t>(std::min<std::int64_t>(settings.positions.stride, kIntMax)));
    std::optional<CipherParams> best;
    for (CipherParams params : StartAndSlide(settings, step, hints)) {
        params.value = base.value;
        params.randomize = base.randomize;
        if (InClass(settings, params) && (!best || Smaller(params, *best))) {
            best = params;
        }
    }
    return best;
}

}  // namespace

std::optional<CipherParams> SettingsFor(const SettingsClass& settings, const SettingsHints& hints) {
    std::optional<CipherParams> best = BestFor(settings, hints);
    if (!settings.value.IsRandom() || settings.seed.lowEnd - settings.seed.lowFirst <= 1) {
        return best;
    }
    // Any low part of the range restores the file alike. The sums that people's settings give
    // are small: where one of them falls in the range, it gives settings they may recognise.
    const std::uint32_t drawModulus = settings.value.DrawModulus();
    for (std::int64_t sum = -kSmallSums; sum <= kSmallSums; ++sum) {
        const std::uint32_t start = StartingValue(static_cast<std::uint32_t>(sum));
        const std::uint32_t low = start & (kLowRange - 1);
        if ((start >> 16) % drawModulus != settings.seed.high % drawModulus ||
            low < settings.seed.lowFirst || low >= settings.seed.lowEnd) {
            continue;
        }
        SettingsClass narrowed = settings;
        narrowed.seed = {settings.seed.high, low, low + 1};
        const auto params = BestFor(narrowed, hints);
        if (params && (!best || Smaller(*params, *best))) {
            best = params;
        }
    }
    return best;
}

}  // namespace pomuru::recovery
