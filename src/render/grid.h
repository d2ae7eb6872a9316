// The board: a square of (gridSize + 2) cells, the grid framed by a margin
// one cell wide. Cell (col, row) has its top-left corner at
// (col * cellSize, row * cellSize); a fraction of a cell is worked out in
// double precision and rounded to the nearest pixel, halves to even.
#pragma once

#include "platform/gdi.h"

#include <cstdint>
#include <string>

class PictureBox;

// What every painter is handed: where to draw and how large a cell is. The
// window fills in both at start-up.
struct GridInfo {
    HDC hDC{};
    int32_t cellSize{};
};

extern GridInfo gridInfo;
extern PictureBox* pbGrid;  // the board's picture box, set by the main window
extern POINT lastPoint;     // receives the previous position of every MoveToEx; never read

// Side of the board square in pixels.
int32_t boardSide(const GridInfo& info);
// base + fraction of a cell, rounded to the nearest pixel.
int32_t cellFraction(int32_t base, double fraction, const GridInfo& info);

// Sizes the picture box to the board square and takes its device context again.
void resizePBgrid();
// Repaints the whole board from the model and shows it.
void updateGrid();
// The selected cell in words: its row and column, its cage's sum, its entry,
// whether a check found it wrong.
std::string describeSelection();
// Any cell in the same words, with the number of cells of its cage.
std::string describeCell(int16_t cell);
// What a check found, told with the selected cell by the next repaint only.
extern std::string checkOutcome;
