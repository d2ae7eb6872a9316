#include "render/digits.h"

#include "model/puzzle.h"
#include "render/resources.h"

void drawDigits(const GridInfo& info) {
    for (int16_t i = 1; i <= cellCount; ++i) {
        if (penDigits[i] != 0)
            drawCellText(info, colOf(i), rowOf(i), std::to_string(penDigits[i]), clrPenDigit);
        else if (pencilDigits[i] != 0)
            drawCellText(info, colOf(i), rowOf(i), std::to_string(pencilDigits[i]), clrPencilDigit);
    }
}

void drawCellText(const GridInfo& info, int16_t col, int16_t row, const std::string& text, COLORREF colour) {
    const int32_t cs = info.cellSize;
    const int32_t x = col * cs;
    const int32_t y = row * cs;
    SetTextColor(info.hDC, colour);
    RECT box{x + 3, y + 3, x + 3 + cs - 6, y + 3 + cs - 6};
    DrawTextA(info.hDC, text.c_str(), int32_t(text.size()), &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}
