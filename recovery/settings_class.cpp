// The class of a set of settings, and the sum of step, start and slide that a class fixes.
#include "recovery/settings_class.h"

#include <algorithm>
#include <bit>
#include <cstdlib>

namespace pomuru::recovery {

Progression Progression::Of(const CipherParams& params) {
    if (params.step <= 0) {
        return {std::max<std::int64_t>(1, params.start), 1};
    }
    const std::int64_t countFrom = std::max<std::int64_t>(1, params.slide);
    return {std::max<std::int64_t>(params.start, countFrom + params.step - 1), params.step};
}

std::int64_t Progression::FirstFrom(std::int64_t position) const {
    if (position <= first) {
        return first;
    }
    return first + (position - first + stride - 1) / stride * stride;
}

bool Progression::Contains(std::int64_t position) const {
    return position >= first && (position - first) % stride == 0;
}

std::int64_t Progression::CountUpTo(std::int64_t size) const {
    return size < first ? 0 : (size - first) / stride + 1;
}

ValueClass ValueClass::Of(const CipherParams& params) {
    const auto lowByte = static_cast<std::uint8_t>(params.value & 0xFF);
    const std::int64_t magnitude = std::llabs(static_cast<std::int64_t>(params.value));
    if (!params.randomize || magnitude <= 1) {
        return {Rule::Constant, lowByte, 1};
    }
    if (magnitude >= kHighRange || magnitude % 256 == 0) {
        return {Rule::LowByte, lowByte, 1};
    }
    return {Rule::Remainder, lowByte, static_cast<std::uint32_t>(magnitude)};
}

std::uint32_t ValueClass::DrawModulus() const {
    switch (rule) {
        case Rule::Constant:
            return 1;
        case Rule::LowByte:
            return 256;
        case Rule::Remainder:
            break;
    }
    return std::has_single_bit(modulus) ? modulus : kHighRange;
}

SettingsClass SettingsClass::Of(const CipherParams& params) {
    SettingsClass result{Progression::Of(params), ValueClass::Of(params), {}};
    if (result.value.IsRandom()) {
        const std::uint32_t start = StartingValue(static_cast<std::uint32_t>(params.step) +
                                                  static_cast<std::uint32_t>(params.start) +
                                                  static_cast<std::uint32_t>(params.slide));
        const std::uint32_t low = start & (kLowRange - 1);
        result.seed = {(start >> 16) % result.value.DrawModulus(), low, low + 1};
    }
    return result;
}

int SettingsClass::SumBits() const {
    return value.IsRandom() ? 16 + std::countr_zero(value.DrawModulus()) : 0;
}

std::uint32_t SettingsClass::Sum() const {
    if (!value.IsRandom()) {
        return 0;
    }
    const std::uint32_t start = (seed.high % value.DrawModulus()) << 16 | seed.lowFirst;
    const int bits = SumBits();
    return SumFor(start) & (bits >= 32 ? ~0u : (1u << bits) - 1);
}

}  // namespace pomuru::recovery
