// The structure check for each kind of file.
#pragma once

#include <memory>

#include "recovery/file_kind.h"
#include "recovery/structure_check.h"

namespace pomuru::recovery {

std::unique_ptr<StructureCheck> MakeCheck(FileKind kind);

// Whether the kind's checks can confirm settings (it has checksums), or only make them probable.
bool HasChecksums(FileKind kind);

}  // namespace pomuru::recovery
