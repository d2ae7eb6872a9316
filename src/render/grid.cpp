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

// Each repaint also tells assistive technology what the board now says of
// the selected cell.
void updateGrid() {
    pbGrid->setFontSize(8);
    drawBoard(gridInfo);
    pbGrid->setFontSize(12);
    drawDigits(gridInfo);
    pbGrid->Refresh();
    pbGrid->setDescription(QString::fromStdString(describeSelection()));
}

std::string describeSelection() {
    if (cellCount < 1)
        return "No puzzle";
    if (selCol < 1 || selRow < 1)
        return "No cell selected";
    const int16_t i = cellAt(selCol, selRow);
    std::string text = "Row " + std::to_string(selRow) + ", column " + std::to_string(selCol);
    if (const uint8_t sum = cageSumAt[firstCellOfCage(cageOf[i])]; sum != 0)
        text += ", cage of " + std::to_string(sum);
    if (penDigits[i] != 0)
        text += ": " + std::to_string(penDigits[i]) + " in pen";
    else if (pencilDigits[i] != 0)
        text += ": " + std::to_string(pencilDigits[i]) + " in pencil";
    else
        text += ": empty";
    return errorMarks[i] != 0 ? text + ", marked wrong" : text;
}
