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

namespace pomuru::fuzz {
namespace {

// Mostly plausible numbers, and the edges of what a template's fields hold.
int PickNumber(FuzzedDataProvider& input, int low, int high) {
    switch (input.ConsumeIntegralInRange(0, 3)) {
        case 0:
            return input.ConsumeIntegralInRange(0, 400);
        case 1:
            return low + input.ConsumeIntegralInRange(-3, 3);
        case 2:
            return high + input.ConsumeIntegralInRange(-3, 3);
        default:
            return input.ConsumeIntegral<int>();
    }
}

DialogRect PickRect(FuzzedDataProvider& input) {
    return {PickNumber(input, INT16_MIN, INT16_MAX), PickNumber(input, INT16_MIN, INT16_MAX),
            PickNumber(input, INT16_MIN, INT16_MAX), PickNumber(input, INT16_MIN, INT16_MAX)};
}

bool FitsInTemplate(const DialogRect& rect) {
    for (const int coordinate : {rect.x, rect.y, rect.cx, rect.cy}) {
        if (coordinate < INT16_MIN || coordinate > INT16_MAX) {
            return false;
        }
    }
    return true;
}

// A text the dialog manager would read otherwise: cut at U+0000, or for a control's text a
// resource number after a leading U+FFFF.
bool MisreadText(std::string_view text, bool controlText) {
    const std::u32string characters = ReadUtf8(text).codePoints;
    return characters.find(U'\0') != std::u32string::npos ||
           (controlText && characters.starts_with(U'\uFFFF'));
}

struct KindFields {
    std::uint16_t classAtom;
    std::uint32_t style;
};

// The window class and the styles the resource compiler gives each kind of control.
KindFields FieldsOf(ControlKind kind) {
    switch (kind) {
        case ControlKind::Edit:
            return {0x81, ES_LEFT};
        case ControlKind::PushButton:
            return {0x80, BS_PUSHBUTTON};
        case ControlKind::DefPushButton:
            return {0x80, BS_DEFPUSHBUTTON};
        case ControlKind::Label:
            return {0x82, SS_LEFT | WS_GROUP};
        case ControlKind::AutoCheckBox:
            return {0x80, BS_AUTOCHECKBOX};
        case ControlKind::Icon:
            return {0x82, SS_ICON};
    }
    return {0, 0};
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
    DialogRect Rect() {
        const auto coordinate = [this] { return int{static_cast<std::int16_t>(Word())}; };
        return {coordinate(), coordinate(), coordinate(), coordinate()};
    }
    // A zero-terminated UTF-16 text as code points; a surrogate without its partner fails.
    std::u32string Text() {
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
        return text;
    }
    // A field that holds either a resource number after 0xFFFF or a text: the number, or -1.
    int NumberOrText(std::u32string& text) {
        if (at_ < words_.size() && words_[at_] == 0xFFFF) {
            ++at_;
            return Word();
        }
        text = Text();
        return -1;
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

bool SameRect(const DialogRect& a, const DialogRect& b) {
    return a.x == b.x && a.y == b.y && a.cx == b.cx && a.cy == b.cy;
}

void RequireReadBack(const std::vector<std::uint16_t>& words, const DialogTemplate& written) {
    WordReader reader(words);
    Require(reader.Word() == 1 && reader.Word() == 0xFFFF, "not an extended template");
    Require(reader.DoubleWord() == 0, "help id");
    Require(reader.DoubleWord() == written.exStyle, "extended style");
    Require(reader.DoubleWord() == (written.style | DS_SETFONT), "style");
    Require(reader.Word() == written.controls.size(), "control count");
    Require(SameRect(reader.Rect(), written.rect), "dialog rectangle");
    std::u32string text;
    Require(reader.NumberOrText(text) == -1 && text.empty(), "menu");
    Require(reader.NumberOrText(text) == -1 && text.empty(), "dialog class");
    Require(reader.Text() == ReadUtf8(written.caption).codePoints, "caption", written.caption);
    Require(reader.Word() == written.font.pointSize, "point size");
    Require(reader.Word() == FW_NORMAL, "font weight");
    Require(reader.Word() == SHIFTJIS_CHARSET << 8, "italic and character set");
    Require(reader.Text() == ReadUtf8(written.font.face).codePoints, "font face");
    for (const DialogControl& control : written.controls) {
        const KindFields kind = FieldsOf(control.kind);
        reader.AlignToDoubleWord();
        Require(reader.DoubleWord() == 0 && reader.DoubleWord() == 0,
                "control help id or ex style");
        Require(reader.DoubleWord() == (WS_CHILD | WS_VISIBLE | kind.style | control.style),
                "control style");
        Require(SameRect(reader.Rect(), control.rect), "control rectangle");
        Require(reader.DoubleWord() == static_cast<std::uint32_t>(control.id), "control id");
        Require(reader.NumberOrText(text) == kind.classAtom, "control class");
        const std::string_view shown = control.kind == ControlKind::Icon ? "" : control.text;
        Require(reader.NumberOrText(text) == -1 && text == ReadUtf8(shown).codePoints,
                "control text", shown);
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
}  // namespace pomuru::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace pomuru::fuzz;
    FuzzedDataProvider input(data, size);
    std::deque<std::string> texts;  // the template's views point into these
    const auto text = [&] {
        return std::string_view(texts.emplace_back(input.ConsumeRandomLengthString(40)));
    };
    DialogTemplate dialog;
    dialog.caption = text();
    dialog.font = {text(), PickNumber(input, 0, UINT16_MAX)};
    dialog.rect = PickRect(input);
    dialog.style = input.ConsumeIntegral<std::uint32_t>();
    dialog.exStyle = input.ConsumeIntegral<std::uint32_t>();
    std::vector<DialogControl> controls(input.ConsumeIntegralInRange(0, 6));
    for (DialogControl& control : controls) {
        control.kind = static_cast<ControlKind>(input.ConsumeIntegralInRange(0, 5));
        control.id = input.ConsumeIntegral<int>();
        control.text = text();
        control.rect = PickRect(input);
        control.style = input.ConsumeIntegral<std::uint32_t>();
        control.icon = input.ConsumeIntegral<unsigned>();
    }
    dialog.controls = controls;
    const DialogBaseUnits units{input.ConsumeIntegralInRange(0, 0xFFFF),
                                input.ConsumeIntegralInRange(0, 0xFFFF)};

    bool outOfRange = !FitsInTemplate(dialog.rect) || dialog.font.pointSize < 0 ||
                      dialog.font.pointSize > UINT16_MAX;
    bool misread = MisreadText(dialog.caption, false) || MisreadText(dialog.font.face, false);
    for (const DialogControl& control : controls) {
        outOfRange = outOfRange || !FitsInTemplate(control.rect);
        misread = misread || (control.kind != ControlKind::Icon && MisreadText(control.text, true));
    }
    std::vector<std::uint16_t> words;
    try {
        words = WriteDialogTemplate(dialog);
    } catch (const std::out_of_range&) {
        Require(outOfRange, "template refused as out of range");
        return 0;
    } catch (const std::invalid_argument&) {
        Require(misread, "template refused for its texts");
        return 0;
    }
    RequireReadBack(words, dialog);
    Require(!outOfRange && !misread, "template written that cannot be read as written");
    RequirePixels(dialog.rect, units);
    for (const DialogControl& control : controls) {
        RequirePixels(control.rect, units);
    }
    return 0;
}
