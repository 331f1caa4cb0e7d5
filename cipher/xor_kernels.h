// The inner loops of the block converter for consecutive chosen bytes, in the widest vector
// instructions the processor offers.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace pomuru {

// Instruction sets the loops can use, narrowest first; WebAssembly's 128-bit vectors stand apart,
// in a build for the browser.
enum class VectorUnit { Portable, Sse2, Avx2, Avx512, WasmSimd128 };

// Whether this processor, and the system, can run the loops written for unit.
bool IsSupported(VectorUnit unit);

// The widest unit that IsSupported.
VectorUnit FastestVectorUnit();

// n % divisor for every 15-bit n without a division: n / divisor is mulhi16(n, magic) >> shift
// (Granlund and Montgomery); a divisor beyond 15 bits leaves n as it is (magic 0).
struct SmallDivisor {
    std::uint16_t magic = 0;
    std::uint16_t divisor = 0;
    int shift = 0;
};

// The divisor for |value|; none for 0 and 1, whose magic would need 17 bits.
std::optional<SmallDivisor> SmallDivisorFor(std::int32_t value);

// XORs mask into every byte.
void XorConstant(std::span<std::uint8_t> bytes, std::uint8_t mask, VectorUnit unit);

// XORs the random masks into bytes at consecutive positions, as many as fill whole vectors, and
// returns how many that was; the caller does the rest. state is the generator's state after
// seeding for the first byte; it grows by the generator's multiplier from one byte to the next.
// The mask of a byte is valueByte XOR the low 8 bits of (the state's 15-bit value) % divisor.
std::size_t XorRandom(std::span<std::uint8_t> bytes, std::uint32_t state,
                      const SmallDivisor& divisor, std::uint8_t valueByte, VectorUnit unit);

}  // namespace pomuru
