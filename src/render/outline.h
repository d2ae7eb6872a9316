// Cage outlines: a closed line that runs a tenth of a cell inside the edges of
// a cage, found by walking clockwise round the cage's cells from the top-left
// corner of its first cell.
#pragma once

#include "platform/gdi.h"
#include "render/grid.h"

#include <cstdint>
#include <vector>

// The side of a cell the walk stands on, walked clockwise.
enum OutlineSide : int16_t { Top = 1, Right = 2, Bottom = 3, Left = 4 };

// Points 1..n + 1 of an outline (entry 0 unused); the last equals the first.
using OutlinePoints = std::vector<POINT>;

int16_t traceCageOutline(uint8_t cage, OutlinePoints& points, const GridInfo& info);
int16_t traceStep(uint8_t cage, OutlinePoints& points, int16_t n, int16_t cell, int16_t side,
                  const GridInfo& info);
bool isSameCage(int16_t col, int16_t row, int16_t refCell);
bool isPointInList(const OutlinePoints& points, int16_t n, POINT p);
