// Reading signed 32-bit decimal integers.
#include "base/decimal_integer.h"

#include <algorithm>
#include <charconv>
#include <system_error>

namespace pomuru {

std::variant<std::int32_t, IntegerError> ParseDecimalInt32(std::string_view text) {
    // from_chars reads a '-' itself, but no '+'.
    const bool plus = text.starts_with('+');
    const std::string_view number = plus ? text.substr(1) : text;
    const std::string_view digits = !plus && number.starts_with('-') ? number.substr(1) : number;
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(), isDigit)) {
        return IntegerError::NotAnInteger;
    }
    std::int32_t value = 0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        return IntegerError::OutOfRange;
    }
    return value;
}

}  // namespace pomuru
