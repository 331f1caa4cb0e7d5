// JPEG: segment after segment with the contents their markers call for, then the entropy-coded
// data, where every 0xFF byte must be stuffed or a restart marker. It has no checksums, so it
// makes a candidate probable at most.
#pragma once

#include "recovery/structure_check.h"

namespace pomuru::recovery {

class JpegCheck final : public StructureCheck {
public:
    std::unique_ptr<StructureCheck> Clone() const override;
    Step Next(MaskedView& view) override;
    std::string Words() const override;

private:
    enum class Stage { Start, Segments, Entropy };

    Step Segment(MaskedView& view);
    Step Entropy(MaskedView& view);

    Stage stage_ = Stage::Start;
    std::int64_t next_ = 0;
    bool frame_ = false;
    bool scanned_ = false;
    int nextRestart_ = 0;
    int segments_ = 0;
    int stuffing_ = 0;  // stuffed bytes and restart markers
};

}  // namespace pomuru::recovery
