// Dialog templates as data: caption, font, size and controls in dialog units, with their styles.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

// A rectangle in dialog units: a quarter of the font's average character width across, an
// eighth of its height down.
struct DialogRect {
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
};

enum class ControlKind {
    Edit,           // single-line edit box
    PushButton,     // push button that is not the default
    DefPushButton,  // the push button Enter presses
    Label,          // left-aligned static text
    AutoCheckBox,   // check box that toggles itself on every click
    Icon,           // picture of an icon resource
};

struct DialogControl {
    ControlKind kind = ControlKind::Label;
    int id = -1;            // IDC_STATIC: no code refers to the control
    std::string_view text;  // caption; empty for edit boxes and icons
    DialogRect rect;
    std::uint32_t style = 0;  // WS_TABSTOP, WS_GROUP, WS_BORDER, ES_AUTOHSCROLL, SS_NOPREFIX
    unsigned icon = 0;        // resource id of the picture, for ControlKind::Icon
};

struct DialogFont {
    std::string_view face;
    int pointSize = 9;
};

// Constant data: texts and controls live as long as the program.
struct DialogTemplate {
    std::string_view caption;
    DialogFont font;
    DialogRect rect;  // x, y at 0, 0 open the dialog centred on its owner or the screen
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    std::span<const DialogControl> controls;  // in tab order
};
