// The texts of the version record.
#include "res/version_info.h"

const VersionInfo& ProgramVersion() {
    static constexpr VersionInfo version{
        .fileVersion = {1, 0, 0, 1},
        .productVersion = {1, 0, 0, 1},
        .language = "041104b0",
        .companyName = "ぽむる工房",
        .fileDescription = "ぽむるの暗号",
        .fileVersionText = "2.0",
        .internalName = "ぽむるの暗号",
        .legalCopyright = "Copyright (C) 2002 ぽむる工房",
        .legalTrademarks = "",
        .originalFilename = "ぽむるの暗号.EXE",
        .productName = "ぽむるの暗号",
        .productVersionText = "1, 0, 0, 1",
        .privateBuild = "",
        .specialBuild = "",
        .comments = "作者 ぽむる",
    };
    return version;
}
