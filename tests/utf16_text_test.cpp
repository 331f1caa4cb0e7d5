// UTF-8 to UTF-16: characters of every length, and what becomes of ill-formed sequences.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

#include "base/utf16_text.h"

namespace pomuru::test {
namespace {

TEST(utf16_text, converts_characters_and_replaces_each_ill_formed_part_by_one_replacement) {
    using namespace std::string_view_literals;
    const struct {
        const char* name;
        std::string_view utf8;
        std::u16string utf16;
        bool wellFormed;
    } rows[] = {
        {"ascii with nul", "a\0b"sv, {u'a', 0, u'b'}, true},
        {"two and three bytes", "é変換", u"é変換", true},
        {"four bytes as a surrogate pair", "\xF0\x9F\x98\x80", {0xD83D, 0xDE00}, true},
        {"first and last beyond the plane", "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF",
         u"\U00010000\U0010FFFF", true},
        {"edges of the three-byte range", "\xE0\xA0\x80\xEF\xBF\xBF", u"\u0800\uFFFF", true},
        {"overlong forms of two, three and four bytes",
         "\xC0\xAF\xC1\xBF\xE0\x9F\xBF\xF0\x8F\xBF\xBF", std::u16string(11, u'\uFFFD'), false},
        {"surrogates encoded, and beyond U+10FFFF",
         "\xED\xA0\x80\xED\xBF\xBF\xF4\x90\x80\x80\xF5\x80", std::u16string(12, u'\uFFFD'), false},
        {"truncated, then a character", "\xE3\x81\x61\xF0\x9F\x98", u"\uFFFDa\uFFFD", false},
        {"truncated at the end", "x\xC3", u"x\uFFFD", false},
        {"lone continuation and bytes never used", "\x80\xBF\xFE\xFF", std::u16string(4, u'\uFFFD'),
         false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Utf16FromUtf8(row.utf8), row.utf16);
        EXPECT_EQ(Utf16FromUtf8Strict(row.utf8),
                  row.wellFormed ? std::optional(row.utf16) : std::nullopt);
    }
}

}  // namespace
}  // namespace pomuru::test
