// The LEVEL-1 techniques. Each sweeps the grid, over the cells, units or
// cages that changed since it last looked.
#pragma once

#include "grader_state.h"

namespace sumgrid::engine::grading {

// A cell with one candidate left takes it; the digit leaves the cells that see it.
bool nakedSingles(Solve& s);
// A digit with one place left in a unit goes there.
bool hiddenSingles(Solve& s);
// Each cage keeps only the digits of the combinations that can fill it.
bool cageCombinations(Solve& s);

}  // namespace sumgrid::engine::grading
