// Conversion of dialog units to pixels from the dialog font's size.
#pragma once

#include "framework/dialog_template.h"

// The dialog font's average character width and its height, in pixels.
struct DialogBaseUnits {
    int charWidth = 0;
    int charHeight = 0;
};

struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The average width the dialog units are based on, from the width of the 52 letters A–Z and
// a–z in the dialog font, rounded to the nearest pixel.
int AverageCharWidth(int alphabetWidth);

// x and widths in quarters of the average character width, y and heights in eighths of the
// character height, each rounded to the nearest pixel.
PixelRect DialogUnitsToPixels(const DialogRect& rect, const DialogBaseUnits& units);
