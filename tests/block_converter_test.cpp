// The fast block converter against the per-attempt rule, on random settings and block splits.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "cipher/block_converter.h"
#include "test_support.h"

namespace pomuru::test {
namespace {

// Converts with the block converter, cutting the bytes into blocks of random sizes.
Bytes BlockConvert(Bytes bytes, const CipherParams& params, std::int64_t firstPosition,
                   std::mt19937& random, VectorUnit unit = FastestVectorUnit()) {
    const BlockConverter converter(params, unit);
    std::size_t offset = 0;
    while (offset < bytes.size()) {
        const std::size_t size = std::min<std::size_t>(
            bytes.size() - offset, std::uniform_int_distribution<std::size_t>(1, 700)(random));
        converter.Convert(std::span(bytes).subspan(offset, size),
                          firstPosition + static_cast<std::int64_t>(offset));
        offset += size;
    }
    return bytes;
}

// Small settings exercise every branch of the rule; a few extremes check the arithmetic.
std::int32_t PickSetting(std::mt19937& random) {
    static constexpr std::int32_t kExtremes[] = {INT_MIN, INT_MIN + 1, -256, -1,     0,
                                                 1,       255,         256,  INT_MAX};
    if (random() % 8 == 0) {
        return kExtremes[random() % std::size(kExtremes)];
    }
    return std::uniform_int_distribution<std::int32_t>(-20, 60)(random);
}

CipherParams RandomParams(std::mt19937& random) {
    // Values up to a little beyond the generator's range and far past it try every kind of
    // divisor.
    const auto anyValue = static_cast<std::int32_t>(random()) >> (random() % 32);
    return {.step = PickSetting(random),
            .value = random() % 2 == 0 ? PickSetting(random) : anyValue,
            .start = PickSetting(random),
            .slide = PickSetting(random),
            .randomize = random() % 2 == 0};
}

std::string Describe(const CipherParams& p) {
    return "step " + std::to_string(p.step) + " value " + std::to_string(p.value) + " start " +
           std::to_string(p.start) + " slide " + std::to_string(p.slide) +
           (p.randomize ? " randomised" : "");
}

TEST(block_converter, matches_rule_for_random_settings_and_block_splits) {
    const std::uint32_t seed = std::random_device{}();
    SCOPED_TRACE("random seed " + std::to_string(seed));
    std::mt19937 random(seed);
    for (int round = 0; round < 3000; ++round) {
        const CipherParams params = RandomParams(random);
        const Bytes source = SampleBytes(random() % 1500, random());
        const Bytes expected = ReferenceConvert(source, params);
        // Every set of vector instructions this processor has, not only the one a run picks.
        for (const auto unit :
             {VectorUnit::Portable, VectorUnit::Sse2, VectorUnit::Avx2, VectorUnit::Avx512}) {
            if (IsSupported(unit)) {
                ASSERT_EQ(BlockConvert(source, params, 1, random, unit), expected)
                    << Describe(params) << " with vector unit " << static_cast<int>(unit);
            }
        }
    }
}

// The run copies what UnchangedFrom promises unchanged without looking at it.
TEST(block_converter, unchanged_stretches_hold_no_changed_byte_and_end_at_a_chosen_one) {
    const std::uint32_t seed = std::random_device{}();
    SCOPED_TRACE("random seed " + std::to_string(seed));
    std::mt19937 random(seed);
    constexpr std::int64_t kLength = 400;
    for (int round = 0; round < 1000; ++round) {
        const CipherParams params = RandomParams(random);
        // masks[p]: what the rule combines position p with; chosen[p]: whether it is chosen.
        std::vector<std::uint8_t> masks(kLength + 1);
        std::vector<bool> chosen(kLength + 1);
        CipherCursor cursor;
        for (std::int64_t p = 1; p <= kLength; ++p) {
            chosen[p] = SelectNext(cursor, params);
            masks[p] = chosen[p] ? MaskFor(params, p) : 0;
        }
        const BlockConverter converter(params);
        for (std::int64_t p = 1; p <= kLength; ++p) {
            const std::int64_t unchanged = converter.UnchangedFrom(p);
            ASSERT_GE(unchanged, 0);
            const std::int64_t end = unchanged > kLength - p ? kLength + 1 : p + unchanged;
            for (std::int64_t q = p; q < end; ++q) {
                ASSERT_EQ(masks[q], 0) << Describe(params) << " from " << p << " at " << q;
            }
            if (end <= kLength) {
                ASSERT_TRUE(chosen[end]) << Describe(params) << " from " << p;
            }
        }
    }
}

TEST(block_converter, matches_rule_near_two_to_the_31_and_32) {
    const std::uint32_t seed = std::random_device{}();
    SCOPED_TRACE("random seed " + std::to_string(seed));
    std::mt19937 random(seed);
    for (const std::int64_t landmark : {std::int64_t{1} << 31, std::int64_t{1} << 32}) {
        for (int round = 0; round < 300; ++round) {
            // With start and slide at most 1 the chosen positions are the multiples of step,
            // so the cursor after any multiple of step is known without replaying the file.
            CipherParams params = RandomParams(random);
            params.start = static_cast<std::int32_t>(random() % 3) - 1;
            params.slide = static_cast<std::int32_t>(random() % 3) - 1;
            const std::int64_t step = params.step > 0 ? params.step : 1;
            std::int64_t lastChosen = landmark - 1 - static_cast<std::int64_t>(random() % 2000);
            lastChosen -= lastChosen % step;
            const Bytes source = SampleBytes(random() % 3000, random());
            ASSERT_EQ(BlockConvert(source, params, lastChosen + 1, random),
                      ReferenceConvert(source, params, CipherCursor{0, lastChosen}))
                << Describe(params) << " after " << lastChosen;
        }
    }
}

}  // namespace
}  // namespace pomuru::test
