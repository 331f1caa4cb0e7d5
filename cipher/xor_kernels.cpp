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

#if defined(POMURU_HAVE_SSE2) || defined(POMURU_HAVE_WASM_SIMD)
// The random loops keep their generator states doubled, so that the 15-bit value is a plain shift
// by 17 with nothing above it, and the pack from 32 to 16 bits never saturates.
constexpr std::uint32_t kDoubledAdvance = CrtRandom::kMultiplier << 1;
#endif

#ifdef POMURU_HAVE_SSE2
namespace sse2 {

struct Ops {
    using Vector = __m128i;
    static constexpr std::size_t kBytes = 16;
    static Vector Load(const void* p) { return _mm_loadu_si128(static_cast<const Vector*>(p)); }
    static void Store(void* p, Vector v) { _mm_storeu_si128(static_cast<Vector*>(p), v); }
    static Vector Splat32(std::uint32_t x) { return _mm_set1_epi32(static_cast<int>(x)); }
    static Vector Splat16(std::uint16_t x) { return _mm_set1_epi16(static_cast<short>(x)); }
    static Vector Splat8(std::uint8_t x) { return _mm_set1_epi8(static_cast<char>(x)); }
    static Vector Xor(Vector a, Vector b) { return _mm_xor_si128(a, b); }
    static Vector And(Vector a, Vector b) { return _mm_and_si128(a, b); }
    static Vector Add32(Vector a, Vector b) { return _mm_add_epi32(a, b); }
    static Vector Sub16(Vector a, Vector b) { return _mm_sub_epi16(a, b); }
    static Vector MulHigh16(Vector a, Vector b) { return _mm_mulhi_epu16(a, b); }
    static Vector MulLow16(Vector a, Vector b) { return _mm_mullo_epi16(a, b); }
    template <int kBits>
    static Vector ShiftRight32(Vector a) {
        return _mm_srli_epi32(a, kBits);
    }
    static Vector ShiftRight16(Vector a, __m128i bits) { return _mm_srl_epi16(a, bits); }
    static Vector PackSigned32(Vector a, Vector b) { return _mm_packs_epi32(a, b); }
    static Vector PackUnsigned16(Vector a, Vector b) { return _mm_packus_epi16(a, b); }
};

#include "cipher/xor_kernels_loops.inc"

}  // namespace sse2

void XorConstantSse2(std::uint8_t* data, std::size_t size, std::uint8_t mask) {
    const std::size_t done = sse2::XorConstantVectors(data, size, mask);
    XorConstantPortable(data + done, size - done, mask);
}
#endif

#ifdef POMURU_HAVE_WIDE_VECTORS
// A function template cannot take its target from its template arguments, and a function for a
// narrower set can take in neither the wider set's instructions nor its vectors; so the loops
// are included once for each set, in a stretch of code compiled for it.
#define POMURU_PRAGMA(text) _Pragma(#text)
#if defined(__clang__)
#define POMURU_BEGIN_TARGET(features) \
    POMURU_PRAGMA(clang attribute push(__attribute__((target(features))), apply_to = function))
#define POMURU_END_TARGET POMURU_PRAGMA(clang attribute pop)
#else
#define POMURU_BEGIN_TARGET(features) \
    POMURU_PRAGMA(GCC push_options) POMURU_PRAGMA(GCC target(features))
#define POMURU_END_TARGET POMURU_PRAGMA(GCC pop_options)
#endif

POMURU_BEGIN_TARGET("avx2")
namespace avx2 {

struct Ops {
    using Vector = __m256i;
    static constexpr std::size_t kBytes = 32;
    static Vector Load(const void* p) { return _mm256_loadu_si256(static_cast<const Vector*>(p)); }
    static void Store(void* p, Vector v) { _mm256_storeu_si256(static_cast<Vector*>(p), v); }
    static Vector Splat32(std::uint32_t x) { return _mm256_set1_epi32(static_cast<int>(x)); }
    static Vector Splat16(std::uint16_t x) { return _mm256_set1_epi16(static_cast<short>(x)); }
    static Vector Splat8(std::uint8_t x) { return _mm256_set1_epi8(static_cast<char>(x)); }
    static Vector Xor(Vector a, Vector b) { return _mm256_xor_si256(a, b); }
    static Vector And(Vector a, Vector b) { return _mm256_and_si256(a, b); }
    static Vector Add32(Vector a, Vector b) { return _mm256_add_epi32(a, b); }
    static Vector Sub16(Vector a, Vector b) { return _mm256_sub_epi16(a, b); }
    static Vector MulHigh16(Vector a, Vector b) { return _mm256_mulhi_epu16(a, b); }
    static Vector MulLow16(Vector a, Vector b) { return _mm256_mullo_epi16(a, b); }
    template <int kBits>
    static Vector ShiftRight32(Vector a) {
        return _mm256_srli_epi32(a, kBits);
    }
    static Vector ShiftRight16(Vector a, __m128i bits) { return _mm256_srl_epi16(a, bits); }
    static Vector PackSigned32(Vector a, Vector b) { return _mm256_packs_epi32(a, b); }
    static Vector PackUnsigned16(Vector a, Vector b) { return _mm256_packus_epi16(a, b); }
};

#include "cipher/xor_kernels_loops.inc"

}  // namespace avx2
POMURU_END_TARGET

