// MP3: the ID3v2 tag and its frames, then MPEG audio frames, each header at the place the one
// before it says, to the end (a trailing ID3v1 tag aside). It has no checksums, so it makes a
// candidate probable at most.
#pragma once

#include "recovery/structure_check.h"

namespace pomuru::recovery {

class Mp3Check final : public StructureCheck {
public:
    std::unique_ptr<StructureCheck> Clone() const override;
    Step Next(MaskedView& view) override;
    std::string Words() const override;

private:
    Step Tag(MaskedView& view);
    Step Frames(MaskedView& view);

    bool started_ = false;
    std::int64_t next_ = 0;
    int frames_ = 0;
};

}  // namespace pomuru::recovery
