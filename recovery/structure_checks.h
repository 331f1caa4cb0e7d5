// The structure check for each kind of file.
#pragma once

#include <memory>

#include "recovery/file_kind.h"
#include "recovery/structure_check.h"

namespace pomuru::recovery {

// endKnown: the file ends with the format's trailer, so that a check need not look for it
// elsewhere.
std::unique_ptr<StructureCheck> MakeCheck(FileKind kind, bool endKnown = false);

// Whether the kind's checks can confirm settings (it has checksums), or only make them probable.
bool HasChecksums(FileKind kind);

}  // namespace pomuru::recovery
