// The number boxes' integer reader on arbitrary text, against a reference that maps the
// full-width forms character by character and reads the rest with strtoll.
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "base/integer_text.h"
#include "fuzz_support.h"

namespace {

// The ASCII a character stands for in a number box: itself, or what its full-width form or
// the minus sign means; nothing for any other character beyond ASCII.
std::optional<char> AsciiFor(char32_t c) {
    if (c == '\t' || c == U'\u3000') {
        return ' ';
    }
    if (c >= U'\uFF10' && c <= U'\uFF19') {
        return static_cast<char>('0' + (c - U'\uFF10'));
    }
    if (c == U'\uFF0B' || c == U'\uFF0D' || c == U'\u2212') {
        return c == U'\uFF0B' ? '+' : '-';
    }
    return c < 0x80 ? std::optional(static_cast<char>(c)) : std::nullopt;
}

std::optional<std::int32_t> ExpectedInteger(std::string_view text) {
    const auto characters = pomuru::fuzz::DecodeUtf8(text);
    std::string ascii;
    for (const char32_t c : characters.value_or(U"\uFFFD")) {
        const auto mapped = AsciiFor(c);
        if (!mapped) {
            return std::nullopt;
        }
        ascii += *mapped;
    }
    const std::size_t first = ascii.find_first_not_of(' ');
    const std::size_t last = ascii.find_last_not_of(' ');
    const std::string number =
        first == std::string::npos ? "" : ascii.substr(first, last - first + 1);
    const std::size_t sign = number.starts_with('+') || number.starts_with('-') ? 1 : 0;
    if (number.size() == sign ||
        number.find_first_not_of("0123456789", sign) != std::string::npos) {
        return std::nullopt;
    }
    errno = 0;
    const long long value = std::strtoll(number.c_str(), nullptr, 10);
    if (errno == ERANGE || value < INT32_MIN || value > INT32_MAX) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    pomuru::fuzz::Require(ParseInteger(text) == ExpectedInteger(text), "integer read otherwise",
                          text);
    return 0;
}
