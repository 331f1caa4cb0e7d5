// The dialog template writer on arbitrary templates (any texts, numbers and kinds): the words it
// writes are read back as the dialog manager reads them and must give every field as written;
// what it cannot write it refuses with the documented exceptions. The rectangles also go
// through the conversion to pixels.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "framework/dialog_template_writer.h"
#include "framework/dialog_units.h"
#include "framework/win_defs.h"
#include "fuzz_support.h"

namespace {

using pomuru::fuzz::Require;

// Mostly plausible, or at the edges of a template's 16-bit fields, or anything.
int PickNumber(FuzzedDataProvider& input) {
    switch (input.ConsumeIntegralInRange(0, 3)) {
        case 0:
            return input.ConsumeIntegralInRange(0, 400);
        case 1:
            return INT16_MIN + input.ConsumeIntegralInRange(-3, 3);
        case 2:
            return (input.ConsumeBool() ? INT16_MAX : UINT16_MAX) +
                   input.ConsumeIntegralInRange(-3, 3);
        default:
            return input.ConsumeIntegral<int>();
    }
}

DialogRect PickRect(FuzzedDataProvider& input) {
    return {PickNumber(input), PickNumber(input), PickNumber(input), PickNumber(input)};
}

bool Fits(const DialogRect& rect) {
    const auto fits = [](int c) { return c >= INT16_MIN && c <= INT16_MAX; };
    return fits(rect.x) && fits(rect.y) && fits(rect.cx) && fits(rect.cy);
}

// Reads a template's words as the dialog manager does, failing the run where they end early.
class WordReader {
public:
    explicit WordReader(std::span<const std::uint16_t> words) : words_(words) {}

