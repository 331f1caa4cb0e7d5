// Signed 32-bit integers as the data exchange reads and writes them in edit boxes.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// Reads an optionally signed decimal integer with blanks around it. Full-width digits, signs
// and spaces, as a Japanese input method types them, count as their ASCII forms. Empty when the
// text holds anything else or the number does not fit in 32 bits.
std::optional<std::int32_t> ParseInteger(std::string_view text);
