// The version record: the program's name and versions, as the About box and --version show them.
#pragma once

#include <array>
#include <string_view>

struct VersionInfo {
    std::array<unsigned, 4> fileVersion;  // the fixed part: 1.0.0.1
    std::array<unsigned, 4> productVersion;
    std::string_view language;  // string block: Japanese, Unicode
    std::string_view companyName;
    std::string_view fileDescription;
    std::string_view fileVersionText;
    std::string_view internalName;
    std::string_view legalCopyright;
    std::string_view legalTrademarks;
    std::string_view originalFilename;
    std::string_view productName;
    std::string_view productVersionText;
    std::string_view privateBuild;
    std::string_view specialBuild;
    std::string_view comments;
};

const VersionInfo& ProgramVersion();
