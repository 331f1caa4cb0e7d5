// The structure check for each kind of file.
#pragma once

#include <memory>

#include "recovery/file_kind.h"
#include "recovery/structure_check.h"

namespace pomuru::recovery {

// endKnown: the file ends with the format's trailer, so that a check need not look for it
// elsewhere.
std::unique_ptr<StructureCheck> MakeCheck(FileKind kind, bool endKnown = false);

}  // namespace pomuru::recovery
