// Which label names each edit box of the program's dialogs, for the page, which names its boxes
// as the windows do (they ask the framework themselves).
#pragma once

#include <cstddef>
#include <optional>

#include "framework/dialog_template.h"

// The place among the template's controls of the label that names this edit box; none for
// other controls and for a box without a label.
std::optional<std::size_t> EditBoxLabelIndex(const DialogTemplate& dialogTemplate,
                                             const DialogControl& control);
