// The window program's file as Windows sees it: its icon group, version record and manifest,
// and the program started and closed as a user does.
#include <gtest/gtest.h>

#include "cipher/status_captions.h"
#include "res/resource.h"
#include "res/version_info.h"
#include "windows/program_file.h"

namespace pomuru::test {
namespace {

const std::string kProgram = ProgramBesideTest(POMURU_WINDOW_PROGRAM);

TEST(program_file, carries_the_icon_in_four_sizes) {
    EXPECT_EQ(IconGroupSizes(kProgram, IDR_MAINFRAME), (std::vector<int>{16, 32, 48, 256}));
}

TEST(program_file, carries_the_version_record) {
    const VersionInfo& version = ProgramVersion();
    const std::optional<FixedVersion> fixed = FixedVersionOf(kProgram);
    ASSERT_TRUE(fixed.has_value());
    EXPECT_EQ(fixed->file, version.fileVersion);
    EXPECT_EQ(fixed->product, version.productVersion);
    const std::string block(version.language);
    const std::pair<const char*, std::string_view> texts[] = {
        {"CompanyName", version.companyName},
        {"FileDescription", version.fileDescription},
        {"FileVersion", version.fileVersionText},
        {"InternalName", version.internalName},
        {"LegalCopyright", version.legalCopyright},
        {"LegalTrademarks", version.legalTrademarks},
        {"OriginalFilename", version.originalFilename},
        {"ProductName", version.productName},
        {"ProductVersion", version.productVersionText},
        {"PrivateBuild", version.privateBuild},
        {"SpecialBuild", version.specialBuild},
        {"Comments", version.comments},
    };
    for (const auto& [name, expected] : texts) {
        EXPECT_EQ(VersionText(kProgram, block, name), std::string(expected)) << name;
    }
}

TEST(program_file, asks_for_per_monitor_dpi_awareness_and_common_controls_6) {
    const std::string manifest = ManifestOf(kProgram);
    EXPECT_NE(manifest.find("PerMonitorV2"), std::string::npos);
    EXPECT_NE(manifest.find(R"(name="Microsoft.Windows.Common-Controls" version="6.0.0.0")"),
              std::string::npos);
}

TEST(program_file, starts_into_the_main_dialog_and_ends_when_it_closes) {
    EXPECT_EQ(RunUntilClosed(kProgram, kDialogCaption, std::chrono::seconds(60)), 0u);
}

}  // namespace
}  // namespace pomuru::test
