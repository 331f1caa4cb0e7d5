// What the fuzz targets share: a failed check that libFuzzer records, and a reading of UTF-8
// that is not the project's own.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pomuru::fuzz {

// Ends the run as a crash, which libFuzzer reports and keeps the input of.
void Require(bool condition, const char* what, std::string_view detail = {});

// The characters of well-formed UTF-8, read by the C library; nothing for any other text.
std::optional<std::u32string> DecodeUtf8(std::string_view text);

}  // namespace pomuru::fuzz
