// The block converter against the per-byte rule: settings, the first position (up to 2^62) and
// the cuts between blocks come from the input, and every set of vector instructions this
// processor has converts the same bytes.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "cipher/block_converter.h"
#include "cipher/byte_rule.h"
#include "fuzz_support.h"

namespace pomuru::fuzz {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Tiny and small settings reach every branch of the rule, values around the generator's 15 bits
// every kind of divisor, and the edges of int32 the arithmetic.
std::int32_t PickSetting(FuzzedDataProvider& input) {
    switch (input.ConsumeIntegralInRange(0, 5)) {
        case 0:
            return input.ConsumeIntegralInRange<std::int32_t>(-2, 3);
        case 1:
            return input.ConsumeIntegralInRange<std::int32_t>(-20, 60);
        case 2:
            return input.ConsumeIntegralInRange<std::int32_t>(-70000, 70000);
        case 3:
            return INT32_MAX - input.ConsumeIntegralInRange<std::int32_t>(0, 3000);
        case 4:
            return INT32_MIN + input.ConsumeIntegralInRange<std::int32_t>(0, 300);
        default:
            return input.ConsumeIntegral<std::int32_t>();
    }
}

// The first position of the bytes: among the first few, where small settings take effect, a
// little later, around 2^31 and 2^32, just past start or slide, or anywhere up to 2^62.
std::int64_t PickFirstPosition(FuzzedDataProvider& input, const CipherParams& params) {
    const auto near = [&input](std::int64_t around) {
        return std::max<std::int64_t>(1, around + input.ConsumeIntegralInRange(-3000, 3000));
    };
    switch (input.ConsumeIntegralInRange(0, 6)) {
        case 0:
            return input.ConsumeIntegralInRange<std::int64_t>(1, 64);
        case 1:
            return input.ConsumeIntegralInRange<std::int64_t>(1, 5000);
        case 2:
            return near(std::int64_t{1} << 31);
        case 3:
            return near(std::int64_t{1} << 32);
        case 4:
            return near(params.start);
        case 5:
            return near(params.slide);
        default:
            return input.ConsumeIntegralInRange<std::int64_t>(1, std::int64_t{1} << 62);
    }
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

// Bytes at first, first + 1, ... converted one read attempt at a time by the rule.
Bytes ReferenceConvert(Bytes bytes, const CipherParams& params, std::int64_t first) {
    CipherCursor cursor = SkipTo(first - 1, params);
    // Where replaying is cheap, the skipping is checked against it too.
    if (first <= 20000) {
        CipherCursor replayed;
        while (replayed.position < first - 1) {
            SelectNext(replayed, params);
        }
        Require(replayed.position == cursor.position && replayed.stepCount == cursor.stepCount,
                "reference cursor skipped wrongly");
    }
    for (std::uint8_t& byte : bytes) {
        if (SelectNext(cursor, params)) {
            byte ^= MaskFor(params, cursor.position);
        }
    }
    return bytes;
}

Bytes BlockConvert(Bytes bytes, const BlockConverter& converter, std::int64_t first,
                   const std::vector<std::size_t>& cuts) {
    std::size_t offset = 0;
    for (const std::size_t size : cuts) {
        converter.Convert(std::span(bytes).subspan(offset, size),
                          first + static_cast<std::int64_t>(offset));
        offset += size;
    }
    return bytes;
}

// The run copies what UnchangedFrom promises unchanged without looking at it: no stretch may
// reach past the next changed byte.
void RequireUnchangedStretches(const BlockConverter& converter, const Bytes& source,
                               const Bytes& expected, std::int64_t first) {
    std::int64_t nextChanged = INT64_MAX;
    for (auto i = static_cast<std::int64_t>(source.size()) - 1; i >= 0; --i) {
        const std::int64_t position = first + i;
        nextChanged = source[i] != expected[i] ? position : nextChanged;
        const std::int64_t unchanged = converter.UnchangedFrom(position);
        if (unchanged < 0 || (nextChanged != INT64_MAX && unchanged > nextChanged - position)) {
            Fail("UnchangedFrom reaches past a changed byte", std::to_string(position));
        }
    }
}

std::string Describe(const CipherParams& p, std::int64_t first, VectorUnit unit) {
    return "step " + std::to_string(p.step) + " value " + std::to_string(p.value) + " start " +
           std::to_string(p.start) + " slide " + std::to_string(p.slide) +
           (p.randomize ? " randomised" : "") + " from " + std::to_string(first) + " unit " +
           std::to_string(static_cast<int>(unit));
}

}  // namespace
}  // namespace pomuru::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace pomuru;
    using namespace pomuru::fuzz;
    FuzzedDataProvider input(data, size);
    CipherParams params;
    params.step = PickSetting(input);
    params.value = PickSetting(input);
    params.start = PickSetting(input);
    params.slide = PickSetting(input);
    params.randomize = input.ConsumeBool();
    const std::int64_t first = PickFirstPosition(input, params);
    const std::size_t length = input.ConsumeIntegralInRange<std::size_t>(0, 1500);
    // Blocks of up to 700 bytes, then the rest in one.
    std::vector<std::size_t> cuts;
    for (std::size_t covered = 0; covered < length;) {
        const std::size_t cut =
            input.remaining_bytes() > 0
                ? std::min(length - covered, input.ConsumeIntegralInRange<std::size_t>(1, 700))
                : length - covered;
        cuts.push_back(cut);
        covered += cut;
    }
    Bytes source(length);
    for (std::size_t i = 0; i < length; ++i) {
        source[i] = static_cast<std::uint8_t>(i * 131 + (i >> 8) * 7);
    }
    const Bytes expected = ReferenceConvert(source, params, first);
    for (const auto unit :
         {VectorUnit::Portable, VectorUnit::Sse2, VectorUnit::Avx2, VectorUnit::Avx512}) {
        if (!IsSupported(unit)) {
            continue;
        }
        const BlockConverter converter(params, unit);
        if (BlockConvert(source, converter, first, cuts) != expected) {
            Fail("block converter differs from the rule", Describe(params, first, unit));
        }
        if (unit == VectorUnit::Portable) {
            RequireUnchangedStretches(converter, source, expected, first);
        }
    }
    return 0;
}
