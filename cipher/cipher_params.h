// The settings of one conversion, as the user enters them.
#pragma once

#include <cstdint>

namespace pomuru {

struct CipherParams {
    std::int32_t step = 0;   // counted bytes between two converted bytes
    std::int32_t value = 0;  // low 8 bits mask every converted byte; range of the random part
    std::int32_t start = 0;  // first position that may be converted
    std::int32_t slide = 0;  // first position from which bytes are counted towards step
    bool randomize = false;  // also apply the position-seeded random part

    friend bool operator==(const CipherParams&, const CipherParams&) = default;
};

}  // namespace pomuru
