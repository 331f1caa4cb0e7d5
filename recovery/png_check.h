// PNG: the signature, then chunk after chunk to IEND, each with its CRC-32.
#pragma once

#include "recovery/structure_check.h"

namespace pomuru::recovery {

class PngCheck final : public StructureCheck {
public:
    std::unique_ptr<StructureCheck> Clone() const override;
    Step Next(MaskedView& view) override;
    bool Confirms() const override { return found_.checksums > 0; }
    std::string Words() const override;
    // What follows IEND.
    std::vector<ByteRange> Unchecked(std::int64_t fileSize) const override;

private:
    std::int64_t next_ = 0;  // where the next chunk starts; 0 before the signature
};

}  // namespace pomuru::recovery
