// What a kind of file lets the search check of a candidate: its structure, step by step, and
// the checksums that confirm it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "recovery/masked_view.h"

namespace pomuru::recovery {

// Bytes [first, end) by 0-based offset.
struct ByteRange {
    std::int64_t first = 0;
    std::int64_t end = 0;
};

struct Evidence {
    int checksums = 0;   // checksums over converted bytes that matched
    int structures = 0;  // headers, records and markers that were where they belong
};

class StructureCheck {
public:
    enum class Step { More, Done, Failed };

    virtual ~StructureCheck() = default;
    virtual std::unique_ptr<StructureCheck> Clone() const = 0;

    // Checks the next part of the file. A step that throws (Ambiguous, OutsideFile) has changed
    // nothing, so that it can be taken again for each part of a split seed range.
    virtual Step Next(MaskedView& view) = 0;

    const Evidence& Found() const { return found_; }
    // Whether what was found confirms the candidate: matching checksums, where the kind has
    // them.
    virtual bool Confirms() const { return false; }
    // What was found, e.g. "37 PNG chunk checksums" or "JPEG structure only".
    virtual std::string Words() const = 0;
    // After Done: the bytes no checksum or structure pinned down, in order. Settings that
    // differ only there pass the check alike.
    virtual std::vector<ByteRange> Unchecked(std::int64_t fileSize) const {
        return {{0, fileSize}};
    }

protected:
    Evidence found_;
};

}  // namespace pomuru::recovery
