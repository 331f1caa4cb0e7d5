// GIF: the header and screen descriptor, then extension and image blocks with their chains of
// sub-blocks, to the trailer. It has no checksums, so it makes a candidate probable at most.
#pragma once

#include "recovery/structure_check.h"

namespace pomuru::recovery {

class GifCheck final : public StructureCheck {
public:
    std::unique_ptr<StructureCheck> Clone() const override;
    Step Next(MaskedView& view) override;
    std::string Words() const override;

private:
    Step Block(MaskedView& view);

    std::int64_t next_ = 0;  // 0 before the header
    int blocks_ = 0;
};

}  // namespace pomuru::recovery
