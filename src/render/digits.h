// The player's entries: pen digits in blue, pencil digits in grey, one per
// cell, centred where the selection's fill lies.
#pragma once

#include "render/grid.h"

#include <cstdint>
#include <string>

void drawDigits(const GridInfo& info);
void drawCellText(const GridInfo& info, int16_t col, int16_t row, const std::string& text, COLORREF colour);
