// UTF-8, the program's text, as UTF-16, the text of the Windows API and of its resource formats;
// standard C++ only, so that it works and can be tested on every system.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace pomuru {

// Each ill-formed part of the text becomes one U+FFFD, as Unicode recommends and as the Windows
// converter replaces rather than drops them: a lead byte with the continuation bytes that may
// follow it up to the first that may not (a truncated sequence), or a lone byte that cannot
// begin a character. Overlong forms, surrogates and values above U+10FFFF are ill-formed.
std::u16string Utf16FromUtf8(std::string_view utf8);

// Nothing when the text is not well-formed UTF-8.
std::optional<std::u16string> Utf16FromUtf8Strict(std::string_view utf8);

// UTF-16 as UTF-8; a surrogate without its partner, which no UTF-8 text can hold, becomes U+FFFD.
std::string Utf8FromUtf16(std::u16string_view utf16);

// The length in bytes of the well-formed character the text starts with; 0 where it starts with
// an ill-formed part, or is empty.
std::size_t WellFormedUtf8Length(std::string_view text);

#ifdef _WIN32
// The same for the Windows API, whose wchar_t holds UTF-16.
std::wstring WideFromUtf8(std::string_view utf8);
std::optional<std::wstring> WideFromUtf8Strict(std::string_view utf8);
std::string Utf8FromWide(std::wstring_view wide);
#endif

}  // namespace pomuru
