// The converter's inner loops: a portable version, SSE2 (every x86-64 processor), and AVX2 and
// AVX-512 chosen at run time where the compiler can target them function by function.
#include "cipher/xor_kernels.h"

#include <bit>
#include <cstring>

#include "cipher/crt_random.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define POMURU_HAVE_SSE2 1
#endif
#if defined(POMURU_HAVE_SSE2) && defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
// GCC 12 takes the deliberately undefined vectors inside AVX-512 shifts for uninitialised ones.
#if !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>
#if !defined(__clang__)
#pragma GCC diagnostic pop
#endif
#define POMURU_HAVE_WIDE_VECTORS 1
#define POMURU_TARGET(features) __attribute__((target(features)))
#endif

namespace pomuru {

namespace {

void XorConstantPortable(std::uint8_t* data, std::size_t size, std::uint8_t mask) {
    // Eight bytes at a time, which any compiler keeps as one word.
    const std::uint64_t wide = mask * std::uint64_t{0x0101010101010101};
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, data + i, 8);
        word ^= wide;
        std::memcpy(data + i, &word, 8);
    }
    for (; i < size; ++i) {
        data[i] ^= mask;
    }
}

#ifdef POMURU_HAVE_SSE2
// The random loops below keep four vectors of 32-bit generator states, in four variables so
// that they stay in registers whatever the optimisation level, and narrow them twice with the
// packing instructions, which interleave 128-bit lanes. Lane e of vector j is given the byte
// that the packing puts it at, so that the bytes come out in order.
constexpr int kStateVectors = 4;

// States are kept doubled, so that the 15-bit value is a plain shift by 17 with nothing above
// it, and the pack from 32 to 16 bits never saturates.
constexpr std::uint32_t kDoubledAdvance = CrtRandom::kMultiplier << 1;

// The first states of every lane, for a first byte whose state is state.
template <std::size_t kLanes>
void FillLanes(std::uint32_t (&lanes)[kStateVectors][kLanes], std::uint32_t state) {
    for (int j = 0; j < kStateVectors; ++j) {
        for (std::size_t e = 0; e < kLanes; ++e) {
            const auto offset = static_cast<std::uint32_t>(16 * (e / 4) + 4 * j + e % 4);
            lanes[j][e] = (state << 1) + offset * kDoubledAdvance;
        }
    }
}

void XorConstantSse2(std::uint8_t* data, std::size_t size, std::uint8_t mask) {
    const __m128i wide = _mm_set1_epi8(static_cast<char>(mask));
    std::size_t i = 0;
    for (; i + 16 <= size; i += 16) {
        auto* const p = reinterpret_cast<__m128i*>(data + i);
        _mm_storeu_si128(p, _mm_xor_si128(_mm_loadu_si128(p), wide));
    }
    XorConstantPortable(data + i, size - i, mask);
}

std::size_t XorRandomSse2(std::uint8_t* data, std::size_t size, std::uint32_t state,
                          SmallDivisor divisor, std::uint8_t valueByte) {
    alignas(16) std::uint32_t lanes[kStateVectors][4];
    FillLanes(lanes, state);
    __m128i s0 = _mm_load_si128(reinterpret_cast<const __m128i*>(lanes[0]));
    __m128i s1 = _mm_load_si128(reinterpret_cast<const __m128i*>(lanes[1]));
    __m128i s2 = _mm_load_si128(reinterpret_cast<const __m128i*>(lanes[2]));
    __m128i s3 = _mm_load_si128(reinterpret_cast<const __m128i*>(lanes[3]));
    const __m128i advance = _mm_set1_epi32(static_cast<int>(16 * kDoubledAdvance));
    const __m128i magic = _mm_set1_epi16(static_cast<short>(divisor.magic));
    const __m128i divisors = _mm_set1_epi16(static_cast<short>(divisor.divisor));
    const __m128i shift = _mm_cvtsi32_si128(divisor.shift);
    const __m128i lowByte = _mm_set1_epi16(0x00FF);
    const __m128i value = _mm_set1_epi8(static_cast<char>(valueByte));
    std::size_t done = 0;
    for (; done + 16 <= size; done += 16) {
        const __m128i nA = _mm_packs_epi32(_mm_srli_epi32(s0, 17), _mm_srli_epi32(s1, 17));
        const __m128i nB = _mm_packs_epi32(_mm_srli_epi32(s2, 17), _mm_srli_epi32(s3, 17));
        const __m128i qA = _mm_srl_epi16(_mm_mulhi_epu16(nA, magic), shift);
        const __m128i qB = _mm_srl_epi16(_mm_mulhi_epu16(nB, magic), shift);
        const __m128i rA = _mm_and_si128(_mm_sub_epi16(nA, _mm_mullo_epi16(qA, divisors)), lowByte);
        const __m128i rB = _mm_and_si128(_mm_sub_epi16(nB, _mm_mullo_epi16(qB, divisors)), lowByte);
        auto* const p = reinterpret_cast<__m128i*>(data + done);
        const __m128i masks = _mm_xor_si128(_mm_packus_epi16(rA, rB), value);
        _mm_storeu_si128(p, _mm_xor_si128(_mm_loadu_si128(p), masks));
        s0 = _mm_add_epi32(s0, advance);
        s1 = _mm_add_epi32(s1, advance);
        s2 = _mm_add_epi32(s2, advance);
        s3 = _mm_add_epi32(s3, advance);
    }
    return done;
}
#endif

