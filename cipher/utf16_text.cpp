// UTF-8 to UTF-16 by the table of well-formed byte sequences.
#include "cipher/utf16_text.h"

#include <cstddef>

namespace pomuru {

namespace {

constexpr char16_t kReplacement = u'\uFFFD';

struct Decoded {
    char32_t codePoint;  // kReplacement when ill-formed
    std::size_t length;  // bytes taken: the character, or the ill-formed part
    bool wellFormed;
};

// The character at the start of a non-empty text. The lead byte allows a narrower range for the
// second byte in four cases, which keeps out overlong forms (E0, F0), surrogates (ED) and values
// above U+10FFFF (F4); C0, C1 and F5..FF never begin a character.
Decoded DecodeFirst(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80) {
        return {lead, 1, true};
    }
    std::size_t length = 0;
    char32_t codePoint = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
        low = lead == 0xE0 ? 0xA0 : low;
        high = lead == 0xED ? 0x9F : high;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
        low = lead == 0xF0 ? 0x90 : low;
        high = lead == 0xF4 ? 0x8F : high;
    } else {
        return {kReplacement, 1, false};
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (i == text.size()) {
            return {kReplacement, i, false};  // the text ends inside the character
        }
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < low || byte > high) {
            return {kReplacement, i, false};
        }
        codePoint = codePoint << 6 | (byte & 0x3F);
        low = 0x80;
        high = 0xBF;
    }
    return {codePoint, length, true};
}

void AppendUtf16(std::u16string& text, char32_t codePoint) {
    if (codePoint < 0x10000) {
        text += static_cast<char16_t>(codePoint);
        return;
    }
    const char32_t above = codePoint - 0x10000;
    text += static_cast<char16_t>(0xD800 + (above >> 10));
    text += static_cast<char16_t>(0xDC00 + (above & 0x3FF));
}

// Every character, or with strict nothing at the first ill-formed part.
std::optional<std::u16string> Convert(std::string_view utf8, bool strict) {
    std::u16string utf16;
    utf16.reserve(utf8.size());
    while (!utf8.empty()) {
        const Decoded decoded = DecodeFirst(utf8);
        if (strict && !decoded.wellFormed) {
            return std::nullopt;
        }
        AppendUtf16(utf16, decoded.codePoint);
        utf8.remove_prefix(decoded.length);
    }
    return utf16;
}

}  // namespace

std::u16string Utf16FromUtf8(std::string_view utf8) {
    return *Convert(utf8, false);
}

std::optional<std::u16string> Utf16FromUtf8Strict(std::string_view utf8) {
    return Convert(utf8, true);
}

}  // namespace pomuru
