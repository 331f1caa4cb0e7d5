// The files in the folders where programs keep what they remember of a user.
#pragma once

#include <filesystem>
#include <set>

namespace pomuru::test {

std::set<std::filesystem::path> UserFiles();

}  // namespace pomuru::test
