// The label of an edit box, by the template's geometry.
#include "framework/control_label.h"

#include "framework/win_defs.h"

namespace {

bool OverlapsAcross(const DialogRect& a, const DialogRect& b) {
    return a.x < b.x + b.cx && b.x < a.x + a.cx;
}

bool IsAbove(const DialogRect& label, const DialogRect& box) {
    return label.y < box.y && label.y + label.cy <= box.y + box.cy / 2 &&
           OverlapsAcross(label, box);
}

}  // namespace

const DialogControl* LabelAbove(const DialogTemplate& dialogTemplate, const DialogControl& box) {
    const DialogControl* nearest = nullptr;
    for (const DialogControl& control : dialogTemplate.controls) {
        if (control.kind == ControlKind::Label && IsAbove(control.rect, box.rect) &&
            (nearest == nullptr || control.rect.y > nearest->rect.y)) {
            nearest = &control;
        }
    }
    return nearest;
}

std::string LabelText(const DialogControl& label) {
    if (label.style & SS_NOPREFIX) {
        return std::string(label.text);
    }
    std::string shown;
    for (std::size_t i = 0; i < label.text.size(); ++i) {
        if (label.text[i] == '&' && i + 1 < label.text.size()) {
            ++i;
        }
        shown += label.text[i];
    }
    return shown;
}
