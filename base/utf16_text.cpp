// UTF-8 and UTF-16 by the table of well-formed byte sequences.
#include "base/utf16_text.h"

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

void AppendUtf8(std::string& text, char32_t codePoint) {
    if (codePoint < 0x80) {
        text += static_cast<char>(codePoint);
        return;
    }
    const int continuations = codePoint < 0x800 ? 1 : codePoint < 0x10000 ? 2 : 3;
    constexpr unsigned char kLeads[] = {0, 0xC0, 0xE0, 0xF0};
    text += static_cast<char>(kLeads[continuations] | (codePoint >> (6 * continuations)));
    for (int i = continuations - 1; i >= 0; --i) {
        text += static_cast<char>(0x80 | ((codePoint >> (6 * i)) & 0x3F));
    }
}

}  // namespace

std::string Utf8FromUtf16(std::u16string_view utf16) {
    std::string utf8;
    utf8.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        const char16_t unit = utf16[i];
        const bool high = unit >= 0xD800 && unit < 0xDC00;
        if (high && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF) {
            AppendUtf8(utf8, 0x10000 + ((unit - 0xD800) << 10) + (utf16[++i] - 0xDC00));
        } else {
            AppendUtf8(utf8, unit >= 0xD800 && unit <= 0xDFFF ? kReplacement : unit);
        }
    }
    return utf8;
}

std::size_t WellFormedUtf8Length(std::string_view text) {
    if (text.empty()) {
        return 0;
    }
    const Decoded decoded = DecodeFirst(text);
    return decoded.wellFormed ? decoded.length : 0;
}

#ifdef _WIN32
std::wstring WideFromUtf8(std::string_view utf8) {
    const std::u16string utf16 = Utf16FromUtf8(utf8);
    return {utf16.begin(), utf16.end()};
}

std::optional<std::wstring> WideFromUtf8Strict(std::string_view utf8) {
    const auto utf16 = Utf16FromUtf8Strict(utf8);
    return utf16 ? std::optional<std::wstring>(std::in_place, utf16->begin(), utf16->end())
                 : std::nullopt;
}

std::string Utf8FromWide(std::wstring_view wide) {
    return Utf8FromUtf16(std::u16string(wide.begin(), wide.end()));
}
#endif

std::u16string Utf16FromUtf8(std::string_view utf8) {
    return *Convert(utf8, false);
}

std::optional<std::u16string> Utf16FromUtf8Strict(std::string_view utf8) {
    return Convert(utf8, true);
}

}  // namespace pomuru