    std::uint16_t Word() {
        Require(at_ < words_.size(), "template ends early");
        return words_[at_++];
    }
    std::uint32_t DoubleWord() {
        const std::uint32_t low = Word();
        return low | std::uint32_t{Word()} << 16;
    }
    bool Rect(const DialogRect& expected) {
        const auto next = [this] { return int{static_cast<std::int16_t>(Word())}; };
        const DialogRect rect{next(), next(), next(), next()};
        return rect.x == expected.x && rect.y == expected.y && rect.cx == expected.cx &&
               rect.cy == expected.cy;
    }
    // A zero-terminated UTF-16 text, compared with what was written where that is UTF-8 (the
    // writer puts U+FFFD for what is not, as the system's converter does).
    bool Text(std::string_view written) {
        std::u32string text;
        for (std::uint16_t unit = Word(); unit != 0; unit = Word()) {
            char32_t c = unit;
            if (unit >= 0xD800 && unit <= 0xDFFF) {
                const std::uint16_t low = Word();
                Require(unit < 0xDC00 && low >= 0xDC00 && low <= 0xDFFF, "lone surrogate");
                c = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
            }
            text += c;
        }
        const auto expected = pomuru::fuzz::DecodeUtf8(written);
        return !expected || text == *expected;
    }
    void AlignToDoubleWord() {
        if (at_ % 2 != 0) {
            Require(Word() == 0, "padding is not zero");
        }
    }
    bool AtEnd() const { return at_ == words_.size(); }

private:
    std::span<const std::uint16_t> words_;
    std::size_t at_ = 0;
};

void RequireReadBack(const std::vector<std::uint16_t>& words, const DialogTemplate& written) {
    WordReader reader(words);
    Require(reader.Word() == 1 && reader.Word() == 0xFFFF, "not an extended template");
    Require(reader.DoubleWord() == 0 && reader.DoubleWord() == written.exStyle &&
                reader.DoubleWord() == (written.style | DS_SETFONT),
            "help id or styles");
    Require(reader.Word() == written.controls.size(), "control count");
    Require(reader.Rect(written.rect), "dialog rectangle");
    Require(reader.Word() == 0 && reader.Word() == 0, "menu or dialog class");
    Require(reader.Text(written.caption), "caption", written.caption);
    Require(reader.Word() == written.font.pointSize && reader.Word() == FW_NORMAL &&
                reader.Word() == SHIFTJIS_CHARSET << 8,
            "font size, weight or character set");
    Require(reader.Text(written.font.face), "font face", written.font.face);
    for (const DialogControl& control : written.controls) {
        reader.AlignToDoubleWord();
        Require(reader.DoubleWord() == 0 && reader.DoubleWord() == 0, "control help id or style");
        const std::uint32_t style = WS_CHILD | WS_VISIBLE | control.style;
        Require((reader.DoubleWord() & style) == style, "control style");
        Require(reader.Rect(control.rect), "control rectangle");
        Require(reader.DoubleWord() == static_cast<std::uint32_t>(control.id), "control id");
        Require(reader.Word() == 0xFFFF && reader.Word() - 0x80u <= 2, "control class");
        const std::string_view text = control.kind == ControlKind::Icon ? "" : control.text;
        Require(reader.Text(text), "control text", text);
        Require(reader.Word() == 0, "control creation data");
    }
    Require(reader.AtEnd(), "words after the last control");
}

// Dialog units to pixels against exact arithmetic, rounded half away from zero.
void RequirePixels(const DialogRect& rect, const DialogBaseUnits& units) {
    const PixelRect pixels = DialogUnitsToPixels(rect, units);
    const auto scaled = [](int value, int numerator, int denominator) {
        return std::llroundl(static_cast<long double>(value) * numerator / denominator);
    };
    Require(pixels.x == scaled(rect.x, units.charWidth, 4) &&
                pixels.y == scaled(rect.y, units.charHeight, 8) &&
                pixels.width == scaled(rect.cx, units.charWidth, 4) &&
                pixels.height == scaled(rect.cy, units.charHeight, 8),
            "dialog units to pixels");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    std::deque<std::string> texts;  // the template's views point into these
    const auto text = [&] {
        return std::string_view(texts.emplace_back(input.ConsumeRandomLengthString(40)));
    };
    // What the dialog manager would read otherwise: a text cut at U+0000, or for a control's
    // text a resource number after a leading U+FFFF.
    const auto misread = [](std::string_view t, bool control) {
        return t.find('\0') != t.npos || (control && t.starts_with("\xEF\xBF\xBF"));
    };
    DialogTemplate dialog;
    dialog.caption = text();
    dialog.font = {text(), PickNumber(input)};
    dialog.rect = PickRect(input);
    dialog.style = input.ConsumeIntegral<std::uint32_t>();
    dialog.exStyle = input.ConsumeIntegral<std::uint32_t>();
    std::vector<DialogControl> controls(input.ConsumeIntegralInRange(0, 6));
    bool fits =
        Fits(dialog.rect) && dialog.font.pointSize >= 0 && dialog.font.pointSize <= UINT16_MAX;
    bool readable = !misread(dialog.caption, false) && !misread(dialog.font.face, false);
    for (DialogControl& control : controls) {
        control = {static_cast<ControlKind>(input.ConsumeIntegralInRange(0, 5)),
                   input.ConsumeIntegral<int>(),
                   text(),
                   PickRect(input),
                   input.ConsumeIntegral<std::uint32_t>(),
                   input.ConsumeIntegral<unsigned>()};
        fits = fits && Fits(control.rect);
        readable = readable && (control.kind == ControlKind::Icon || !misread(control.text, true));
    }
    dialog.controls = controls;
    std::vector<std::uint16_t> words;
    try {
        words = WriteDialogTemplate(dialog);
    } catch (const std::out_of_range&) {
        Require(!fits, "template refused as out of range");
        return 0;
    } catch (const std::invalid_argument&) {
        Require(!readable, "template refused for its texts");
        return 0;
    }
    Require(fits && readable, "template written that cannot be read as written");
    RequireReadBack(words, dialog);
    const DialogBaseUnits units{input.ConsumeIntegralInRange(0, 0xFFFF),
                                input.ConsumeIntegralInRange(0, 0xFFFF)};
    RequirePixels(dialog.rect, units);
    for (const DialogControl& control : controls) {
        RequirePixels(control.rect, units);
    }
    return 0;
}
