#include "render/grid.h"

#include "model/puzzle.h"
#include "platform/picturebox.h"
#include "platform/vb.h"
#include "render/board.h"
#include "render/digits.h"

GridInfo gridInfo;
PictureBox* pbGrid = nullptr;
POINT lastPoint;

int32_t boardSide(const GridInfo& info) { return (gridSize + 2) * info.cellSize; }

int32_t cellFraction(int32_t base, double fraction, const GridInfo& info) {
    return int32_t(roundHalfEven(base + fraction * info.cellSize));
}

void resizePBgrid() {
    const int32_t side = boardSide(gridInfo);
    pbGrid->setHeight(side);
    pbGrid->setWidth(side);
    pbGrid->Refresh();
    gridInfo.hDC = pbGrid->hDC();
}

void updateGrid() {
    pbGrid->setFontSize(8);
    drawBoard(gridInfo);
    pbGrid->setFontSize(12);
    drawDigits(gridInfo);
    pbGrid->Refresh();
}
