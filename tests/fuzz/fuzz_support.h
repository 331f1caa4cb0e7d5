// What the fuzz targets share: a failed check that libFuzzer records, and plain references for
// UTF-8 and for the settings' integer syntax, written apart from the code under test.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pomuru::fuzz {

// Ends the run as a crash, which libFuzzer reports with the input.
[[noreturn]] void Fail(const char* what, std::string_view detail = {});

// Fails if the condition is false.
void Require(bool condition, const char* what, std::string_view detail = {});

// The text with every byte outside printable ASCII as \xNN, for failure reports.
std::string Escaped(std::string_view text);

struct Utf8Reading {
    std::u32string codePoints;  // U+FFFD for each maximal ill-formed part
    bool wellFormed = true;
};

// The characters of a text, found by asking of each longer prefix whether some well-formed
// character begins with it.
Utf8Reading ReadUtf8(std::string_view text);

// An optional sign and decimal digits that fit in 32 bits, read by strtoll.
std::optional<std::int32_t> ReferenceDecimalInt32(std::string_view text);

}  // namespace pomuru::fuzz
