#include "render/outline.h"

#include "model/puzzle.h"

namespace {

// The inset corners of a cell, where the sides start: Top starts at the
// top-left, Right at the top-right, Bottom at the bottom-right, Left at the
// bottom-left.
POINT insetCorner(int16_t col, int16_t row, int16_t side, const GridInfo& info) {
    const int32_t x = col * info.cellSize;
    const int32_t y = row * info.cellSize;
    const bool right = side == Right || side == Bottom;
    const bool bottom = side == Bottom || side == Left;
    return POINT{cellFraction(x, right ? 0.9 : 0.1, info), cellFraction(y, bottom ? 0.9 : 0.1, info)};
}

int16_t nextClockwise(int16_t side) { return int16_t(side % 4 + 1); }
int16_t previousClockwise(int16_t side) { return int16_t((side + 2) % 4 + 1); }

}  // namespace

int16_t traceCageOutline(uint8_t cage, OutlinePoints& points, const GridInfo& info) {
    const int16_t first = firstCellOfCage(cage);
    points.assign(2, POINT{});
    points[1] = insetCorner(colOf(first), rowOf(first), Top, info);
    return traceStep(cage, points, 1, first, Top, info);
}

// One step: when the neighbour across the current side is in the cage, the
// walk turns into it and goes on along the side before the current one;
// otherwise the side is part of the border and the walk goes on along the
// next side of the same cell. Either way it places the start of the new side,
// and it stops when that point is already in the list.
int16_t traceStep(uint8_t cage, OutlinePoints& points, int16_t n, int16_t cell, int16_t side,
                  const GridInfo& info) {
    const int16_t col = colOf(cell);
    const int16_t row = rowOf(cell);
    int16_t nextCol = col;
    int16_t nextRow = row;
    switch (side) {
    case Top: --nextRow; break;
    case Right: ++nextCol; break;
    case Bottom: ++nextRow; break;
    default: --nextCol; break;
    }

    int16_t nextSide = nextClockwise(side);
    int16_t nextCell = cell;
    if (isSameCage(nextCol, nextRow, cell)) {
        nextSide = previousClockwise(side);
        nextCell = cellAt(nextCol, nextRow);
    } else {
        nextCol = col;
        nextRow = row;
    }
    points.resize(size_t(n) + 2);
    points[n + 1] = insetCorner(nextCol, nextRow, nextSide, info);
    if (isPointInList(points, n, points[n + 1]))
        return n;
    return traceStep(cage, points, int16_t(n + 1), nextCell, nextSide, info);
}

bool isSameCage(int16_t col, int16_t row, int16_t refCell) {
    if (col < 1 || col > gridSize || row < 1 || row > gridSize)
        return false;
    return cageOf[cellAt(col, row)] == cageOf[refCell];
}

bool isPointInList(const OutlinePoints& points, int16_t n, POINT p) {
    for (int16_t i = 1; i <= n; ++i)
        if (points[i].x == p.x && points[i].y == p.y)
            return true;
    return false;
}