#ifdef POMURU_HAVE_WIDE_VECTORS
POMURU_TARGET("avx2")
void XorConstantAvx2(std::uint8_t* data, std::size_t size, std::uint8_t mask) {
    const __m256i wide = _mm256_set1_epi8(static_cast<char>(mask));
    std::size_t i = 0;
    for (; i + 64 <= size; i += 64) {
        auto* const p = reinterpret_cast<__m256i*>(data + i);
        const __m256i a = _mm256_loadu_si256(p);
        const __m256i b = _mm256_loadu_si256(p + 1);
        _mm256_storeu_si256(p, _mm256_xor_si256(a, wide));
        _mm256_storeu_si256(p + 1, _mm256_xor_si256(b, wide));
    }
    XorConstantSse2(data + i, size - i, mask);
}

POMURU_TARGET("avx2")
std::size_t XorRandomAvx2(std::uint8_t* data, std::size_t size, std::uint32_t state,
                          SmallDivisor divisor, std::uint8_t valueByte) {
    alignas(32) std::uint32_t lanes[kStateVectors][8];
    FillLanes(lanes, state);
    __m256i s0 = _mm256_load_si256(reinterpret_cast<const __m256i*>(lanes[0]));
    __m256i s1 = _mm256_load_si256(reinterpret_cast<const __m256i*>(lanes[1]));
    __m256i s2 = _mm256_load_si256(reinterpret_cast<const __m256i*>(lanes[2]));
    __m256i s3 = _mm256_load_si256(reinterpret_cast<const __m256i*>(lanes[3]));
    const __m256i advance = _mm256_set1_epi32(static_cast<int>(32 * kDoubledAdvance));
    const __m256i magic = _mm256_set1_epi16(static_cast<short>(divisor.magic));
    const __m256i divisors = _mm256_set1_epi16(static_cast<short>(divisor.divisor));
    const __m128i shift = _mm_cvtsi32_si128(divisor.shift);
    const __m256i lowByte = _mm256_set1_epi16(0x00FF);
    const __m256i value = _mm256_set1_epi8(static_cast<char>(valueByte));
    std::size_t done = 0;
    for (; done + 32 <= size; done += 32) {
        const __m256i nA = _mm256_packs_epi32(_mm256_srli_epi32(s0, 17), _mm256_srli_epi32(s1, 17));
        const __m256i nB = _mm256_packs_epi32(_mm256_srli_epi32(s2, 17), _mm256_srli_epi32(s3, 17));
        const __m256i qA = _mm256_srl_epi16(_mm256_mulhi_epu16(nA, magic), shift);
        const __m256i qB = _mm256_srl_epi16(_mm256_mulhi_epu16(nB, magic), shift);
        const __m256i rA =
            _mm256_and_si256(_mm256_sub_epi16(nA, _mm256_mullo_epi16(qA, divisors)), lowByte);
        const __m256i rB =
            _mm256_and_si256(_mm256_sub_epi16(nB, _mm256_mullo_epi16(qB, divisors)), lowByte);
        auto* const p = reinterpret_cast<__m256i*>(data + done);
        const __m256i masks = _mm256_xor_si256(_mm256_packus_epi16(rA, rB), value);
        _mm256_storeu_si256(p, _mm256_xor_si256(_mm256_loadu_si256(p), masks));
        s0 = _mm256_add_epi32(s0, advance);
        s1 = _mm256_add_epi32(s1, advance);
        s2 = _mm256_add_epi32(s2, advance);
        s3 = _mm256_add_epi32(s3, advance);
    }
    return done;
}

POMURU_TARGET("avx512f,avx512bw")
void XorConstantAvx512(std::uint8_t* data, std::size_t size, std::uint8_t mask) {
    const __m512i wide = _mm512_set1_epi8(static_cast<char>(mask));
    std::size_t i = 0;
    for (; i + 128 <= size; i += 128) {
        const __m512i a = _mm512_loadu_si512(data + i);
        const __m512i b = _mm512_loadu_si512(data + i + 64);
        _mm512_storeu_si512(data + i, _mm512_xor_si512(a, wide));
        _mm512_storeu_si512(data + i + 64, _mm512_xor_si512(b, wide));
    }
    XorConstantSse2(data + i, size - i, mask);
}

