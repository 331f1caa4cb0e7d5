// The reference rule: which read attempts are converted, and with which mask.
#pragma once

#include <cstdint>

#include "cipher/cipher_params.h"

namespace pomuru {

// State of the rule during one run. Positions are counted in 64 bits so that sources of any
// length convert; up to 2^31 - 1 this is the same as counting in 32 bits.
struct CipherCursor {
    std::int64_t stepCount = 0;  // bytes counted since the last converted byte
    std::int64_t position = 0;   // 1-based number of the current read attempt
};

// Advances the cursor by one read attempt; true if that attempt's byte is to be converted.
bool SelectNext(CipherCursor& cursor, const CipherParams& params);

// The mask for a byte chosen at the given position.
std::uint8_t MaskFor(const CipherParams& params, std::int64_t position);

// The generator seed for a position: step + start + slide + position, wrapped to 32 bits.
std::uint32_t RandomSeedFor(const CipherParams& params, std::int64_t position);

}  // namespace pomuru
