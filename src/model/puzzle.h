// The one puzzle in memory and the player's work on it: plain state shared by
// the whole program. Cells are numbered 1..cellCount row by row from the
// top-left; the cell in column col and row row (both from 1) has the index
// (row - 1) * gridSize + col. Per-cell arrays are indexed the same way: each
// holds cellCount + 1 entries of which entry 0 is never used, and is empty
// (size 0) until the first puzzle is read. A value of 0 means empty or none.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

using CellArray = std::vector<uint8_t>;

// The puzzle, filled by the record reader and never changed by the player.
extern uint8_t gridSize;      // side of the grid in cells, 1..15
extern int16_t cellCount;     // gridSize * gridSize; 0 until a puzzle is read
extern CellArray cageOf;      // cage number of each cell: 0, 1, 2, ...
extern CellArray solution;    // the solution digit of each cell
extern CellArray cageSumAt;   // a cage's sum at its first (lowest) cell, 0 elsewhere

// The player's work, cleared by resetPlayer.
extern CellArray penDigits;
extern CellArray pencilDigits;
extern CellArray errorMarks;  // 1 on each cell a check has found wrong
extern int16_t selCol;        // the selected cell, 1..gridSize each; 0 = none
extern int16_t selRow;
// On a grid of side 10 or more, the cell in which the last key wrote a 1:
// a digit key right after it writes 10 and that digit when the sum fits the
// grid. 0 = none; any other key, click, mode or puzzle clears it.
extern int16_t tensCell;

// Where the next typed digit goes: in pencil while pencilMode is set,
// otherwise in pen (penMode is set at start-up and stays set).
extern bool pencilMode;
extern bool penMode;

// The lowest cell index of a cage, or -1 when no cell carries that number.
int16_t firstCellOfCage(uint8_t cage);
// The sum of the solution digits of a cage; 0 when no cell carries that number.
int16_t cageSum(uint8_t cage);
// Rebuilds cageSumAt for the unbroken run of cage numbers from 0, then resets the player.
void computeCageSums();
// Clears every entry, every mark and the selection.
void resetPlayer();

// Column and row (from 1) of a cell index, and back.
inline int16_t colOf(int16_t cell) { return int16_t((cell - 1) % gridSize + 1); }
inline int16_t rowOf(int16_t cell) { return int16_t((cell - 1) / gridSize + 1); }
inline int16_t cellAt(int16_t col, int16_t row) { return int16_t((row - 1) * gridSize + col); }
