// The texts of the version record, as res/CMakeLists.txt states them.
#include "res/version_info.h"

#include "version_record.h"

const VersionInfo& ProgramVersion() {
    static constexpr VersionInfo version{
        .fileVersion = {POMURU_RECORD_FILE_VERSION},
        .productVersion = {POMURU_RECORD_PRODUCT_VERSION},
        .language = POMURU_RECORD_LANGUAGE,
        .companyName = POMURU_RECORD_COMPANY_NAME,
        .fileDescription = POMURU_RECORD_FILE_DESCRIPTION,
        .fileVersionText = POMURU_RECORD_FILE_VERSION_TEXT,
        .internalName = POMURU_RECORD_INTERNAL_NAME,
        .legalCopyright = POMURU_RECORD_LEGAL_COPYRIGHT,
        .legalTrademarks = POMURU_RECORD_LEGAL_TRADEMARKS,
        .originalFilename = POMURU_RECORD_ORIGINAL_FILENAME,
        .productName = POMURU_RECORD_PRODUCT_NAME,
        .productVersionText = POMURU_RECORD_PRODUCT_VERSION_TEXT,
        .privateBuild = POMURU_RECORD_PRIVATE_BUILD,
        .specialBuild = POMURU_RECORD_SPECIAL_BUILD,
        .comments = POMURU_RECORD_COMMENTS,
    };
    return version;
}
