#include "res/edit_box_labels.h"

#include "framework/control_label.h"

std::optional<std::size_t> EditBoxLabelIndex(const DialogTemplate& dialogTemplate,
                                             const DialogControl& control) {
    const DialogControl* label =
        control.kind == ControlKind::Edit ? LabelAbove(dialogTemplate, control) : nullptr;
    if (label == nullptr) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(label - dialogTemplate.controls.data());
}
