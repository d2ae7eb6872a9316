// The red cross a check draws over a wrong entry for a moment.
#pragma once

#include "render/grid.h"

#include <cstdint>

void drawCross(const GridInfo& info, int16_t col, int16_t row, HPEN pen);
