// WAV: the RIFF header and its size, then chunk after chunk to the end, the format chunk's
// numbers agreeing with each other. It has no checksums, so it makes a candidate probable at
// most.
#pragma once

#include "recovery/structure_check.h"

namespace pomuru::recovery {

class WavCheck final : public StructureCheck {
public:
    std::unique_ptr<StructureCheck> Clone() const override;
    Step Next(MaskedView& view) override;
    std::string Words() const override;

private:
    Step Chunk(MaskedView& view);

    std::int64_t next_ = 0;  // 0 before the header
    std::int64_t end_ = 0;   // where the RIFF form ends
    bool format_ = false;
    bool data_ = false;
    int chunks_ = 0;
};

}  // namespace pomuru::recovery
