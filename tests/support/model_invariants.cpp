#include "support/model_invariants.h"

#include "model/book.h"
#include "model/puzzle.h"

#include <vector>

namespace {

std::string checkPuzzle() {
    if (cellCount != gridSize * gridSize)
        return "cellCount is not gridSize squared";
    if (gridSize < 1 || gridSize > 15)
        return "gridSize outside 1..15";
    const size_t cells = size_t(cellCount) + 1;
    if (cageOf.size() != cells || solution.size() != cells || cageSumAt.size() != cells)
        return "puzzle arrays do not match cellCount";
    std::vector<int> sums(cells, 0);
    for (int16_t i = 1; i <= cellCount; ++i) {
        if (solution[i] < 1 || solution[i] > gridSize)
            return "solution digit outside 1..gridSize at cell " + std::to_string(i);
        if (cageOf[i] >= cellCount)
            return "cage number not below cellCount at cell " + std::to_string(i);
        sums[cageOf[i]] += solution[i];
    }
    bool runGoesOn = true;
    for (int c = 0; c < cellCount; ++c) {
        const int16_t first = firstCellOfCage(uint8_t(c));
        runGoesOn = runGoesOn && first != -1;
        if (sums[size_t(c)] > 255)
            return "cage sum above 255";
        if (first != -1 && cageSumAt[first] != (runGoesOn ? sums[size_t(c)] : 0))
            return "wrong sum at the first cell of cage " + std::to_string(c);
    }
    for (int16_t i = 1; i <= cellCount; ++i)
        if (cageSumAt[i] != 0 && firstCellOfCage(cageOf[i]) != i)
            return "sum away from its cage's first cell at cell " + std::to_string(i);
    return "";
}

std::string checkPlayer() {
    const size_t cells = size_t(cellCount) + 1;
    if (penDigits.size() != cells || pencilDigits.size() != cells || errorMarks.size() != cells)
        return "player arrays do not match cellCount";
    for (int16_t i = 1; i <= cellCount; ++i) {
        if (penDigits[i] > 9 || pencilDigits[i] > 9)
            return "an entry is not a digit at cell " + std::to_string(i);
        if (penDigits[i] != 0 && pencilDigits[i] != 0)
            return "pen and pencil in one cell at cell " + std::to_string(i);
        if (errorMarks[i] > 1)
            return "a mark other than 0 or 1";
    }
    return "";
}

}  // namespace

std::string modelInvariantViolation() {
    if ((selCol == 0) != (selRow == 0))
        return "half a selection";
    if (selCol < 0 || selCol > gridSize || selRow < 0 || selRow > gridSize)
        return "selection off the grid";
    if (!bookPath.empty()) {
        if (puzzleCount < 1 || puzzleCount > 32767 || bookTable.size() != size_t(puzzleCount) + 1)
            return "book table does not match the count";
        if (puzzleNumber < 1 || puzzleNumber > puzzleCount)
            return "puzzle number outside the book";
        for (int32_t k = 1; k <= puzzleCount; ++k)
            if (bookTable[size_t(k)] < 0)
                return "negative offset in the table";
    }
    if (cellCount == 0)
        return cageOf.empty() && penDigits.empty() ? "" : "arrays without a puzzle";
    if (std::string broken = checkPuzzle(); !broken.empty())
        return broken;
    return checkPlayer();
}
