// The expected output of a conversion, worked out one read attempt at a time by the plain rule.
#pragma once

#include <cstdint>
#include <vector>

#include "cipher/byte_rule.h"

namespace pomuru::test {

// Converts bytes whose first position follows the given cursor state.
inline std::vector<std::uint8_t> ReferenceConvert(std::vector<std::uint8_t> bytes,
                                                  const CipherParams& params,
                                                  CipherCursor cursor = {}) {
    for (auto& byte : bytes) {
        if (SelectNext(cursor, params)) {
            byte ^= MaskFor(params, cursor.position);
        }
    }
    return bytes;
}

}  // namespace pomuru::test
