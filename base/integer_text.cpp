// Reading the integers that edit boxes hold.
#include "base/integer_text.h"

#include <array>
#include <string>
#include <variant>

#include "base/decimal_integer.h"

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
    const auto parsed = pomuru::ParseDecimalInt32(TrimBlanks(normalised));
    if (const auto* value = std::get_if<std::int32_t>(&parsed)) {
        return *value;
    }
    return std::nullopt;
}
