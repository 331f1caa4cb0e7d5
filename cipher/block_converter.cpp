// The fast converter: jumps from one chosen position to the next instead of asking the rule
// about every byte, and looks random masks up by generator value.
#include "cipher/block_converter.h"

#include <algorithm>
#include <bit>
#include <optional>

#include "cipher/byte_rule.h"
#include "cipher/crt_random.h"

// Every x86-64 processor has SSE2; elsewhere the portable loop below does all the work.
#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define POMURU_HAVE_SSE2 1
#endif

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

#ifdef POMURU_HAVE_SSE2
// n % divisor for n < 2^15 without a division: n / divisor is mulhi16(n, magic) >> shift
// (Granlund and Montgomery), and a divisor beyond 15 bits leaves n as it is (magic 0).
struct SmallDivisor {
    std::uint16_t magic = 0;
    std::uint16_t divisor = 0;
    int shift = 0;
};

// None for a divisor of 1, whose magic would need 17 bits.
std::optional<SmallDivisor> SmallDivisorFor(std::int32_t value) {
    // The sign of value does not matter: a non-negative n % value is n % |value|.
    const std::uint32_t d =
        value < 0 ? 0U - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
    if (d > 0x7FFF) {
        return SmallDivisor{};
    }
    if (d < 2) {
        return std::nullopt;
    }
    const int l = std::bit_width(d - 1);                                 // ceil(log2 d)
    const std::uint32_t magic = (std::uint32_t{1} << (15 + l)) / d + 1;  // below 2^16
    return SmallDivisor{static_cast<std::uint16_t>(magic), static_cast<std::uint16_t>(d), l - 1};
}

// XORs masks into count bytes, 16 at a time, for chosen positions one apart; returns how many
// bytes it did. state is the generator state after seeding for the first byte. The mask is
// computed rather than looked up, because SSE2 cannot look up sixteen bytes at once.
std::int64_t ConvertRandomSse2(std::uint8_t* data, std::int64_t count, std::uint32_t state,
                               SmallDivisor divisor, std::uint8_t valueByte) {
    // States are kept doubled, so that the 15-bit value is a plain shift with nothing above it
    // and the 32-to-16-bit pack never saturates.
    const std::uint32_t advance = CrtRandom::kMultiplier << 1;
    state <<= 1;
    const __m128i step4 = _mm_set1_epi32(static_cast<int>(4 * advance));
    const __m128i step16 = _mm_set1_epi32(static_cast<int>(16 * advance));
    __m128i s0 = _mm_setr_epi32(static_cast<int>(state), static_cast<int>(state + advance),
                                static_cast<int>(state + 2 * advance),
                                static_cast<int>(state + 3 * advance));
    __m128i s1 = _mm_add_epi32(s0, step4);
    __m128i s2 = _mm_add_epi32(s1, step4);
    __m128i s3 = _mm_add_epi32(s2, step4);
    const __m128i magic = _mm_set1_epi16(static_cast<short>(divisor.magic));
    const __m128i divisorLanes = _mm_set1_epi16(static_cast<short>(divisor.divisor));
    const __m128i shift = _mm_cvtsi32_si128(divisor.shift);
    const __m128i lowByte = _mm_set1_epi16(0x00FF);
    const __m128i value = _mm_set1_epi8(static_cast<char>(valueByte));
    std::int64_t done = 0;
    for (; done + 16 <= count; done += 16) {
        const __m128i nA = _mm_packs_epi32(_mm_srli_epi32(s0, 17), _mm_srli_epi32(s1, 17));
        const __m128i nB = _mm_packs_epi32(_mm_srli_epi32(s2, 17), _mm_srli_epi32(s3, 17));
        const __m128i qA = _mm_srl_epi16(_mm_mulhi_epu16(nA, magic), shift);
        const __m128i qB = _mm_srl_epi16(_mm_mulhi_epu16(nB, magic), shift);
        const __m128i rA = _mm_sub_epi16(nA, _mm_mullo_epi16(qA, divisorLanes));
        const __m128i rB = _mm_sub_epi16(nB, _mm_mullo_epi16(qB, divisorLanes));
        const __m128i masks = _mm_xor_si128(
            _mm_packus_epi16(_mm_and_si128(rA, lowByte), _mm_and_si128(rB, lowByte)), value);
        auto* const p = reinterpret_cast<__m128i*>(data + done);
        _mm_storeu_si128(p, _mm_xor_si128(_mm_loadu_si128(p), masks));
        s0 = _mm_add_epi32(s0, step16);
        s1 = _mm_add_epi32(s1, step16);
        s2 = _mm_add_epi32(s2, step16);
        s3 = _mm_add_epi32(s3, step16);
    }
    return done;
}
#endif

}  // namespace

BlockConverter::BlockConverter(const CipherParams& params)
    : params_(params),
      firstChosen_(FirstChosenPosition(params)),
      stride_(ChosenStride(params)),
      random_(params.randomize && params.value != 0),
      changesAnything_(random_ || (params.value & 0xFF) != 0),
      constantMask_(static_cast<std::uint8_t>(params.value & 0xFF)) {
    if (random_) {
        for (int r = 0; r < 0x8000; ++r) {
            const auto mask = static_cast<std::uint32_t>(params.value ^ (r % params.value));
            randomMasks_[r] = static_cast<std::uint8_t>(mask & 0xFF);
        }
    }
}

void BlockConverter::Convert(std::span<std::uint8_t> block, std::int64_t firstPosition) const {
    if (!changesAnything_ || block.empty()) {
        return;
    }
    const std::int64_t lastPosition = firstPosition + static_cast<std::int64_t>(block.size()) - 1;
    std::int64_t position = firstChosen_;
    if (position < firstPosition) {
        const std::int64_t behind = firstPosition - position;
        position += (behind + stride_ - 1) / stride_ * stride_;
    }
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
    const auto size = static_cast<std::int64_t>(block.size());
    std::uint8_t* const data = block.data();
    const std::uint8_t mask = constantMask_;
    if (stride_ == 1) {
        // Kept free of anything but the XOR so that the compiler vectorises it.
        for (std::int64_t i = offset; i < size; ++i) {
            data[i] ^= mask;
        }
        return;
    }
    for (std::int64_t i = offset; i < size; i += stride_) {
        data[i] ^= mask;
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
#ifdef POMURU_HAVE_SSE2
        if (const auto divisor = SmallDivisorFor(params_.value)) {
            i += ConvertRandomSse2(data + i, size - i, state, *divisor,
                                   static_cast<std::uint8_t>(params_.value & 0xFF));
            state += static_cast<std::uint32_t>(i - offset) * advance;
        }
#endif
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