POMURU_BEGIN_TARGET("avx512f,avx512bw")
namespace avx512 {

struct Ops {
    using Vector = __m512i;
    static constexpr std::size_t kBytes = 64;
    static Vector Load(const void* p) { return _mm512_loadu_si512(p); }
    static void Store(void* p, Vector v) { _mm512_storeu_si512(p, v); }
    static Vector Splat32(std::uint32_t x) { return _mm512_set1_epi32(static_cast<int>(x)); }
    static Vector Splat16(std::uint16_t x) { return _mm512_set1_epi16(static_cast<short>(x)); }
    static Vector Splat8(std::uint8_t x) { return _mm512_set1_epi8(static_cast<char>(x)); }
    static Vector Xor(Vector a, Vector b) { return _mm512_xor_si512(a, b); }
    static Vector And(Vector a, Vector b) { return _mm512_and_si512(a, b); }
    static Vector Add32(Vector a, Vector b) { return _mm512_add_epi32(a, b); }
    static Vector Sub16(Vector a, Vector b) { return _mm512_sub_epi16(a, b); }
    static Vector MulHigh16(Vector a, Vector b) { return _mm512_mulhi_epu16(a, b); }
    static Vector MulLow16(Vector a, Vector b) { return _mm512_mullo_epi16(a, b); }
    template <int kBits>
    static Vector ShiftRight32(Vector a) {
        return _mm512_srli_epi32(a, kBits);
    }
    static Vector ShiftRight16(Vector a, __m128i bits) { return _mm512_srl_epi16(a, bits); }
    static Vector PackSigned32(Vector a, Vector b) { return _mm512_packs_epi32(a, b); }
    static Vector PackUnsigned16(Vector a, Vector b) { return _mm512_packus_epi16(a, b); }
};

#include "cipher/xor_kernels_loops.inc"

}  // namespace avx512
POMURU_END_TARGET

// The wide loops leave less than two vectors' worth to SSE2.
void XorConstantAvx2(std::uint8_t* data, std::size_t size, std::uint8_t mask) {
    const std::size_t done = avx2::XorConstantVectors(data, size, mask);
    XorConstantSse2(data + done, size - done, mask);
}

void XorConstantAvx512(std::uint8_t* data, std::size_t size, std::uint8_t mask) {
    const std::size_t done = avx512::XorConstantVectors(data, size, mask);
    XorConstantSse2(data + done, size - done, mask);
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
    // Lane e of vector j holds the doubled state of byte 4 * j + e.
    const std::uint32_t first = state << 1;
    v128_t s0 = wasm_u32x4_make(first, first + kDoubledAdvance, first + 2 * kDoubledAdvance,
                                first + 3 * kDoubledAdvance);
    v128_t s1 = wasm_i32x4_add(s0, wasm_u32x4_splat(4 * kDoubledAdvance));
    v128_t s2 = wasm_i32x4_add(s0, wasm_u32x4_splat(8 * kDoubledAdvance));
    v128_t s3 = wasm_i32x4_add(s0, wasm_u32x4_splat(12 * kDoubledAdvance));
    const v128_t advance = wasm_u32x4_splat(16 * kDoubledAdvance);
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
            return avx512::XorRandomVectors(bytes.data(), bytes.size(), state, divisor, valueByte);
        case VectorUnit::Avx2:
            return avx2::XorRandomVectors(bytes.data(), bytes.size(), state, divisor, valueByte);
#endif
#ifdef POMURU_HAVE_SSE2
        case VectorUnit::Sse2:
            return sse2::XorRandomVectors(bytes.data(), bytes.size(), state, divisor, valueByte);
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
