// Message boxes captioned with the application's name.
#pragma once

#include <string>

#include "framework/win_defs.h"

// Shows the text with the icon that type names (MB_ICONSTOP, MB_ICONEXCLAMATION, …) and an OK
// button, or with MB_YESNO Yes and No (MB_DEFBUTTON2: Enter answers No), modal to the active
// dialog; returns IDOK, IDYES or IDNO when it is closed.
int AfxMessageBox(const std::string& text, unsigned type = MB_OK | MB_ICONEXCLAMATION);
