#include "render/grid.h"

#include "model/puzzle.h"
#include "platform/picturebox.h"
#include "platform/vb.h"
#include "render/board.h"
#include "render/digits.h"

#include <algorithm>

GridInfo gridInfo;
PictureBox* pbGrid = nullptr;
POINT lastPoint;
std::string checkOutcome;

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
// the selected cell, and once what the last check found.
void updateGrid() {
    pbGrid->setFontSize(8);
    drawBoard(gridInfo);
    pbGrid->setFontSize(12);
    drawDigits(gridInfo);
    pbGrid->Refresh();
    std::string said = describeSelection();
    if (!checkOutcome.empty())
        said += "\n" + checkOutcome;
    checkOutcome.clear();
    pbGrid->setDescription(QString::fromStdString(said));
}

namespace {

// Row and column, the cage's sum and, when asked, its number of cells, the
// entry, and whether a check found the cell wrong.
std::string cellWords(int16_t i, bool cageSize) {
    std::string text = "Row " + std::to_string(rowOf(i)) + ", column " + std::to_string(colOf(i));
    if (const uint8_t sum = cageSumAt[firstCellOfCage(cageOf[i])]; sum != 0) {
        text += ", cage of " + std::to_string(sum);
        if (cageSize) {
            const auto cells = std::count(cageOf.begin() + 1, cageOf.end(), cageOf[i]);
            text += ", " + std::to_string(cells) + (cells == 1 ? " cell" : " cells");
        }
    }
    if (penDigits[i] != 0)
        text += ": " + std::to_string(penDigits[i]) + " in pen";
    else if (pencilDigits[i] != 0)
        text += ": " + std::to_string(pencilDigits[i]) + " in pencil";
    else
        text += ": empty";
    return errorMarks[i] != 0 ? text + ", marked wrong" : text;
}

}  // namespace

std::string describeSelection() {
    if (cellCount < 1)
        return "No puzzle";
    if (selCol < 1 || selRow < 1)
        return "No cell selected";
    return cellWords(cellAt(selCol, selRow), false);
}

std::string describeCell(int16_t cell) { return cellWords(cell, true); }
