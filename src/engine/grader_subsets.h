// Where digits can go within units: pointing and claiming, naked and hidden
// subsets (pairs, triples, quads), and fish (x-wing, swordfish). Each step
// works at one unit, cage or digit pattern.
#pragma once

#include "grader_state.h"

namespace sumgrid::engine::grading {

// A digit whose places in one unit, or in a cage that needs it, all lie in
// another unit leaves the rest of that unit.
bool intersections(Solve& s);
// k open cells of a unit whose candidates together are k digits: those
// digits leave the unit's other cells (k is 2..4).
bool nakedSubsets(Solve& s, int k);
// k digits of a unit that only k cells can take: those cells lose every
// other digit (k is 2..4).
bool hiddenSubsets(Solve& s, int k);
// A digit whose places in k rows (columns) lie in k columns (rows) leaves
// the rest of those columns (rows) (k is 2..3).
bool fish(Solve& s, int k);

}  // namespace sumgrid::engine::grading
