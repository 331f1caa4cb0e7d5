// The reference rule, one read attempt at a time.
#include "cipher/byte_rule.h"

#include "cipher/crt_random.h"

namespace pomuru {

bool SelectNext(CipherCursor& cursor, const CipherParams& params) {
    ++cursor.position;
    if (cursor.position >= params.slide) {
        ++cursor.stepCount;
    }
    if (cursor.stepCount >= params.step && cursor.position >= params.start) {
        cursor.stepCount = 0;
        return true;
    }
    return false;
}

std::uint32_t RandomSeedFor(const CipherParams& params, std::int64_t position) {
    // Unsigned arithmetic wraps without undefined behaviour, like the 32-bit signed sum did.
    return static_cast<std::uint32_t>(params.step) + static_cast<std::uint32_t>(params.start) +
           static_cast<std::uint32_t>(params.slide) + static_cast<std::uint32_t>(position);
}

std::uint8_t MaskFor(const CipherParams& params, std::int64_t position) {
    std::uint32_t mask = static_cast<std::uint32_t>(params.value);
    if (params.randomize && params.value != 0) {
        const int r = FirstRandomAfterSeed(RandomSeedFor(params, position));
        mask ^= static_cast<std::uint32_t>(r % params.value);
    }
    return static_cast<std::uint8_t>(mask & 0xFF);
}

}  // namespace pomuru
