// The per-attempt rule: which positions are chosen, their masks, and the generator.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

#include "cipher/byte_rule.h"

namespace pomuru {
namespace {

CipherParams Counting(int step, int start, int slide) {
    return {.step = step, .start = start, .slide = slide};
}

TEST(byte_rule, chooses_the_documented_positions) {
    const struct {
        const char* name;
        CipherParams params;
        int attempts;
        std::vector<std::int64_t> chosen;
        CipherCursor from = {};
    } rows[] = {
        {"step two counts from the start", Counting(2, 0, 0), 10, {2, 4, 6, 8, 10}},
        {"start five begins at the fifth byte", Counting(2, 5, 0), 10, {5, 7, 9}},
        {"slide four begins counting at the fourth byte", Counting(2, 0, 4), 10, {5, 7, 9}},
        {"start later than the first count", Counting(3, 8, 0), 14, {8, 11, 14}},
        {"step zero takes every byte", Counting(0, 0, 0), 4, {1, 2, 3, 4}},
        {"negative step takes every byte from start", Counting(-7, 3, 100), 5, {3, 4, 5}},
        {"step one starts at the slide", Counting(1, 2, 4), 6, {4, 5, 6}},
        {"negative slide counts from the first byte", Counting(3, 0, -50), 9, {3, 6, 9}},
        {"start beyond the end chooses nothing", Counting(1, 11, 0), 10, {}},
        {"slide beyond the end chooses nothing", Counting(1, 0, 11), 10, {}},
        {"count reached before start waits for start", Counting(2, 7, 1), 10, {7, 9}},
        // Counts and positions go past the 32-bit range without wrapping.
        {"a count of 2^31 - 1", Counting(INT_MAX, 0, 0), 1, {INT_MAX}, {INT_MAX - 1, INT_MAX - 1}},
        {"positions past 2^31", Counting(2, 0, 0), 3, {INT_MAX + 1LL, INT_MAX + 3LL}, {1, INT_MAX}},
    };
    for (const auto& row : rows) {
        CipherCursor cursor = row.from;
        std::vector<std::int64_t> chosen;
        for (int i = 0; i < row.attempts; ++i) {
            if (SelectNext(cursor, row.params)) {
                chosen.push_back(cursor.position);
            }
        }
        EXPECT_EQ(chosen, row.chosen) << row.name;
    }
}

TEST(byte_rule, mask_is_the_low_byte_of_value_and_the_remainder_of_the_first_draw) {
    const struct {
        const char* name;
        CipherParams params;
        std::int64_t position;
        int mask;
    } rows[] = {
        {"zero masks nothing", {.value = 0, .randomize = true}, 1, 0x00},
        {"low byte", {.value = 0x12345678}, 3, 0x78},
        {"multiple of 256", {.value = -256 * 7}, 3, 0x00},
        {"minus one sets all bits", {.value = -1}, 3, 0xFF},
        {"one leaves the remainder 0", {.step = 3, .value = 1, .randomize = true}, 9, 0x01},
        // Seed 0 + 0 + 0 + 1 = 1, first draw 41: 100 ^ (41 % 100) = 77.
        {"seed one", {.value = 100, .randomize = true}, 1, 77},
        // Seed 1 + 0 + 0 + 1 = 2 → 45; 45 % 7 = 3; 7 ^ 3 = 4.
        {"seed two", {.step = 1, .value = 7, .randomize = true}, 1, 4},
        // 41 % -10 = 1 keeps the draw's sign; -10 is 0xF6.
        {"negative value", {.value = -10, .randomize = true}, 1, 0xF6 ^ 1},
        // The first stage masks nothing, the random part still acts: 41 % 256 = 41.
        {"256 randomised", {.value = 256, .randomize = true}, 1, 41},
        // Seed 12344 + 1 = 12345 → 7584, a draw wider than a byte: 0x2710 ^ 0x1DA0 = 0x3AB0.
        {"wide draw", {.step = 12344, .value = 10000, .randomize = true}, 1, 0xB0},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(MaskFor(row.params, row.position), row.mask) << row.name;
    }
}

TEST(byte_rule, seed_is_the_wrapped_sum_of_settings_and_position) {
    EXPECT_EQ(RandomSeedFor(Counting(1, 2, 3), 4), 10u);
    EXPECT_EQ(RandomSeedFor(Counting(INT_MAX, INT_MAX, INT_MAX), 5), 0x80000002u);
    EXPECT_EQ(RandomSeedFor(Counting(-5, 0, 0), 3), 0xFFFFFFFEu);
    // Beyond 2^32 the position enters the sum reduced modulo 2^32.
    EXPECT_EQ(RandomSeedFor(Counting(1, 0, 0), (std::int64_t{1} << 32) + 6), 7u);
}

}  // namespace
}  // namespace pomuru
