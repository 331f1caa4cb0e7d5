// The neutral dialog template written out as the Windows dialog manager reads one from memory.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/dialog_template.h"

// An extended dialog template (DLGTEMPLATEEX with its DLGITEMTEMPLATEEX items) in 16-bit words,
// for DialogBoxIndirectParamW. The controls keep their template order, which is the order of
// the child windows and of Tab. Icon controls are made without a picture: the window sets it.
// Throws std::out_of_range for a coordinate beyond 16 bits, a point size beyond a word or more
// controls than a word counts, and std::invalid_argument for a text the dialog manager would
// read otherwise: one holding U+0000, or a control's text starting with U+FFFF, which marks a
// resource number.
std::vector<std::uint16_t> WriteDialogTemplate(const DialogTemplate& dialogTemplate);
