#include "model/puzzle.h"

uint8_t gridSize = 9;
int16_t cellCount = 0;
CellArray cageOf;
CellArray solution;
CellArray cageSumAt;

CellArray penDigits;
CellArray pencilDigits;
CellArray errorMarks;
int16_t selCol = 0;
int16_t selRow = 0;
int16_t tensCell = 0;

bool pencilMode = false;
bool penMode = false;

namespace {
// A fresh per-cell array for the current puzzle, all zero.
CellArray freshCells() { return CellArray(size_t(cellCount) + 1, 0); }
}  // namespace

int16_t firstCellOfCage(uint8_t cage) {
    for (int16_t i = 1; i <= cellCount; ++i)
        if (cageOf[i] == cage)
            return i;
    return -1;
}

int16_t cageSum(uint8_t cage) {
    int16_t total = 0;
    for (int16_t i = 1; i <= cellCount; ++i)
        if (cageOf[i] == cage)
            total = int16_t(total + solution[i]);
    return total;
}

void computeCageSums() {
    cageSumAt = freshCells();
    for (int c = 0; c <= cellCount; ++c) {
        const int16_t first = firstCellOfCage(uint8_t(c));
        if (first == -1)
            break;
        cageSumAt[first] = uint8_t(cageSum(cageOf[first]));
    }
    resetPlayer();
}

void resetPlayer() {
    penDigits = freshCells();
    pencilDigits = freshCells();
    errorMarks = freshCells();
    selCol = 0;
    selRow = 0;
    tensCell = 0;
}
