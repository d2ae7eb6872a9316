#include "support/model_invariants.h"
#include "model/book.h"
#include "model/puzzle.h"
#include <algorithm>
#include <vector>

std::string modelInvariantViolation() {
    if ((selCol == 0) != (selRow == 0) || selCol < 0 || selCol > gridSize || selRow < 0 || selRow > gridSize)
        return "selection off the grid, or half of one";
    if (!bookPath.empty() && (puzzleCount < 1 || puzzleCount > 32767 || bookTable.size() != size_t(puzzleCount) + 1 ||
                              puzzleNumber < 1 || puzzleNumber > puzzleCount ||
                              std::any_of(bookTable.begin() + 1, bookTable.end(), [](int32_t at) { return at < 0; })))
        return "book table, count and puzzle number disagree";
    if (cellCount == 0)
        return cageOf.empty() && penDigits.empty() ? "" : "arrays without a puzzle";
    if (gridSize < 1 || gridSize > 15 || cellCount != gridSize * gridSize)
        return "cellCount is not gridSize squared";
    const size_t cells = size_t(cellCount) + 1;
    for (const CellArray* cellArray : {&cageOf, &solution, &cageSumAt, &penDigits, &pencilDigits, &errorMarks})
        if (cellArray->size() != cells)
            return "arrays do not match cellCount";
    std::vector<int> sums(cells, 0);
    for (int16_t i = 1; i <= cellCount; ++i) {
        const std::string at = " at cell " + std::to_string(i);
        if (solution[i] < 1 || solution[i] > gridSize || cageOf[i] >= cellCount)
            return "solution digit or cage number out of range" + at;
        const int top = std::max(9, int(gridSize));  // keys write 1 to 9 on any grid, up to its side on larger ones
        if (penDigits[i] > top || pencilDigits[i] > top || (penDigits[i] && pencilDigits[i]) || errorMarks[i] > 1)
            return "an entry that is not one number in pen or pencil, or a mark not 0 or 1" + at;
        if (cageSumAt[i] != 0 && firstCellOfCage(cageOf[i]) != i)
            return "sum away from its cage's first cell" + at;
        sums[cageOf[i]] += solution[i];
    }
    // Sums are written while the cages run on from 0 without a missing number.
    for (int c = 0, runGoesOn = true; c < cellCount; ++c) {
        const int16_t first = firstCellOfCage(uint8_t(c));
        runGoesOn = runGoesOn && first != -1;
        if (sums[size_t(c)] > 255 || (first != -1 && cageSumAt[first] != (runGoesOn ? sums[size_t(c)] : 0)))
            return "wrong sum at the first cell of cage " + std::to_string(c);
    }
    return "";
}
