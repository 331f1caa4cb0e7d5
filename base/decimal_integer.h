// The settings' integer syntax, which the window and the command line share: an optional sign
// and decimal digits that fit in 32 bits.
#pragma once

#include <cstdint>
#include <string_view>
#include <variant>

namespace pomuru {

enum class IntegerError { NotAnInteger, OutOfRange };

// Nothing but the sign and the digits is allowed, not even blanks.
std::variant<std::int32_t, IntegerError> ParseDecimalInt32(std::string_view text);

}  // namespace pomuru
