// Paths in UTF-8, as the program keeps them, for std::filesystem on Windows, which would read a
// plain std::string in the ANSI code page.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace pomuru::test {

inline std::filesystem::path Utf8Path(std::string_view utf8) {
    return std::u8string(utf8.begin(), utf8.end());
}

inline std::string Utf8Text(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

}  // namespace pomuru::test
