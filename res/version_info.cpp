// The texts of the version record.
#include "res/version_info.h"

#include "product.h"

const VersionInfo& ProgramVersion() {
    static constexpr VersionInfo version{
        .fileVersion = {1, 0, 0, 1},
        .productVersion = {1, 0, 0, 1},
        .language = "041104b0",
        .companyName = POMURU_AUTHORS,
        .fileDescription = POMURU_PRODUCT_NAME,
        .fileVersionText = POMURU_VERSION,
        .internalName = POMURU_PRODUCT_NAME,
        .legalCopyright = "Copyright (c) " POMURU_COPYRIGHT_YEAR " " POMURU_AUTHORS,
        .legalTrademarks = "",
        .originalFilename = POMURU_PRODUCT_NAME ".EXE",
        .productName = POMURU_PRODUCT_NAME,
        .productVersionText = "1, 0, 0, 1",
        .privateBuild = "",
        .specialBuild = "",
        .comments = "作者 " POMURU_AUTHORS,
    };
    return version;
}
