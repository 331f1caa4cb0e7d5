// Parsing and formatting of the integers in edit boxes.
#include "framework/integer_text.h"

#include <array>
#include <limits>

namespace {

struct WideForm {
    std::string_view utf8;
    char ascii;
};

// What a Japanese input method types in full-width mode, in UTF-8. U+2212 is the minus sign
// some input methods give for "-".
constexpr std::array<WideForm, 15> kWideForms{{
    {"\uFF10", '0'},
    {"\uFF11", '1'},
    {"\uFF12", '2'},
    {"\uFF13", '3'},
    {"\uFF14", '4'},
    {"\uFF15", '5'},
    {"\uFF16", '6'},
    {"\uFF17", '7'},
    {"\uFF18", '8'},
    {"\uFF19", '9'},
    {"\uFF0B", '+'},
    {"\uFF0D", '-'},
    {"\u2212", '-'},
    {"\u3000", ' '},
    {"\t", ' '},
}};

std::string Normalise(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    while (!text.empty()) {
        bool replaced = false;
        for (const WideForm& form : kWideForms) {
            if (text.substr(0, form.utf8.size()) == form.utf8) {
                result += form.ascii;
                text.remove_prefix(form.utf8.size());
                replaced = true;
                break;
            }
        }
        if (!replaced) {
            result += text.front();
            text.remove_prefix(1);
        }
    }
    return result;
}

std::string_view TrimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

std::optional<std::int32_t> ParseInteger(std::string_view text) {
    const std::string normalised = Normalise(text);
    std::string_view number = TrimBlanks(normalised);
    bool negative = false;
    if (!number.empty() && (number.front() == '+' || number.front() == '-')) {
        negative = number.front() == '-';
        number.remove_prefix(1);
    }
    if (number.empty()) {
        return std::nullopt;
    }
    // The magnitude may reach 2^31 for the most negative number; stop as soon as it exceeds it.
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    for (const char c : number) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > kLimit) {
            return std::nullopt;
        }
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

std::string FormatInteger(std::int32_t value) {
    return std::to_string(value);
}
