// The number boxes' integer reader on arbitrary text, against a reference that maps the
// full-width forms character by character and reads the rest with strtoll; and every int32,
// printed in any of the accepted forms, reads back as itself.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "framework/integer_text.h"
#include "fuzz_support.h"

namespace pomuru::fuzz {
namespace {

// The ASCII a character stands for in a number box: itself, or what its full-width form or
// the minus sign means; nothing for any other character beyond ASCII.
std::optional<char> AsciiFor(char32_t c) {
    if (c == '\t' || c == U'\u3000') {
        return ' ';
    }
    if (c < 0x80) {
        return static_cast<char>(c);
    }
    if (c >= U'\uFF10' && c <= U'\uFF19') {
        return static_cast<char>('0' + (c - U'\uFF10'));
    }
    if (c == U'\uFF0B') {
        return '+';
    }
    if (c == U'\uFF0D' || c == U'\u2212') {
        return '-';
    }
    return std::nullopt;
}

std::optional<std::int32_t> ExpectedInteger(std::string_view text) {
    const Utf8Reading reading = ReadUtf8(text);
    if (!reading.wellFormed) {
        return std::nullopt;
    }
    std::string ascii;
    for (const char32_t c : reading.codePoints) {
        const auto mapped = AsciiFor(c);
        if (!mapped) {
            return std::nullopt;
        }
        ascii += *mapped;
    }
    const std::size_t first = ascii.find_first_not_of(' ');
    if (first == std::string::npos) {
        return std::nullopt;
    }
    return ReferenceDecimalInt32(
        std::string_view(ascii).substr(first, ascii.find_last_not_of(' ') - first + 1));
}

// value in one of the forms a box may hold, chosen by the bits of form: the sign's form,
// leading zeros, full-width digits, and blanks before and after.
std::string Printed(std::int32_t value, std::uint8_t form) {
    static constexpr const char* kMinus[] = {"-", "\uFF0D", "\u2212", "-"};
    static constexpr const char* kPlus[] = {"", "+", "\uFF0B", ""};
    static constexpr const char* kBlanks[] = {"", " ", "\t", "\u3000"};
    const std::uint32_t magnitude =
        value < 0 ? 0U - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
    std::string text = kBlanks[(form >> 4) & 3];
    text += value < 0 ? kMinus[form & 3] : kPlus[form & 3];
    const std::string digits = ((form & 4) != 0 ? "00" : "") + std::to_string(magnitude);
    for (const char digit : digits) {
        // U+FF10 to U+FF19 are EF BC 90 to EF BC 99.
        text += (form & 8) != 0 ? std::string{'\xEF', '\xBC', static_cast<char>(0x60 + digit)}
                                : std::string(1, digit);
    }
    return text + kBlanks[form >> 6];
}

}  // namespace
}  // namespace pomuru::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace pomuru::fuzz;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto expected = ExpectedInteger(text);
    Require(ParseInteger(text) == expected, "integer read otherwise", text);
    if (size >= 5) {
        std::int32_t value = 0;
        std::memcpy(&value, data, sizeof value);
        const std::string printed = Printed(value, data[4]);
        Require(ParseInteger(printed) == value, "printed integer read otherwise", printed);
    }
    return 0;
}
