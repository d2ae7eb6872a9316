#include "render/resources.h"

HBRUSH hbrWhite = nullptr;
HBRUSH hbrHighlight = nullptr;
HPEN hpenThin = nullptr;
HPEN hpenThick = nullptr;
HPEN hpenCage = nullptr;
HPEN hpenMistake = nullptr;
COLORREF clrPenDigit = 0;
COLORREF clrPencilDigit = 0;
COLORREF clrLabel = 0;

namespace {
HBRUSH solidBrush(COLORREF color) { return CreateBrushIndirect(LOGBRUSH{BS_SOLID, color, 0}); }
}  // namespace

void initGdiObjects() {
    hbrWhite = solidBrush(RGB(255, 255, 255));
    hbrHighlight = solidBrush(RGB(120, 255, 120));
    hpenThin = CreatePen(PS_SOLID, 1, RGB(25, 25, 25));
    hpenThick = CreatePen(PS_SOLID, 3, RGB(20, 0, 0));
    hpenCage = CreatePen(PS_DASHDOTDOT, 1, RGB(0, 0, 0));
    hpenMistake = CreatePen(PS_SOLID, 1, RGB(200, 20, 20));
    clrPenDigit = RGB(20, 20, 240);
    clrPencilDigit = RGB(150, 150, 150);
    clrLabel = RGB(40, 40, 40);
}
