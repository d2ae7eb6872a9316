// Everything on the board but the digits.
#pragma once

#include "render/grid.h"

void drawBoard(const GridInfo& info);
