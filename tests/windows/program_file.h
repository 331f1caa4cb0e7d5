// What a Windows program file carries, read as the system reads it, and the program run as a
// user starts it. Free of <windows.h>, so that tests can include it beside the framework's
// headers.
#pragma once

#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace pomuru::test {

// A program file beside or below the running test's own, by its path relative to the test's
// folder with "/" between folders; in UTF-8.
std::string ProgramBesideTest(const std::string& relativePath);

// The widths of the images of an icon group resource; 256 for the largest, which the format
// stores as 0. Empty when the file has no such group.
std::vector<int> IconGroupSizes(const std::string& program, unsigned groupId);
// The fixed part's file version and product version.
struct FixedVersion {
    std::array<unsigned, 4> file{};
    std::array<unsigned, 4> product{};
    bool operator==(const FixedVersion&) const = default;
};
std::optional<FixedVersion> FixedVersionOf(const std::string& program);
// A text of the version record's string block; nothing when the block or the text is missing.
std::optional<std::string> VersionText(const std::string& program, const std::string& block,
                                       const std::string& name);
// The manifest the system reads at start-up; empty when there is none.
std::string ManifestOf(const std::string& program);

// Starts the program, waits for its window with that caption, asks the window to close as its
// close box does, and returns the exit status; nothing if the window never came or the program
// did not end.
std::optional<unsigned> RunUntilClosed(const std::string& program, const std::string& caption,
                                       std::chrono::seconds timeout);

}  // namespace pomuru::test
