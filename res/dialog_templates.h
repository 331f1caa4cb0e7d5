// The dialog templates of the program.
#pragma once

#include "framework/dialog_template.h"

// IDD_CIPHER_DIALOG: the main dialog.
const DialogTemplate& CipherDialogTemplate();

// IDD_ABOUTBOX: the About box.
const DialogTemplate& AboutDialogTemplate();
