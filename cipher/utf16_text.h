// UTF-8, the program's text, as UTF-16, the text of the Windows API and of its resource formats;
// standard C++ only, so that it works and can be tested on every system.
#pragma once

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

}  // namespace pomuru
