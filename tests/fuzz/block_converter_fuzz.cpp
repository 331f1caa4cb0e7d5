// The block converter against the per-byte rule: settings, the first position (up to 2^62) and
// the cuts between blocks come from the input, and every set of vector instructions this
// processor has converts the same bytes.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "cipher/block_converter.h"
#include "cipher/byte_rule.h"
#include "fuzz_support.h"

namespace {

using namespace pomuru;
using Bytes = std::vector<std::uint8_t>;

// Mostly near something that matters: tiny settings reach every branch of the rule, values
// around the generator's 15 bits every kind of divisor, and the edges the arithmetic.
std::int64_t PickNear(FuzzedDataProvider& input, std::initializer_list<std::int64_t> marks,
                      std::int64_t spread) {
    const std::int64_t mark =
        *(marks.begin() + input.ConsumeIntegralInRange<std::size_t>(0, marks.size() - 1));
    return mark + input.ConsumeIntegralInRange<std::int64_t>(-spread, spread);
}

std::int32_t PickSetting(FuzzedDataProvider& input) {
    return input.ConsumeBool() ? input.ConsumeIntegral<std::int32_t>()
                               : static_cast<std::int32_t>(PickNear(
                                     input, {0, 30, 32768, INT32_MAX - 3000, INT32_MIN + 3000},
                                     input.ConsumeBool() ? 3 : 3000));
}

// The rule's cursor after position `to`, reached without asking it about every position: in a
// stretch where neither "counted" (position >= slide) nor "may be chosen" (position >= start)
// changes, the count and the choices follow from the stretch's length.
CipherCursor SkipTo(std::int64_t to, const CipherParams& p) {
    CipherCursor cursor;
    while (cursor.position < to) {
        const std::int64_t next = cursor.position + 1;
        std::int64_t end = to;
        for (const std::int64_t edge : {std::int64_t{p.slide}, std::int64_t{p.start}}) {
            end = edge > next ? std::min(end, edge - 1) : end;
        }
        const std::int64_t length = end - cursor.position;
        const bool counted = next >= p.slide;
        if (next < p.start) {
            cursor.stepCount += counted ? length : 0;
        } else if (p.step <= 0) {
            cursor.stepCount = 0;  // every position chosen
        } else if (counted) {
            // Chosen when the count reaches step, then every step positions.
            const std::int64_t first = std::max<std::int64_t>(1, p.step - cursor.stepCount);
            cursor.stepCount =
                length < first ? cursor.stepCount + length : (length - first) % p.step;
        } else if (cursor.stepCount >= p.step) {
            cursor.stepCount = 0;  // chosen once; uncounted, the count stays below step
        }
        cursor.position = end;
    }
    return cursor;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using pomuru::fuzz::Require;
    FuzzedDataProvider input(data, size);
    const CipherParams params{PickSetting(input), PickSetting(input), PickSetting(input),
                              PickSetting(input), input.ConsumeBool()};
    const std::int64_t first = std::clamp<std::int64_t>(
        input.ConsumeBool() ? input.ConsumeIntegral<std::int64_t>()
                            : PickNear(input, {1, 1LL << 31, 1LL << 32, params.start, params.slide},
                                       input.ConsumeBool() ? 64 : 3000),
        1, 1LL << 62);
    Bytes source(input.ConsumeIntegralInRange<std::size_t>(0, 1500));
    for (std::size_t i = 0; i < source.size(); ++i) {
        source[i] = static_cast<std::uint8_t>(i * 131 + (i >> 8) * 7);
    }
    // The expected bytes, one read attempt at a time; where replaying is cheap, the skipping is
    // checked against it too.
    CipherCursor cursor = SkipTo(first - 1, params);
    if (first <= 20000) {
        CipherCursor replayed;
        while (replayed.position < first - 1) {
            SelectNext(replayed, params);
        }
        Require(replayed.position == cursor.position && replayed.stepCount == cursor.stepCount,
                "reference cursor skipped wrongly");
    }
    Bytes expected = source;
    for (std::uint8_t& byte : expected) {
        byte ^= SelectNext(cursor, params) ? MaskFor(params, cursor.position) : 0;
    }
    // Where the next changed byte is: the run copies what UnchangedFrom promises unchanged
    // without looking at it.
    std::vector<std::int64_t> nextChanged(source.size() + 1, INT64_MAX);
    for (std::size_t i = source.size(); i-- > 0;) {
        nextChanged[i] = source[i] != expected[i] ? first + std::int64_t(i) : nextChanged[i + 1];
    }
    const Bytes cutBytes = input.ConsumeRemainingBytes<std::uint8_t>();
    for (const auto unit :
         {VectorUnit::Portable, VectorUnit::Sse2, VectorUnit::Avx2, VectorUnit::Avx512}) {
        if (!IsSupported(unit)) {
            continue;
        }
        const BlockConverter converter(params, unit);
        // Blocks of up to 700 bytes as the input cuts them, then the rest in one.
        Bytes converted = source;
        FuzzedDataProvider cuts(cutBytes.data(), cutBytes.size());
        for (std::size_t done = 0; done < converted.size();) {
            const std::size_t cut =
                cuts.remaining_bytes() == 0
                    ? converted.size() - done
                    : std::min(converted.size() - done,
                               cuts.ConsumeIntegralInRange<std::size_t>(1, 700));
            converter.Convert(std::span(converted).subspan(done, cut),
                              first + static_cast<std::int64_t>(done));
            done += cut;
        }
        Require(converted == expected, "block converter differs from the rule");
        for (std::size_t i = 0; i < source.size(); ++i) {
            const std::int64_t position = first + std::int64_t(i);
            const std::int64_t unchanged = converter.UnchangedFrom(position);
            Require(unchanged >= 0 &&
                        (nextChanged[i] == INT64_MAX || unchanged <= nextChanged[i] - position),
                    "UnchangedFrom reaches past a changed byte");
        }
    }
    return 0;
}
