// Everything the puzzle files can change, taken at one moment, to show that a
// failed read changed nothing.
#pragma once

#include "model/book.h"
#include "model/puzzle.h"
#include <string>
#include <tuple>
#include <vector>

struct ModelSnapshot {
    std::string path = bookPath;
    int32_t count = puzzleCount;
    std::vector<int32_t> table = bookTable;
    int16_t number = puzzleNumber;
    uint8_t side = gridSize;
    int16_t cells = cellCount;
    CellArray cages = cageOf, digits = solution, sums = cageSumAt;
    CellArray pen = penDigits, pencil = pencilDigits, marks = errorMarks;
    int16_t col = selCol, row = selRow;

    auto tied() const { return std::tie(path, count, table, number, side, cells, cages, digits, sums, pen, pencil, marks, col, row); }
    bool operator==(const ModelSnapshot& o) const { return tied() == o.tied(); }
};

// Puts the model back as it is when the program starts.
inline void clearModel() {
    bookPath.clear();
    bookTable.clear();
    for (CellArray* cellArray : {&cageOf, &solution, &cageSumAt, &penDigits, &pencilDigits, &errorMarks})
        cellArray->clear();
    puzzleCount = 0, puzzleNumber = 1, gridSize = 9, cellCount = 0, selCol = selRow = 0;
}
