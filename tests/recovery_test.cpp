// The settings search: its classes against the per-byte rule, its checksum arithmetic and
// inflater against zlib, and round trips on generated files of each kind.
#include <gtest/gtest.h>
#include <zlib.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <random>

#include "cipher/crt_random.h"
#include "recovery/candidate_validation.h"
#include "recovery/crc32.h"
#include "recovery/inflater.h"
#include "recovery/settings_for_class.h"
#include "recovery/settings_search.h"
#include "recovery/twin_classes.h"
#include "sample_files.h"

namespace pomuru::test {
namespace {

using recovery::FileKind;
using recovery::SearchOutcome;
using recovery::SettingsClass;

// A fixed seed, printed; POMURU_TEST_SEED replays another.
std::mt19937 SeededRandom() {
    const char* text = std::getenv("POMURU_TEST_SEED");
    const auto seed =
        text != nullptr ? static_cast<std::uint32_t>(std::strtoul(text, nullptr, 10)) : 20261208u;
    std::cout << "POMURU_TEST_SEED=" << seed << "\n";
    return std::mt19937(seed);
}

int Pick(std::mt19937& random, int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
}

// Settings of one kind of class, with a short step and an early start.
enum class Rule { Plain, PlusMinusOne, SmallRemainder, LargeRemainder, PowerOfTwo, LowByte };

CipherParams SettingsOf(Rule rule, std::mt19937& random) {
    CipherParams params{.step = Pick(random, 1, 8),
                        .start = Pick(random, 0, 8),
                        .slide = Pick(random, 0, 8),
                        .randomize = rule != Rule::Plain};
    const int sign = random() % 2 == 0 ? 1 : -1;
    switch (rule) {
        case Rule::Plain:
            params.value = static_cast<std::int32_t>(random());
            params.value = (params.value & 0xFF) == 0 ? params.value + 1 : params.value;
            break;
        case Rule::PlusMinusOne:
            params.value = sign;
            break;
        case Rule::SmallRemainder:
            params.value = sign * Pick(random, 2, 255);
            break;
        case Rule::LargeRemainder:
            params.value = sign * (Pick(random, 1, 31) * 256 + Pick(random, 1, 255));
            break;
        case Rule::PowerOfTwo:
            params.value = sign * (1 << Pick(random, 1, 7));
            break;
        case Rule::LowByte:
            params.value = random() % 2 == 0 ? sign * 256 * Pick(random, 1, 127)
                                             : static_cast<std::int32_t>(random() | 0x8000);
            break;
    }
    return params;
}

// Other settings in the same class: another value of the rule, and the sum of step, start and
// slide moved by a multiple of what the class leaves free.
CipherParams SameClass(CipherParams params, Rule rule, int bits) {
    const auto magnitude = std::llabs(params.value);
    switch (rule) {
        case Rule::Plain:
            params.value += params.value > 0 ? -256 * 3 : 256 * 5;
            break;
        case Rule::PlusMinusOne:
            params.randomize = false;
            break;
        case Rule::LowByte:
            params.value = magnitude % 256 == 0 ? -params.value : params.value ^ 0x40000000;
            break;
        case Rule::SmallRemainder:
        case Rule::LargeRemainder:
        case Rule::PowerOfTwo:
            break;
    }
    if (bits > 0) {
        params.slide = static_cast<std::int32_t>(static_cast<std::uint32_t>(params.slide) -
                                                 (1u << (bits - 1)) * 2);
    }
    return params;
}

constexpr Rule kRules[] = {Rule::Plain,          Rule::PlusMinusOne, Rule::SmallRemainder,
                           Rule::LargeRemainder, Rule::PowerOfTwo,   Rule::LowByte};

TEST(recovery, classes_convert_every_position_as_the_rule_does) {
    std::mt19937 random = SeededRandom();
    for (const Rule rule : kRules) {
        for (int round = 0; round < 40; ++round) {
            const CipherParams params = SettingsOf(rule, random);
            const SettingsClass settings = SettingsClass::Of(params);
            // The slide moved down by 2^bits stays below the first converted byte.
            const CipherParams other = SameClass(params, rule, settings.SumBits());
            const auto typed = recovery::SettingsFor(settings, {});
            ASSERT_TRUE(typed.has_value());
            SCOPED_TRACE(std::to_string(params.value) + " " + std::to_string(params.step) + " " +
                         std::to_string(params.start) + " " + std::to_string(params.slide));
            CipherCursor cursor;
            for (int attempt = 0; attempt < 3000; ++attempt) {
                const bool converted = SelectNext(cursor, params);
                const std::int64_t position = cursor.position;
                ASSERT_EQ(settings.positions.Contains(position), converted) << position;
                if (converted) {
                    const std::uint8_t mask = MaskFor(params, position);
                    ASSERT_EQ(settings.MaskAt(position).mask, mask) << position;
                    ASSERT_EQ(MaskFor(other, position), mask) << position;
                    ASSERT_EQ(MaskFor(*typed, position), mask) << position;
                }
            }
        }
    }
}

TEST(recovery, generator_draw_is_a_start_plus_an_offset_plus_a_carry) {
    std::mt19937 random = SeededRandom();
    for (int round = 0; round < 20000; ++round) {
        const std::uint32_t sum = random();
        const std::uint32_t position = random() >> (random() % 32);
        const std::uint32_t start = recovery::StartingValue(sum);
        const auto point = recovery::PointAt(position);
        const int draw = recovery::DrawAt(point, start >> 16, start & 0xFFFF);
        ASSERT_EQ(draw, FirstRandomAfterSeed(sum + position)) << sum << " " << position;
        ASSERT_EQ(recovery::SumFor(start), sum & 0x7FFFFFFF);
        // Just below and at the position's threshold, where the carry comes in.
        for (const std::uint32_t low : {point.threshold - 1, point.threshold}) {
            if (low < recovery::kLowRange) {
                const std::uint32_t edge = (start & 0x7FFF0000) | low;
                ASSERT_EQ(recovery::DrawAt(point, edge >> 16, low),
                          FirstRandomAfterSeed(recovery::SumFor(edge) + position));
            }
        }
        const int step = (FirstRandomAfterSeed(sum + position + 1) - draw + 0x8000) % 0x8000;
        ASSERT_TRUE(step == 3 || step == 4) << step;
    }
}

TEST(recovery, checksum_arithmetic_and_inflater_agree_with_zlib) {
    std::mt19937 random = SeededRandom();
    for (int round = 0; round < 30; ++round) {
        // Bytes of a few values, or a piece repeated: matches of every length and distance.
        Bytes data(static_cast<std::size_t>(Pick(random, 1, 70000)));
        const int spread = Pick(random, 2, 256);
        const std::size_t period = round % 2 == 0 ? data.size() : Pick(random, 1, 300);
        for (std::size_t i = 0; i < data.size(); ++i) {
            data[i] = i < period
                          ? static_cast<std::uint8_t>(random() % static_cast<unsigned>(spread))
                          : data[i - period];
        }
        if (round == 0) {
            // Each match length once: a random piece of that length, then the piece again.
            data.clear();
            for (int length = 3; length <= 258; ++length) {
                const Bytes piece = SampleBytes(static_cast<std::size_t>(length),
                                                static_cast<std::uint32_t>(length));
                for (int twice = 0; twice < 2; ++twice) {
                    data.insert(data.end(), piece.begin(), piece.end());
                }
            }
        }
        const auto zlibCrc = [](const Bytes& bytes) {
            return static_cast<std::uint32_t>(
                crc32(0, bytes.data(), static_cast<uInt>(bytes.size())));
        };
        ASSERT_EQ(recovery::Crc32(data), zlibCrc(data));
        // A changed byte changes the checksum by its term, shifted over the bytes after it.
        Bytes changed = data;
        const std::size_t at = random() % data.size();
        const auto delta = static_cast<std::uint8_t>(Pick(random, 1, 255));
        changed[at] ^= delta;
        ASSERT_EQ(zlibCrc(changed),
                  zlibCrc(data) ^ recovery::Crc32Contribution(delta, data.size() - at - 1));
        // Raw DEFLATE from every level and strategy, whole and cut short.
        z_stream stream{};
        deflateInit2(&stream, round == 0 ? 9 : round % 10, Z_DEFLATED, -15, 8,
                     round % 3 == 0 ? Z_FIXED : 0);
        Bytes packed(deflateBound(&stream, static_cast<uLong>(data.size())));
        stream.next_in = data.data();
        stream.avail_in = static_cast<uInt>(data.size());
        stream.next_out = packed.data();
        stream.avail_out = static_cast<uInt>(packed.size());
        deflate(&stream, Z_FINISH);
        packed.resize(stream.total_out);
        deflateEnd(&stream);
        for (const bool cut : {false, true}) {
            const Bytes input(packed.begin(), packed.end() - (cut ? 1 : 0));
            Bytes output;
            bool given = false;
            recovery::Inflater inflater(
                [&]() -> std::span<const std::uint8_t> {
                    return std::exchange(given, true) ? std::span<const std::uint8_t>()
                                                      : std::span<const std::uint8_t>(input);
                },
                [&](std::span<const std::uint8_t> piece) {
                    output.insert(output.end(), piece.begin(), piece.end());
                },
                data.size());
            const auto result = inflater.Run();
            ASSERT_EQ(result == recovery::Inflater::Result::Done && output == data, !cut);
        }
    }
}

struct Round {
    FileKind kind;
    Rule rule;
    int rounds;
    int seconds = 20;  // the search's time limit
};

TEST(recovery, search_restores_scrambled_files_of_each_kind) {
    std::mt19937 random = SeededRandom();
    // Files with checksums are confirmed; the others are probable at best, never confirmed.
    const Round rows[] = {
        {FileKind::Png, Rule::Plain, 3},          {FileKind::Png, Rule::SmallRemainder, 2},
        {FileKind::Png, Rule::LargeRemainder, 2}, {FileKind::Png, Rule::PowerOfTwo, 1},
        {FileKind::Png, Rule::LowByte, 1},        {FileKind::Png, Rule::PlusMinusOne, 1},
        {FileKind::Zip, Rule::Plain, 3},          {FileKind::Zip, Rule::SmallRemainder, 1},
        {FileKind::Zip, Rule::LowByte, 1},        {FileKind::Zip, Rule::PowerOfTwo, 1},
        {FileKind::Jpeg, Rule::Plain, 2},         {FileKind::Jpeg, Rule::SmallRemainder, 1, 2},
        {FileKind::Pdf, Rule::Plain, 2},          {FileKind::Gif, Rule::Plain, 1},
        {FileKind::Wav, Rule::Plain, 1},          {FileKind::Mp3, Rule::Plain, 1},
    };
    for (const Round& row : rows) {
        for (int round = 0; round < row.rounds; ++round) {
            const Bytes original = SampleFile(row.kind, random);
            const CipherParams params = SettingsOf(row.rule, random);
            const Bytes scrambled = ReferenceConvert(original, params);
            SCOPED_TRACE(std::string(recovery::KindName(row.kind)) + " value " +
                         std::to_string(params.value) + " step " + std::to_string(params.step) +
                         " start " + std::to_string(params.start) + " slide " +
                         std::to_string(params.slide) + (params.randomize ? " randomised" : ""));
            const recovery::MemorySource source(scrambled);
            recovery::SearchRequest request;
            request.kind = row.kind;
            request.timeLimit = std::chrono::seconds(row.seconds);
            const SearchOutcome outcome = recovery::FindSettings(source, request);
            const bool checksums = row.kind == FileKind::Png || row.kind == FileKind::Zip;
            if (checksums) {
                ASSERT_EQ(outcome.verdict, SearchOutcome::Verdict::Confirmed);
            } else {
                ASSERT_NE(outcome.verdict, SearchOutcome::Verdict::Confirmed);
            }
            for (const recovery::Answer& answer : outcome.answers) {
                ASSERT_EQ(answer.confirmed, checksums);
            }
            if (outcome.verdict == SearchOutcome::Verdict::Confirmed ||
                (outcome.verdict == SearchOutcome::Verdict::Probable && !params.randomize)) {
                EXPECT_EQ(ReferenceConvert(scrambled, outcome.answers.front().params), original);
            }
        }
    }
}

TEST(recovery, bytes_no_check_reaches_leave_the_answer_open) {
    // A PNG of few bytes, then many that no checksum covers: randomised, the seed range the
    // checksums leave gives those bytes several masks. Never confirmed as one answer.
    const Bytes png = SmallestPng(3000);
    const Bytes scrambled =
        ReferenceConvert(png, {.step = 1, .value = 1234, .start = 0, .randomize = true});
    const recovery::MemorySource source(scrambled);
    recovery::SearchRequest request;
    request.kind = FileKind::Png;
    const SearchOutcome open = recovery::FindSettings(source, request);
    EXPECT_EQ(open.verdict, SearchOutcome::Verdict::Ambiguous);
    EXPECT_GT(open.answers.size(), 1u);
    // A file of no kind the search knows.
    const Bytes noise = ReferenceConvert(Bytes(3000, 'x'), {.step = 1, .value = 77});
    const recovery::MemorySource unknown(noise);
    const SearchOutcome none = recovery::FindSettings(unknown, {});
    EXPECT_TRUE(none.verdict == SearchOutcome::Verdict::NothingFits ||
                none.verdict == SearchOutcome::Verdict::UnknownKind);
    EXPECT_TRUE(none.answers.empty());
    EXPECT_FALSE(open.timedOut);
    // Stopped at its time limit, the search says so and confirms nothing.
    recovery::SearchRequest hurried;
    hurried.timeLimit = std::chrono::milliseconds(1);
    const SearchOutcome stopped = recovery::FindSettings(unknown, hurried);
    EXPECT_TRUE(stopped.timedOut);
    EXPECT_NE(stopped.verdict, SearchOutcome::Verdict::Confirmed);
}

TEST(recovery, a_twin_differs_only_where_no_check_looked) {
    // A remainder by 30000 and the draw's own low byte agree wherever the draw stays below
    // 30000: with the bytes where it does not unchecked, the second is a twin of the first.
    const SettingsClass answer =
        SettingsClass::Of({.step = 1, .value = 30000, .start = 1, .randomize = true});
    const SettingsClass lowByte{answer.positions,
                                {recovery::ValueClass::Rule::LowByte, answer.value.lowByte, 1},
                                {answer.seed.high % 256, answer.seed.lowFirst, answer.seed.lowEnd}};
    std::vector<recovery::ByteRange> wrapped;
    for (std::int64_t position = 1; position <= 20000; ++position) {
        if (answer.MaskAt(position).mask != lowByte.MaskAt(position).mask) {
            wrapped.push_back({position - 1, position});
        }
    }
    ASSERT_FALSE(wrapped.empty());
    EXPECT_TRUE(recovery::TwinOf(answer, lowByte, wrapped, 20000).has_value());
    // Checked where they differ: no twin; nothing differs: the same answer, no twin.
    const std::vector<recovery::ByteRange> most(wrapped.begin() + 1, wrapped.end());
    EXPECT_FALSE(recovery::TwinOf(answer, lowByte, most, 20000).has_value());
    EXPECT_FALSE(recovery::TwinOf(answer, answer, wrapped, 20000).has_value());
    EXPECT_TRUE(recovery::ConvertsUnchecked(answer.positions, wrapped, 20000));
    // Within one class: a seed range that leaves masks undecided is cut where they change.
    SettingsClass wide = answer;
    wide.seed.lowFirst = 0;
    wide.seed.lowEnd = recovery::kLowRange;
    EXPECT_FALSE(recovery::UndecidedThresholds(wide, 20000).empty());
    EXPECT_TRUE(recovery::UndecidedThresholds(answer, 20000).empty());
}

}  // namespace
}  // namespace pomuru::test
