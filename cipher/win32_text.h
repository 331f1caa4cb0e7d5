// UTF-8, the program's text, and UTF-16, the Windows API's, converted at the boundary.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pomuru {

// Nothing when the text is no valid UTF-8: it cannot name a file.
std::optional<std::wstring> WideFromUtf8(std::string_view utf8);

// A lone surrogate, which no UTF-8 text can hold, becomes U+FFFD.
std::string Utf8FromWide(std::wstring_view wide);

}  // namespace pomuru
