// The fast converter: jumps from one chosen position to the next instead of asking the rule
// about every byte, and looks random masks up by generator value.
#include "cipher/block_converter.h"

#include <algorithm>

#include "cipher/byte_rule.h"
#include "cipher/crt_random.h"

namespace pomuru {

namespace {

// The first chosen position and the distance between chosen positions.
std::int64_t FirstChosenPosition(const CipherParams& p) {
    if (p.step <= 0) {
        return std::max<std::int64_t>(1, p.start);
    }
    const std::int64_t countingFrom = std::max<std::int64_t>(1, p.slide);
    return std::max<std::int64_t>(p.start, countingFrom + p.step - 1);
}

std::int64_t ChosenStride(const CipherParams& p) {
    return p.step <= 0 ? 1 : p.step;
}

// With a value of 1 or -1 every remainder is 0: the random part never changes a byte.
bool RandomPartActs(const CipherParams& p) {
    return p.randomize && p.value != 0 && p.value != 1 && p.value != -1;
}

}  // namespace

BlockConverter::BlockConverter(const CipherParams& params, VectorUnit unit)
    : params_(params),
      unit_(IsSupported(unit) ? unit : VectorUnit::Portable),
      firstChosen_(FirstChosenPosition(params)),
      stride_(ChosenStride(params)),
      random_(RandomPartActs(params)),
      changesAnything_(random_ || (params.value & 0xFF) != 0),
      constantMask_(static_cast<std::uint8_t>(params.value & 0xFF)) {
    if (random_) {
        for (int r = 0; r < 0x8000; ++r) {
            const auto mask = static_cast<std::uint32_t>(params.value ^ (r % params.value));
            randomMasks_[r] = static_cast<std::uint8_t>(mask & 0xFF);
        }
    }
}

std::int64_t BlockConverter::NextChosen(std::int64_t position) const {
    if (position <= firstChosen_) {
        return firstChosen_;
    }
    const std::int64_t behind = position - firstChosen_;
    return firstChosen_ + (behind + stride_ - 1) / stride_ * stride_;
}

std::int64_t BlockConverter::UnchangedFrom(std::int64_t position) const {
    return changesAnything_ ? NextChosen(position) - position : kNothingChanges;
}

void BlockConverter::Convert(std::span<std::uint8_t> block, std::int64_t firstPosition) const {
    if (!changesAnything_ || block.empty()) {
        return;
    }
    const std::int64_t lastPosition = firstPosition + static_cast<std::int64_t>(block.size()) - 1;
    const std::int64_t position = NextChosen(firstPosition);
    if (position > lastPosition) {
        return;
    }
    const std::int64_t offset = position - firstPosition;
    if (random_) {
        ConvertRandom(block, offset, position);
    } else {
        ConvertConstant(block, offset);
    }
}

void BlockConverter::ConvertConstant(std::span<std::uint8_t> block, std::int64_t offset) const {
    if (stride_ == 1) {
        XorConstant(block.subspan(static_cast<std::size_t>(offset)), constantMask_, unit_);
        return;
    }
    const auto size = static_cast<std::int64_t>(block.size());
    std::uint8_t* const data = block.data();
    for (std::int64_t i = offset; i < size; i += stride_) {
        data[i] ^= constantMask_;
    }
}

void BlockConverter::ConvertRandom(std::span<std::uint8_t> block, std::int64_t offset,
                                   std::int64_t position) const {
    const auto size = static_cast<std::int64_t>(block.size());
    std::uint8_t* const data = block.data();
    const std::uint8_t* const masks = randomMasks_.data();
    // The generator state after seeding is affine in the seed, and the seed grows by the
    // stride from one chosen position to the next, so the state grows by a constant too.
    std::uint32_t state =
        RandomSeedFor(params_, position) * CrtRandom::kMultiplier + CrtRandom::kIncrement;
    const std::uint32_t advance = static_cast<std::uint32_t>(stride_) * CrtRandom::kMultiplier;
    if (stride_ == 1) {
        std::int64_t i = offset;
        if (const auto divisor = SmallDivisorFor(params_.value)) {
            i += static_cast<std::int64_t>(
                XorRandom(block.subspan(static_cast<std::size_t>(offset)), state, *divisor,
                          static_cast<std::uint8_t>(params_.value & 0xFF), unit_));
            state += static_cast<std::uint32_t>(i - offset) * advance;
        }
        // Four independent states let the lookups overlap.
        const std::uint32_t advance4 = 4 * advance;
        std::uint32_t s0 = state, s1 = state + advance, s2 = state + 2 * advance,
                      s3 = state + 3 * advance;
        for (; i + 4 <= size; i += 4) {
            data[i] ^= masks[(s0 >> 16) & 0x7FFF];
            data[i + 1] ^= masks[(s1 >> 16) & 0x7FFF];
            data[i + 2] ^= masks[(s2 >> 16) & 0x7FFF];
            data[i + 3] ^= masks[(s3 >> 16) & 0x7FFF];
            s0 += advance4;
            s1 += advance4;
            s2 += advance4;
            s3 += advance4;
        }
        state = s0;
        for (; i < size; ++i) {
            data[i] ^= masks[(state >> 16) & 0x7FFF];
            state += advance;
        }
        return;
    }
    for (std::int64_t i = offset; i < size; i += stride_) {
        data[i] ^= masks[(state >> 16) & 0x7FFF];
        state += advance;
    }
}

}  // namespace pomuru
