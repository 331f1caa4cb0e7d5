// The fast block converter against the per-attempt rule, on random settings and block splits.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <random>
#include <span>
#include <string>

#include "cipher/block_converter.h"
#include "test_support.h"

namespace pomuru::test {
namespace {

// Converts with the block converter, cutting the bytes into blocks of random sizes.
Bytes BlockConvert(Bytes bytes, const BlockConverter& converter, std::int64_t firstPosition,
                   std::mt19937& random) {
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

TEST(block_converter, matches_rule_for_random_settings_block_splits_and_positions) {
    std::mt19937 random(TestSeed());
    for (int round = 0; round < 3000; ++round) {
        CipherParams params = RandomParams(random);
        // Every tenth round starts just past a chosen position below 2^31 or 2^32. With start
        // and slide at most 1 the chosen positions are the multiples of step, so the cursor
        // there is known without replaying the file.
        CipherCursor cursor;
        if (round % 10 == 0) {
            params.start = static_cast<std::int32_t>(random() % 3) - 1;
            params.slide = static_cast<std::int32_t>(random() % 3) - 1;
            const std::int64_t step = params.step > 0 ? params.step : 1;
            cursor.position = (std::int64_t{1} << (31 + random() % 2)) - 1 -
                              static_cast<std::int64_t>(random() % 2000);
            cursor.position -= cursor.position % step;
        }
        const Bytes source = SampleBytes(random() % 1500, random());
        const Bytes expected = ReferenceConvert(source, params, cursor);
        const std::int64_t first = cursor.position + 1;
        SCOPED_TRACE(testing::Message()
                     << "step " << params.step << " value " << params.value << " start "
                     << params.start << " slide " << params.slide
                     << (params.randomize ? " randomised" : "") << " from " << first);
        // Every set of vector instructions this processor has, not only the one a run picks.
        for (const auto unit :
             {VectorUnit::Portable, VectorUnit::Sse2, VectorUnit::Avx2, VectorUnit::Avx512}) {
            if (IsSupported(unit)) {
                ASSERT_EQ(BlockConvert(source, BlockConverter(params, unit), first, random),
                          expected)
                    << "vector unit " << static_cast<int>(unit);
            }
        }
        // The run copies what UnchangedFrom promises unchanged without looking at it: no
        // stretch reaches past the next changed byte.
        const BlockConverter converter(params);
        std::int64_t nextChanged = INT64_MAX;
        for (auto p = first + static_cast<std::int64_t>(source.size()) - 1; p >= first; --p) {
            nextChanged = source[p - first] != expected[p - first] ? p : nextChanged;
            const std::int64_t unchanged = converter.UnchangedFrom(p);
            ASSERT_TRUE(unchanged >= 0 &&
                        (nextChanged == INT64_MAX || unchanged <= nextChanged - p))
                << "from " << p;
        }
    }
}

}  // namespace
}  // namespace pomuru::test
