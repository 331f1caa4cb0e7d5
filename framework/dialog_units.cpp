// Dialog units to pixels, rounded as the dialog manager rounds them.
#include "framework/dialog_units.h"

namespace {

// value * numerator / denominator, rounded half away from zero.
int ScaleRounded(int value, int numerator, int denominator) {
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : (product - half) / denominator);
}

}  // namespace

int AverageCharWidth(int alphabetWidth) {
    return (alphabetWidth / 26 + 1) / 2;
}

PixelRect DialogUnitsToPixels(const DialogRect& rect, const DialogBaseUnits& units) {
    return {ScaleRounded(rect.x, units.charWidth, 4), ScaleRounded(rect.y, units.charHeight, 8),
            ScaleRounded(rect.cx, units.charWidth, 4), ScaleRounded(rect.cy, units.charHeight, 8)};
}
