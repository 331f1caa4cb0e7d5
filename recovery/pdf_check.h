// PDF: the header, the trailer's startxref and %%EOF, and every object where the
// cross-reference table says it begins. It has no checksums, so it makes a candidate probable
// at most.
#pragma once

#include "recovery/structure_check.h"

namespace pomuru::recovery {

class PdfCheck final : public StructureCheck {
public:
    std::unique_ptr<StructureCheck> Clone() const override;
    Step Next(MaskedView& view) override;
    std::string Words() const override;

private:
    enum class Stage { Header, Trailer, Table, Entries };

    Step Trailer(MaskedView& view);
    Step Table(MaskedView& view);
    Step Entries(MaskedView& view);

    Stage stage_ = Stage::Header;
    std::int64_t next_ = 0;       // in the cross-reference table
    std::int64_t object_ = 0;     // the number of the next entry's object
    std::int64_t remaining_ = 0;  // entries left in the subsection
    int objects_ = 0;
};

}  // namespace pomuru::recovery
