#include "render/board.h"

#include "about/maker.h"
#include "engine/geometry.h"
#include "model/puzzle.h"
#include "render/outline.h"
#include "render/resources.h"

#include <algorithm>
#include <string>

namespace {

void drawText(HDC dc, const std::string& text, RECT box) {
    DrawTextA(dc, text.c_str(), int32_t(text.size()), &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void drawFrame(HDC dc, int32_t width, int32_t height) {
    SelectObject(dc, hpenThin);
    Rectangle(dc, 0, 0, width - 1, height - 1);
    Rectangle(dc, 0, 0, width, height);
}

// The grid lines, thick on the borders of the boxes: every boxCols-th
// vertical line and every boxRows-th horizontal one, from the first (on a
// 9 x 9 grid the first, fourth, seventh and tenth of each; 2 x 3 boxes on a
// 6 x 6 grid, 3 x 4 on 12 x 12). A side with no box shape is one box: only
// the lines round the grid are thick.
void drawGridLines(HDC dc, int32_t cs) {
    int boxRows = 0, boxCols = 0;
    if (!sumgrid::engine::boxShape(gridSize, boxRows, boxCols))
        boxRows = boxCols = gridSize;
    const int32_t end = (gridSize + 1) * cs;
    MoveToEx(dc, cs, cs, &lastPoint);
    LineTo(dc, end, cs);
    MoveToEx(dc, cs, cs, &lastPoint);
    LineTo(dc, cs, end);
    for (int32_t i = 1; i <= gridSize + 1; ++i) {
        SelectObject(dc, (i - 1) % boxCols == 0 ? hpenThick : hpenThin);
        MoveToEx(dc, i * cs, cs, &lastPoint);
        LineTo(dc, i * cs, end);
    }
    for (int32_t i = 1; i <= gridSize + 1; ++i) {
        SelectObject(dc, (i - 1) % boxRows == 0 ? hpenThick : hpenThin);
        MoveToEx(dc, cs, i * cs, &lastPoint);
        LineTo(dc, end, i * cs);
    }
}

void drawHighlight(HDC dc, int32_t cs) {
    if (selCol == 0 || selRow == 0)
        return;
    const int32_t x = selCol * cs;
    const int32_t y = selRow * cs;
    FillRect(dc, RECT{x + 3, y + 3, x + cs - 3, y + cs - 3}, hbrHighlight);
}

// Each outline stays open at the corner of the cage's first cell where the
// sum is written: it starts further right on the top side and ends further
// down on the left side.
void drawCageOutlines(const GridInfo& info) {
    SelectObject(info.hDC, hpenCage);
    OutlinePoints points;
    for (int c = 0; c <= cellCount - 1; ++c) {
        if (firstCellOfCage(uint8_t(c)) == -1)
            break;
        const int16_t n = traceCageOutline(uint8_t(c), points, info);
        points[1].x = cellFraction(points[1].x, 0.3, info);
        points[n + 1].y = cellFraction(points[n + 1].y, 0.3, info);
        Polyline(info.hDC, &points[1], n + 1);
    }
}

void drawCageSums(const GridInfo& info) {
    SetTextColor(info.hDC, clrLabel);
    for (int16_t i = 1; i <= cellCount; ++i) {
        if (cageSumAt[i] == 0)
            continue;
        const int32_t x = colOf(i) * info.cellSize;
        const int32_t y = rowOf(i) * info.cellSize;
        drawText(info.hDC, std::to_string(cageSumAt[i]),
                 RECT{x, y, cellFraction(x, 0.4, info), cellFraction(y, 0.4, info)});
    }
}

// The credit sits in the band just below the grid, centred between the
// margins; its box reaches from the grid's bottom line down to half a cell
// further, given bottom edge first.
void drawCredit(const GridInfo& info, int32_t width) {
    const int32_t cs = info.cellSize;
    const int32_t gridBottom = (gridSize + 1) * cs;
    drawText(info.hDC, boardCredit(), RECT{cs, cellFraction(gridSize * cs, 1.5, info), width - cs, gridBottom});
}

void drawErrorMarks(const GridInfo& info) {
    for (int16_t i = 1; i <= cellCount; ++i) {
        if (errorMarks[i] == 0)
            continue;
        const int32_t x = colOf(i) * info.cellSize;
        const int32_t y = rowOf(i) * info.cellSize;
        SetTextColor(info.hDC, RGB(200, 20, 20));
        drawText(info.hDC, "x", RECT{cellFraction(x, 0.7, info), y, x + info.cellSize, cellFraction(y, 0.3, info)});
    }
}

}  // namespace

// Layer by layer: background, frame, grid, highlight, outlines, sums, credit,
// marks. The board is a square, but a small grid's picture is wider than its
// board, to make room for the toolbar across its top: the margin then runs on
// to the right.
void drawBoard(const GridInfo& info) {
    const int32_t side = boardSide(info);
    RECT picture;
    GetClipBox(info.hDC, &picture);
    const int32_t width = std::max(side, picture.right);
    FillRect(info.hDC, RECT{0, 0, width, side}, hbrWhite);
    drawFrame(info.hDC, width, side);
    drawGridLines(info.hDC, info.cellSize);
    drawHighlight(info.hDC, info.cellSize);
    drawCageOutlines(info);
    drawCageSums(info);
    drawCredit(info, width);
    drawErrorMarks(info);
}
