// The converter's inner loops: a portable version, SSE2 (every x86-64 processor), and AVX2 and
// AVX-512 chosen at run time where the compiler can target them function by function; in a
// WebAssembly build with -msimd128, its 128-bit vectors.
#include "cipher/xor_kernels.h"

#include <bit>
#include <cstring>
#include <utility>

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
#if defined(__wasm_simd128__)
#include <wasm_simd128.h>
#define POMURU_HAVE_WASM_SIMD 1
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

#ifdef POMURU_HAVE_WASM_SIMD
void XorConstantWasm(std::uint8_t* data, std::size_t size, std::uint8_t mask) {
    const v128_t wide = wasm_i8x16_splat(static_cast<std::int8_t>(mask));
    std::size_t i = 0;
    for (; i + 16 <= size; i += 16) {
        wasm_v128_store(data + i, wasm_v128_xor(wasm_v128_load(data + i), wide));
    }
    XorConstantPortable(data + i, size - i, mask);
}

// The remainder of the lanes of n, each below 2^15. WebAssembly has no 16-bit multiply-high,
// but a 15-bit value times a 16-bit magic fits a 32-bit lane, so the quotient is taken in those;
// the rest is done in 16-bit lanes, where the multiplication is cheaper.
template <int kShift>
v128_t RemainderWasm(v128_t nLow, v128_t nHigh, v128_t magic, v128_t divisors) {
    const v128_t qLow = wasm_u32x4_shr(wasm_i32x4_mul(nLow, magic), 16 + kShift);
    const v128_t qHigh = wasm_u32x4_shr(wasm_i32x4_mul(nHigh, magic), 16 + kShift);
    // Every lane is below 2^15: the signed narrowing keeps it as it is.
    const v128_t n = wasm_i16x8_narrow_i32x4(nLow, nHigh);
    const v128_t q = wasm_i16x8_narrow_i32x4(qLow, qHigh);
    return wasm_i16x8_sub(n, wasm_i16x8_mul(q, divisors));
}

// The shift is a template argument: a shift by a variable amount, even the same in every lane,
// is taken apart lane by lane by the compiler.
template <int kShift>
std::size_t XorRandomWasm(std::uint8_t* data, std::size_t size, std::uint32_t state,
                          SmallDivisor divisor, std::uint8_t valueByte) {
    // Doubled states, as in the SSE2 loop: the 15-bit value is a plain shift by 17. Lane e of
    // vector j holds the state of byte 4 * j + e.
    constexpr std::uint32_t kAdvance = CrtRandom::kMultiplier << 1;
    const std::uint32_t first = state << 1;
    v128_t s0 =
        wasm_u32x4_make(first, first + kAdvance, first + 2 * kAdvance, first + 3 * kAdvance);
    v128_t s1 = wasm_i32x4_add(s0, wasm_u32x4_splat(4 * kAdvance));
    v128_t s2 = wasm_i32x4_add(s0, wasm_u32x4_splat(8 * kAdvance));
    v128_t s3 = wasm_i32x4_add(s0, wasm_u32x4_splat(12 * kAdvance));
    const v128_t advance = wasm_u32x4_splat(16 * kAdvance);
    const v128_t magic = wasm_u32x4_splat(divisor.magic);
    const v128_t divisors = wasm_u16x8_splat(divisor.divisor);
    const v128_t value = wasm_i8x16_splat(static_cast<std::int8_t>(valueByte));
    std::size_t done = 0;
    for (; done + 16 <= size; done += 16) {
        const v128_t rA =
            RemainderWasm<kShift>(wasm_u32x4_shr(s0, 17), wasm_u32x4_shr(s1, 17), magic, divisors);
        const v128_t rB =
            RemainderWasm<kShift>(wasm_u32x4_shr(s2, 17), wasm_u32x4_shr(s3, 17), magic, divisors);
        // The low byte of every 16-bit lane, in order.
        const v128_t masks = wasm_v128_xor(
            wasm_i8x16_shuffle(rA, rB, 0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30),
            value);
        wasm_v128_store(data + done, wasm_v128_xor(wasm_v128_load(data + done), masks));
        s0 = wasm_i32x4_add(s0, advance);
        s1 = wasm_i32x4_add(s1, advance);
        s2 = wasm_i32x4_add(s2, advance);
        s3 = wasm_i32x4_add(s3, advance);
    }
    return done;
}

// The loop for every shift a 15-bit divisor needs, 0 to 14.
template <std::size_t... kShifts>
std::size_t XorRandomWasmFor(int shift, std::index_sequence<kShifts...>, std::uint8_t* data,
                             std::size_t size, std::uint32_t state, SmallDivisor divisor,
                             std::uint8_t valueByte) {
    using Loop =
        std::size_t (*)(std::uint8_t*, std::size_t, std::uint32_t, SmallDivisor, std::uint8_t);
    constexpr Loop kLoops[] = {&XorRandomWasm<static_cast<int>(kShifts)>...};
    return kLoops[shift](data, size, state, divisor, valueByte);
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
        case VectorUnit::WasmSimd128:
#ifdef POMURU_HAVE_WASM_SIMD
            return true;
#else
            return false;
#endif
    }
    return false;
}

VectorUnit FastestVectorUnit() {
    for (const VectorUnit unit :
         {VectorUnit::Avx512, VectorUnit::Avx2, VectorUnit::Sse2, VectorUnit::WasmSimd128}) {
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
#ifdef POMURU_HAVE_WASM_SIMD
        case VectorUnit::WasmSimd128:
            return XorConstantWasm(bytes.data(), bytes.size(), mask);
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
#ifdef POMURU_HAVE_WASM_SIMD
        case VectorUnit::WasmSimd128:
            return XorRandomWasmFor(divisor.shift, std::make_index_sequence<15>{}, bytes.data(),
                                    bytes.size(), state, divisor, valueByte);
#endif
        default:
            // Without vectors, the caller's table lookup is the quickest way.
            return 0;
    }
}

}  // namespace pomuru
