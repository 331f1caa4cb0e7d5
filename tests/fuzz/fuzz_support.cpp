// The fuzz targets' shared checks and references.
#include "fuzz_support.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace pomuru::fuzz {

namespace {

// The code points that a character of 1, 2, 3 or 4 bytes may hold.
constexpr char32_t kLowest[] = {0, 0, 0x80, 0x800, 0x10000};
constexpr char32_t kHighest[] = {0, 0x7F, 0x7FF, 0xFFFF, 0x10FFFF};

// A character's length by its first byte; 0 for a byte that begins none.
std::size_t LengthByLead(unsigned char lead) {
    if (lead < 0x80) {
        return 1;
    }
    if (lead < 0xC0) {
        return 0;
    }
    return lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF8 ? 4 : 0;
}

// Whether some well-formed character of `length` bytes begins with `bytes`: the code points
// that the missing bytes could complete must meet the range of that length outside the
// surrogates. Full, the character is this one code point.
bool BeginsCharacter(std::string_view bytes, std::size_t length, char32_t& lowest) {
    const auto lead = static_cast<unsigned char>(bytes[0]);
    char32_t low = lead & (0xFF >> (length == 1 ? 1 : length + 1));
    char32_t high = low;
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0;
        if (i < bytes.size() && (byte < 0x80 || byte > 0xBF)) {
            return false;
        }
        low = low << 6 | (i < bytes.size() ? byte & 0x3F : 0);
        high = high << 6 | (i < bytes.size() ? byte & 0x3F : 0x3F);
    }
    const char32_t from = std::max(low, kLowest[length]);
    const char32_t to = std::min(high, kHighest[length]);
    lowest = from;
    return from <= to && !(from >= 0xD800 && to <= 0xDFFF);
}

}  // namespace

void Fail(const char* what, std::string_view detail) {
    std::fprintf(stderr, "fuzz check failed: %s: %s\n", what, Escaped(detail).c_str());
    std::abort();
}

void Require(bool condition, const char* what, std::string_view detail) {
    if (!condition) {
        Fail(what, detail);
    }
}

std::string Escaped(std::string_view text) {
    std::string escaped;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && c != '\\') {
            escaped += c;
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            escaped += hex;
        }
    }
    return escaped;
}

Utf8Reading ReadUtf8(std::string_view text) {
    Utf8Reading reading;
    while (!text.empty()) {
        const std::size_t length = LengthByLead(static_cast<unsigned char>(text[0]));
        std::size_t begun = 0;  // the longest prefix that begins a character
        char32_t codePoint = 0;
        while (begun < length && begun < text.size() &&
               BeginsCharacter(text.substr(0, begun + 1), length, codePoint)) {
            ++begun;
        }
        if (length != 0 && begun == length) {
            reading.codePoints += codePoint;
        } else {
            reading.codePoints += U'\uFFFD';
            reading.wellFormed = false;
        }
        text.remove_prefix(std::max<std::size_t>(begun, 1));
    }
    return reading;
}

std::optional<std::int32_t> ReferenceDecimalInt32(std::string_view text) {
    const std::size_t signs = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
    if (text.size() == signs || text.find_first_not_of("0123456789", signs) != text.npos) {
        return std::nullopt;
    }
    const std::string terminated(text);
    errno = 0;
    const long long value = std::strtoll(terminated.c_str(), nullptr, 10);
    if (errno == ERANGE || value < INT32_MIN || value > INT32_MAX) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

}  // namespace pomuru::fuzz
