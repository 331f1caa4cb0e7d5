// The neutral dialog template written out as the dialog manager reads one from memory.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/dialog_template.h"

namespace afx_win32 {

// An extended dialog template (DLGTEMPLATEEX with its DLGITEMTEMPLATEEX items) in 16-bit words,
// for DialogBoxIndirectParamW. The controls keep their template order, which is the order of
// the child windows and of Tab. Icon controls are made without a picture: the window sets it.
std::vector<std::uint16_t> BuildDialogTemplate(const DialogTemplate& dialogTemplate);

}  // namespace afx_win32