POMURU_TARGET("avx512f,avx512bw")
std::size_t XorRandomAvx512(std::uint8_t* data, std::size_t size, std::uint32_t state,
                            SmallDivisor divisor, std::uint8_t valueByte) {
    alignas(64) std::uint32_t lanes[kStateVectors][16];
    FillLanes(lanes, state);
    __m512i s0 = _mm512_load_si512(lanes[0]);
    __m512i s1 = _mm512_load_si512(lanes[1]);
    __m512i s2 = _mm512_load_si512(lanes[2]);
    __m512i s3 = _mm512_load_si512(lanes[3]);
    const __m512i advance = _mm512_set1_epi32(static_cast<int>(64 * kDoubledAdvance));
    const __m512i magic = _mm512_set1_epi16(static_cast<short>(divisor.magic));
    const __m512i divisors = _mm512_set1_epi16(static_cast<short>(divisor.divisor));
    const __m128i shift = _mm_cvtsi32_si128(divisor.shift);
    const __m512i lowByte = _mm512_set1_epi16(0x00FF);
    const __m512i value = _mm512_set1_epi8(static_cast<char>(valueByte));
    std::size_t done = 0;
    for (; done + 64 <= size; done += 64) {
        const __m512i nA = _mm512_packs_epi32(_mm512_srli_epi32(s0, 17), _mm512_srli_epi32(s1, 17));
        const __m512i nB = _mm512_packs_epi32(_mm512_srli_epi32(s2, 17), _mm512_srli_epi32(s3, 17));
        const __m512i qA = _mm512_srl_epi16(_mm512_mulhi_epu16(nA, magic), shift);
        const __m512i qB = _mm512_srl_epi16(_mm512_mulhi_epu16(nB, magic), shift);
        const __m512i rA =
            _mm512_and_si512(_mm512_sub_epi16(nA, _mm512_mullo_epi16(qA, divisors)), lowByte);
        const __m512i rB =
            _mm512_and_si512(_mm512_sub_epi16(nB, _mm512_mullo_epi16(qB, divisors)), lowByte);
        const __m512i masks = _mm512_xor_si512(_mm512_packus_epi16(rA, rB), value);
        _mm512_storeu_si512(data + done, _mm512_xor_si512(_mm512_loadu_si512(data + done), masks));
        s0 = _mm512_add_epi32(s0, advance);
        s1 = _mm512_add_epi32(s1, advance);
        s2 = _mm512_add_epi32(s2, advance);
        s3 = _mm512_add_epi32(s3, advance);
    }
    return done;
}
#endif

}  // namespace

bool IsSupported(VectorUnit unit) {
    switch (unit) {
        case VectorUnit::Portable:
            return true;
        case VectorUnit::Sse2:
#ifdef POMURU_HAVE_SSE2
            return true;
#else
            return false;
#endif
        case VectorUnit::Avx2:
#ifdef POMURU_HAVE_WIDE_VECTORS
            return __builtin_cpu_supports("avx2");
#else
            return false;
#endif
        case VectorUnit::Avx512:
#ifdef POMURU_HAVE_WIDE_VECTORS
            return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
#else
            return false;
#endif
    }
    return false;
}

VectorUnit FastestVectorUnit() {
    for (const VectorUnit unit : {VectorUnit::Avx512, VectorUnit::Avx2, VectorUnit::Sse2}) {
        if (IsSupported(unit)) {
            return unit;
        }
    }
    return VectorUnit::Portable;
}

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

void XorConstant(std::span<std::uint8_t> bytes, std::uint8_t mask, VectorUnit unit) {
    switch (unit) {
#ifdef POMURU_HAVE_WIDE_VECTORS
        case VectorUnit::Avx512:
            return XorConstantAvx512(bytes.data(), bytes.size(), mask);
        case VectorUnit::Avx2:
            return XorConstantAvx2(bytes.data(), bytes.size(), mask);
#endif
#ifdef POMURU_HAVE_SSE2
        case VectorUnit::Sse2:
            return XorConstantSse2(bytes.data(), bytes.size(), mask);
#endif
        default:
            return XorConstantPortable(bytes.data(), bytes.size(), mask);
    }
}

// Without SSE2 (a 32-bit x86 build) only the unit is looked at.
std::size_t XorRandom([[maybe_unused]] std::span<std::uint8_t> bytes,
                      [[maybe_unused]] std::uint32_t state,
                      [[maybe_unused]] const SmallDivisor& divisor,
                      [[maybe_unused]] std::uint8_t valueByte, VectorUnit unit) {
    switch (unit) {
#ifdef POMURU_HAVE_WIDE_VECTORS
        case VectorUnit::Avx512:
            return XorRandomAvx512(bytes.data(), bytes.size(), state, divisor, valueByte);
        case VectorUnit::Avx2:
            return XorRandomAvx2(bytes.data(), bytes.size(), state, divisor, valueByte);
#endif
#ifdef POMURU_HAVE_SSE2
        case VectorUnit::Sse2:
            return XorRandomSse2(bytes.data(), bytes.size(), state, divisor, valueByte);
#endif
        default:
            // Without vectors, the caller's table lookup is the quickest way.
            return 0;
    }
}

}  // namespace pomuru
