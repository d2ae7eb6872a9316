#include "render/cross.h"

// Both diagonals of a square 4 pixels inside the cell.
void drawCross(const GridInfo& info, int16_t col, int16_t row, HPEN pen) {
    const int32_t c = info.cellSize;
    const int16_t x = int16_t(col * c + 4);
    const int16_t y = int16_t(row * c + 4);
    SelectObject(info.hDC, pen);
    MoveToEx(info.hDC, x, y, &lastPoint);
    LineTo(info.hDC, x + c - 8, y + c - 8);
    MoveToEx(info.hDC, x + c - 8, y, &lastPoint);
    LineTo(info.hDC, x, y + c - 8);
}
