// The fuzz targets' shared checks.
#include "fuzz_support.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cuchar>

namespace pomuru::fuzz {

void Require(bool condition, const char* what, std::string_view detail) {
    if (!condition) {
        std::fprintf(stderr, "fuzz check failed: %s: %.*s\n", what, static_cast<int>(detail.size()),
                     detail.data());
        std::abort();
    }
}

std::optional<std::u32string> DecodeUtf8(std::string_view text) {
    static const bool utf8 = std::setlocale(LC_CTYPE, "C.UTF-8") != nullptr;
    Require(utf8, "no C.UTF-8 locale");
    std::u32string characters;
    std::mbstate_t state{};
    while (!text.empty()) {
        char32_t c = 0;
        const std::size_t length = std::mbrtoc32(&c, text.data(), text.size(), &state);
        // The C library takes a NUL for the end of the text; glibc reads past U+10FFFF.
        if (length == 0) {
            characters += U'\0';
            text.remove_prefix(1);
            continue;
        }
        if (length > text.size() || c > 0x10FFFF) {
            return std::nullopt;
        }
        characters += c;
        text.remove_prefix(length);
    }
    return characters;
}

}  // namespace pomuru::fuzz
