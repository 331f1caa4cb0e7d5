// The fast block converter against the per-attempt rule.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <random>
#include <span>
#include <vector>

#include "cipher/block_converter.h"
#include "reference_rule.h"

namespace pomuru {
namespace {

using test::ReferenceConvert;

// Converts with the block converter, cutting the bytes into blocks of random sizes.
std::vector<std::uint8_t> BlockConvert(std::vector<std::uint8_t> bytes, const CipherParams& params,
                                       std::int64_t firstPosition, std::mt19937& random) {
    const BlockConverter converter(params);
    std::size_t offset = 0;
    while (offset < bytes.size()) {
        const std::size_t left = bytes.size() - offset;
        const std::size_t size =
            std::min<std::size_t>(left, std::uniform_int_distribution<std::size_t>(1, 700)(random));
        converter.Convert(std::span(bytes).subspan(offset, size),
                          firstPosition + static_cast<std::int64_t>(offset));
        offset += size;
    }
    return bytes;
}

std::vector<std::uint8_t> RandomBytes(std::size_t size, std::mt19937& random) {
    std::vector<std::uint8_t> bytes(size);
    for (auto& byte : bytes) {
        byte = static_cast<std::uint8_t>(random());
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
    CipherParams params;
    params.step = PickSetting(random);
    params.start = PickSetting(random);
    params.slide = PickSetting(random);
    // Values up to a little beyond the generator's range try every kind of divisor.
    switch (random() % 3) {
        case 0:
            params.value = PickSetting(random);
            break;
        case 1:
            params.value = std::uniform_int_distribution<std::int32_t>(-40000, 40000)(random);
            break;
        default:
            params.value = static_cast<std::int32_t>(random());
            break;
    }
    params.randomize = random() % 2 == 0;
    return params;
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
        const auto source = RandomBytes(random() % 1500, random);
        ASSERT_EQ(BlockConvert(source, params, 1, random), ReferenceConvert(source, params))
            << Describe(params);
    }
}

TEST(block_converter, matches_rule_near_two_to_the_31_and_32) {
    const std::uint32_t seed = std::random_device{}();
    SCOPED_TRACE("random seed " + std::to_string(seed));
    std::mt19937 random(seed);
    constexpr std::int64_t kLandmarks[] = {std::int64_t{1} << 31, std::int64_t{1} << 32};
    for (const std::int64_t landmark : kLandmarks) {
        for (int round = 0; round < 300; ++round) {
            // With start and slide at most 1 the chosen positions are the multiples of step,
            // so the cursor after any multiple of step is known without replaying the file.
            CipherParams params = RandomParams(random);
            params.start = static_cast<std::int32_t>(random() % 3) - 1;
            params.slide = static_cast<std::int32_t>(random() % 3) - 1;
            const std::int64_t step = params.step > 0 ? params.step : 1;
            std::int64_t lastChosen = landmark - 1 - static_cast<std::int64_t>(random() % 2000);
            lastChosen -= lastChosen % step;
            const auto source = RandomBytes(random() % 3000, random);
            ASSERT_EQ(BlockConvert(source, params, lastChosen + 1, random),
                      ReferenceConvert(source, params, CipherCursor{0, lastChosen}))
                << Describe(params) << " after " << lastChosen;
        }
    }
}

TEST(block_converter, converting_twice_restores_the_input) {
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        const CipherParams params = RandomParams(random);
        const auto source = RandomBytes(4096, random);
        const auto once = BlockConvert(source, params, 1, random);
        EXPECT_EQ(BlockConvert(once, params, 1, random), source) << Describe(params);
    }
}

}  // namespace
}  // namespace pomuru
