// One check class per kind.
#include "recovery/structure_checks.h"

#include "recovery/png_check.h"
#include "recovery/zip_check.h"

namespace pomuru::recovery {

std::unique_ptr<StructureCheck> MakeCheck(FileKind kind) {
    switch (kind) {
        case FileKind::Png:
            return std::make_unique<PngCheck>();
        case FileKind::Zip:
            return std::make_unique<ZipCheck>();
        default:
            break;
    }
    return std::make_unique<PngCheck>();
}

bool HasChecksums(FileKind kind) {
    return kind == FileKind::Png || kind == FileKind::Zip;
}

}  // namespace pomuru::recovery
