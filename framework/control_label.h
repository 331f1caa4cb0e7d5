// Which label of a dialog template names an edit box, for the names a screen reader speaks.
#pragma once

#include <string>

#include "framework/dialog_template.h"

// The label directly above the box: the nearest one that starts higher, ends above the box's
// middle and overlaps it across. nullptr when there is none. The template's order is its Tab
// order and says nothing of this: a box's label may come after it.
const DialogControl* LabelAbove(const DialogTemplate& dialogTemplate, const DialogControl& box);

// The text a label shows: "&" marks the access key unless the label shows ampersands as typed,
// and "&&" stands for one "&".
std::string LabelText(const DialogControl& label);
