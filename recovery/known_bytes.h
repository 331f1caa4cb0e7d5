// What each kind of file holds at known places: its signature, fields that can take only a few
// values, and its trailer. A kind may have several templates, the most telling first.
#pragma once

#include <bitset>
#include <cstdint>
#include <string>
#include <vector>

#include "recovery/file_kind.h"

namespace pomuru::recovery {

using ByteSet = std::bitset<256>;

// A byte of the original file at a 0-based offset, as one of the allowed values.
struct KnownByte {
    std::int64_t offset = 0;
    ByteSet allowed;

    bool IsExact() const { return allowed.count() == 1; }
};

struct KindTemplate {
    std::string name;              // e.g. "PNG"
    std::vector<KnownByte> bytes;  // by offset, each offset once, all inside the file
    bool endKnown = false;         // the file ends as the format's trailer does, no later
};

// The templates of a kind for a file of the given size.
std::vector<KindTemplate> TemplatesFor(FileKind kind, std::int64_t fileSize);

}  // namespace pomuru::recovery
