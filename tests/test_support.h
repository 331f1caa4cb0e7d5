// What the tests share: private folders, file contents, the expected output worked out one
// read attempt at a time by the plain rule, and the seed of randomised tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "cipher/byte_rule.h"

namespace pomuru::test {

using Bytes = std::vector<std::uint8_t>;

// A private folder for one test, removed with everything in it afterwards.
class TempDir {
public:
    explicit TempDir(const std::filesystem::path& parent = std::filesystem::temp_directory_path());
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // The path of a file in it, in UTF-8 as the programs keep paths.
    std::string File(const std::string& name) const;

private:
    std::filesystem::path path_;
};

// Paths in UTF-8 for std::filesystem, which on Windows would read a plain std::string in the
// system's code page, and back.
std::filesystem::path Utf8Path(std::string_view utf8);
std::string Utf8Text(const std::filesystem::path& path);

// Paths in UTF-8.
Bytes ReadBytes(const std::string& path);
std::string ReadText(const std::string& path);
void WriteBytes(const std::string& path, const Bytes& bytes);
// Reproducible pseudo-random content.
Bytes SampleBytes(std::size_t size, std::uint32_t seed);
// Converts bytes whose first position follows the given cursor state.
Bytes ReferenceConvert(Bytes bytes, const CipherParams& params, CipherCursor cursor = {});
// The seed of a randomised test: POMURU_TEST_SEED's, or else a new one, printed at the first
// call so that a failure can be replayed.
std::uint32_t TestSeed();

}  // namespace pomuru::test
