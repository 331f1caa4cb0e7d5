// The per-attempt rule: which positions are chosen, their masks, and the generator.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

#include "cipher/byte_rule.h"
#include "cipher/crt_random.h"

namespace pomuru {
namespace {

// Positions chosen among the first `attempts` read attempts.
std::vector<std::int64_t> ChosenPositions(const CipherParams& params, int attempts) {
    CipherCursor cursor;
    std::vector<std::int64_t> chosen;
    for (int i = 0; i < attempts; ++i) {
        if (SelectNext(cursor, params)) {
            chosen.push_back(cursor.position);
        }
    }
    return chosen;
}

CipherParams Counting(int step, int start, int slide) {
    CipherParams params;
    params.step = step;
    params.start = start;
    params.slide = slide;
    return params;
}

struct SelectionCase {
    const char* name;
    CipherParams params;
    int attempts;
    std::vector<std::int64_t> expected;
};

TEST(byte_rule, chooses_the_documented_positions) {
    const SelectionCase cases[] = {
        {"step two counts from the start", Counting(2, 0, 0), 10, {2, 4, 6, 8, 10}},
        {"start five begins at the fifth byte", Counting(2, 5, 0), 10, {5, 7, 9}},
        {"slide four begins counting at the fourth byte", Counting(2, 0, 4), 10, {5, 7, 9}},
        {"step three with slide and start", Counting(3, 6, 2), 12, {6, 9, 12}},
        {"start later than the first count", Counting(3, 8, 0), 14, {8, 11, 14}},
        {"step zero takes every byte", Counting(0, 0, 0), 4, {1, 2, 3, 4}},
        {"negative step takes every byte from start", Counting(-7, 3, 100), 5, {3, 4, 5}},
        {"step one starts at the slide", Counting(1, 2, 4), 6, {4, 5, 6}},
        {"step one starts at start", Counting(1, 4, 2), 6, {4, 5, 6}},
        {"negative slide counts from the first byte", Counting(3, 0, -50), 9, {3, 6, 9}},
        {"start beyond the end chooses nothing", Counting(1, 11, 0), 10, {}},
        {"slide beyond the end chooses nothing", Counting(1, 0, 11), 10, {}},
        {"count reached before start waits for start", Counting(2, 7, 1), 10, {7, 9}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ChosenPositions(c.params, c.attempts), c.expected) << c.name;
    }
}

TEST(byte_rule, last_read_attempt_advances_the_cursor_like_any_other) {
    // A source of 3 bytes takes 4 read attempts; the fourth may be chosen yet yields no byte.
    const CipherParams params = Counting(2, 0, 0);
    CipherCursor cursor;
    std::vector<bool> chosen;
    for (int attempt = 0; attempt < 4; ++attempt) {
        chosen.push_back(SelectNext(cursor, params));
    }
    EXPECT_EQ(chosen, (std::vector<bool>{false, true, false, true}));
    EXPECT_EQ(cursor.position, 4);
    EXPECT_EQ(cursor.stepCount, 0);
}

TEST(byte_rule, counts_past_the_32_bit_range_without_wrapping) {
    CipherParams params = Counting(INT_MAX, 0, 0);
    CipherCursor cursor{INT_MAX - 1, INT_MAX - 1};  // counted every byte so far
    EXPECT_TRUE(SelectNext(cursor, params));        // position 2^31 - 1 completes the first step
    EXPECT_EQ(cursor.position, INT_MAX);
    cursor.stepCount = INT_MAX - 1;
    EXPECT_TRUE(SelectNext(cursor, params));
    EXPECT_EQ(cursor.position, std::int64_t{INT_MAX} + 1);
}

CipherParams Masking(int value, bool randomize, int step = 1, int start = 0, int slide = 0) {
    CipherParams params = Counting(step, start, slide);
    params.value = value;
    params.randomize = randomize;
    return params;
}

TEST(byte_rule, mask_without_randomisation_is_the_low_byte_of_value) {
    EXPECT_EQ(MaskFor(Masking(0, false), 1), 0x00);
    EXPECT_EQ(MaskFor(Masking(0x5A, false), 9), 0x5A);
    EXPECT_EQ(MaskFor(Masking(256, false), 3), 0x00);
    EXPECT_EQ(MaskFor(Masking(-256 * 7, false), 3), 0x00);
    EXPECT_EQ(MaskFor(Masking(-1, false), 3), 0xFF);
    EXPECT_EQ(MaskFor(Masking(-2, false), 3), 0xFE);
    EXPECT_EQ(MaskFor(Masking(0x12345678, false), 3), 0x78);
    EXPECT_EQ(MaskFor(Masking(INT_MIN, false), 3), 0x00);
}

TEST(byte_rule, randomisation_leaves_zero_and_unit_values_to_the_first_stage) {
    for (std::int64_t position = 1; position < 200; ++position) {
        EXPECT_EQ(MaskFor(Masking(0, true, 3, 5, 7), position), 0x00);
        EXPECT_EQ(MaskFor(Masking(1, true, 3, 5, 7), position), 0x01);
        EXPECT_EQ(MaskFor(Masking(-1, true, 3, 5, 7), position), 0xFF);
    }
}

TEST(byte_rule, random_mask_combines_value_with_remainder_of_first_draw) {
    // Seed 0 + 0 + 0 + 1 = 1, first draw 41: 100 ^ (41 % 100) = 77.
    EXPECT_EQ(MaskFor(Masking(100, true, 0, 0, 0), 1), 77);
    // Seed 1 + 0 + 0 + 1 = 2 → 45; 45 % 7 = 3; 7 ^ 3 = 4.
    EXPECT_EQ(MaskFor(Masking(7, true, 1, 0, 0), 1), 4);
    // Negative value: the remainder keeps the draw's sign. Seed 1 → 41; 41 % -10 = 1.
    EXPECT_EQ(MaskFor(Masking(-10, true, 0, 0, 0), 1), static_cast<std::uint8_t>(-10 ^ 1));
    // 256 masks nothing in the first stage, but the random part still acts: 41 % 256 = 41.
    EXPECT_EQ(MaskFor(Masking(256, true, 0, 0, 0), 1), 41);
}

TEST(byte_rule, random_stage_draws_below_the_size_of_value) {
    for (const int value : {3, -3, 17, -17}) {
        for (std::int64_t position = 1; position < 500; ++position) {
            const int random = MaskFor(Masking(value, true), position) ^ (value & 0xFF);
            EXPECT_GE(random, 0);
            EXPECT_LT(random, value < 0 ? -value : value) << value << " at " << position;
        }
    }
}

TEST(byte_rule, seed_is_the_wrapped_sum_of_settings_and_position) {
    EXPECT_EQ(RandomSeedFor(Counting(1, 2, 3), 4), 10u);
    EXPECT_EQ(RandomSeedFor(Counting(INT_MAX, INT_MAX, INT_MAX), 5), 0x80000002u);
    EXPECT_EQ(RandomSeedFor(Counting(-5, 0, 0), 3), 0xFFFFFFFEu);
    // Beyond 2^32 the position enters the sum reduced modulo 2^32.
    EXPECT_EQ(RandomSeedFor(Counting(1, 0, 0), (std::int64_t{1} << 32) + 6), 7u);
}

TEST(crt_random, reproduces_the_runtime_sequence) {
    const struct {
        std::uint32_t seed;
        int values[5];
    } table[] = {
        {0, {38, 7719, 21238, 2437, 8855}},
        {1, {41, 18467, 6334, 26500, 19169}},
        {2, {45, 29216, 24198, 17795, 29484}},
        {12345, {7584, 19164, 25795, 22125, 5828}},
        {0xFFFFFFFF, {35, 29739, 3374, 11141, 31308}},
    };
    for (const auto& row : table) {
        CrtRandom generator(row.seed);
        for (const int expected : row.values) {
            EXPECT_EQ(generator.Next(), expected) << "seed " << row.seed;
        }
        EXPECT_EQ(FirstRandomAfterSeed(row.seed), row.values[0]);
    }
}

}  // namespace
}  // namespace pomuru
