// Conversions between UTF-8 and UTF-16 by the system's own converter.
#include "framework/win32/wide_text.h"

#include <windows.h>

#include <climits>
#include <stdexcept>

namespace afx_win32 {

namespace {

// The API counts in int: a longer text is a fault of the caller, not of the user.
int ApiLength(std::size_t size) {
    if (size > static_cast<std::size_t>(INT_MAX)) {
        throw std::length_error("text too long for the Windows API");
    }
    return static_cast<int>(size);
}

}  // namespace

std::wstring ToWide(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const int size = ApiLength(text.size());
    const int wideSize = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wideSize), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), wideSize);
    return wide;
}

std::string FromWide(std::wstring_view text) {
    if (text.empty()) {
        return {};
    }
    const int size = ApiLength(text.size());
    const int narrowSize =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(narrowSize), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, narrow.data(), narrowSize, nullptr, nullptr);
    return narrow;
}

}  // namespace afx_win32
