// The pseudo-random generator of the 32-bit Windows C runtime, as a value type.
#pragma once

#include <cstdint>

namespace pomuru {

// Reproduces srand/rand of that runtime exactly, so files randomised there restore here.
class CrtRandom {
public:
    static constexpr std::uint32_t kMultiplier = 214013;
    static constexpr std::uint32_t kIncrement = 2531011;

    explicit constexpr CrtRandom(std::uint32_t seed) : state_(seed) {}

    // The next value, 0 to 32767.
    constexpr int Next() {
        state_ = state_ * kMultiplier + kIncrement;
        return static_cast<int>((state_ >> 16) & 0x7FFF);
    }

private:
    std::uint32_t state_;
};

// The value rand() returns first after srand(seed).
constexpr int FirstRandomAfterSeed(std::uint32_t seed) {
    return CrtRandom(seed).Next();
}

}  // namespace pomuru
