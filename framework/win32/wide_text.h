// UTF-8, the program's text type, to and from UTF-16, the text type of the Windows API.
#pragma once

#include <string>
#include <string_view>

namespace afx_win32 {

// Ill-formed sequences become U+FFFD, as the system converts them.
std::wstring ToWide(std::string_view text);
std::string FromWide(std::wstring_view text);

}  // namespace afx_win32
