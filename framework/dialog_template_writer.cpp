// DLGTEMPLATEEX in memory: the layout the resource compiler writes for a DIALOGEX statement.
#include "framework/dialog_template_writer.h"

#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>

#include "base/utf16_text.h"
#include "framework/win_defs.h"

namespace {

// The predefined window classes, by the atoms a template names them with.
enum class ControlClass : std::uint16_t { Button = 0x0080, Edit = 0x0081, Static = 0x0082 };

struct ControlStyle {
    ControlClass windowClass;
    std::uint32_t style;
};

// The class and the styles a kind of control has in addition to those of its template entry,
// as the resource compiler gives them to EDITTEXT, PUSHBUTTON, DEFPUSHBUTTON, LTEXT,
// AUTOCHECKBOX and ICON.
ControlStyle StyleOf(ControlKind kind) {
    switch (kind) {
        case ControlKind::Edit:
            return {ControlClass::Edit, ES_LEFT};
        case ControlKind::PushButton:
            return {ControlClass::Button, BS_PUSHBUTTON};
        case ControlKind::DefPushButton:
            return {ControlClass::Button, BS_DEFPUSHBUTTON};
        case ControlKind::Label:
            return {ControlClass::Static, SS_LEFT | WS_GROUP};
        case ControlKind::AutoCheckBox:
            return {ControlClass::Button, BS_AUTOCHECKBOX};
        case ControlKind::Icon:
            return {ControlClass::Static, SS_ICON};
    }
    return {ControlClass::Static, SS_LEFT};
}

// Appends the fields of a template in the machine's (little-endian) order.
class TemplateWriter {
public:
    void Word(std::uint16_t value) { words_.push_back(value); }
    void DoubleWord(std::uint32_t value) {
        Word(static_cast<std::uint16_t>(value & 0xFFFF));
        Word(static_cast<std::uint16_t>(value >> 16));
    }
    void Coordinate(int value) {
        if (value < std::numeric_limits<std::int16_t>::min() ||
            value > std::numeric_limits<std::int16_t>::max()) {
            throw std::out_of_range("dialog coordinate out of range");
        }
        Word(static_cast<std::uint16_t>(static_cast<std::int16_t>(value)));
    }
    void PointSize(int value) {
        if (value < 0 || value > std::numeric_limits<std::uint16_t>::max()) {
            throw std::out_of_range("dialog font point size out of range");
        }
        Word(static_cast<std::uint16_t>(value));
    }
    void Rect(const DialogRect& rect) {
        Coordinate(rect.x);
        Coordinate(rect.y);
        Coordinate(rect.cx);
        Coordinate(rect.cy);
    }
    // A zero-terminated UTF-16 text, which must not end early.
    void Text(std::string_view text) { Utf16Text(pomuru::Utf16FromUtf8(text)); }
    // A control's text, which a leading U+FFFF would make a resource number.
    void ControlText(std::string_view text) {
        const std::u16string utf16 = pomuru::Utf16FromUtf8(text);
        if (utf16.starts_with(u'\uFFFF')) {
            throw std::invalid_argument("dialog control text starting with U+FFFF");
        }
        Utf16Text(utf16);
    }
    // Each control starts on a 32-bit boundary.
    void AlignToDoubleWord() {
        if (words_.size() % 2 != 0) {
            Word(0);
        }
    }

    std::vector<std::uint16_t> Take() { return std::move(words_); }

private:
    void Utf16Text(const std::u16string& text) {
        if (text.find(u'\0') != std::u16string::npos) {
            throw std::invalid_argument("dialog template text holding U+0000");
        }
        words_.insert(words_.end(), text.begin(), text.end());
        Word(0);
    }

    std::vector<std::uint16_t> words_;
};

void WriteControl(TemplateWriter& writer, const DialogControl& control) {
    const ControlStyle kind = StyleOf(control.kind);
    writer.AlignToDoubleWord();
    writer.DoubleWord(0);  // help id
    writer.DoubleWord(0);  // extended style
    writer.DoubleWord(WS_CHILD | WS_VISIBLE | kind.style | control.style);
    writer.Rect(control.rect);
    writer.DoubleWord(static_cast<std::uint32_t>(control.id));
    writer.Word(0xFFFF);  // a predefined class by atom
    writer.Word(static_cast<std::uint16_t>(kind.windowClass));
    writer.ControlText(control.kind == ControlKind::Icon ? std::string_view() : control.text);
    writer.Word(0);  // no creation data
}

}  // namespace

std::vector<std::uint16_t> WriteDialogTemplate(const DialogTemplate& dialogTemplate) {
    if (dialogTemplate.controls.size() > std::numeric_limits<std::uint16_t>::max()) {
        throw std::out_of_range("too many controls in a dialog template");
    }
    TemplateWriter writer;
    writer.Word(1);        // version of the extended template
    writer.Word(0xFFFF);   // its signature
    writer.DoubleWord(0);  // help id
    writer.DoubleWord(dialogTemplate.exStyle);
    writer.DoubleWord(dialogTemplate.style | DS_SETFONT);
    writer.Word(static_cast<std::uint16_t>(dialogTemplate.controls.size()));
    writer.Rect(dialogTemplate.rect);
    writer.Word(0);  // no menu
    writer.Word(0);  // the dialog class
    writer.Text(dialogTemplate.caption);
    writer.PointSize(dialogTemplate.font.pointSize);
    writer.Word(FW_NORMAL);
    // Not italic; the Japanese character set, so that a system without the named face picks
    // another Japanese one rather than a face without kana.
    writer.Word(static_cast<std::uint16_t>(SHIFTJIS_CHARSET << 8));
    writer.Text(dialogTemplate.font.face);
    for (const DialogControl& control : dialogTemplate.controls) {
        WriteControl(writer, control);
    }
    return writer.Take();
}
