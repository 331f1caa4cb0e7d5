// Converts whole blocks of a source at once, byte-identical to the per-attempt rule.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <span>

#include "cipher/cipher_params.h"
#include "cipher/xor_kernels.h"

namespace pomuru {

class BlockConverter {
public:
    // unit: the vector instructions to use; the fastest supported one unless a test asks.
    explicit BlockConverter(const CipherParams& params, VectorUnit unit = FastestVectorUnit());

    // Converts, in place, the bytes at 1-based positions first .. first + size - 1.
    void Convert(std::span<std::uint8_t> block, std::int64_t firstPosition) const;

    // How many bytes from position on stay as they are: up to the next converted position, or
    // kNothingChanges when no byte from position on changes.
    std::int64_t UnchangedFrom(std::int64_t position) const;
    static constexpr std::int64_t kNothingChanges = std::numeric_limits<std::int64_t>::max();

private:
    // The chosen positions are firstChosen_, firstChosen_ + stride_, ...
    std::int64_t NextChosen(std::int64_t position) const;
    void ConvertConstant(std::span<std::uint8_t> block, std::int64_t offset) const;
    void ConvertRandom(std::span<std::uint8_t> block, std::int64_t offset,
                       std::int64_t position) const;

    CipherParams params_;
    VectorUnit unit_;
    std::int64_t firstChosen_;
    std::int64_t stride_;
    bool random_;
    bool changesAnything_;
    std::uint8_t constantMask_;
    // Mask for each 15-bit generator value; used when random_.
    std::array<std::uint8_t, 0x8000> randomMasks_{};
};

}  // namespace pomuru
