// The LEVEL-5 techniques: ways of filling a cage weighed against the grid
// around it, and forcing chains. Each step works at one cage, one group or
// one cell.
#pragma once

#include "grader_state.h"

namespace sumgrid::engine::grading {

// Every filling of a cage is held against the rows, columns and boxes it
// crosses. A filling that leaves a cell outside the cage without a
// candidate, or a unit without a place for a digit it still needs, is
// impossible.
bool combinationsAcrossUnits(Solve& s);
// A derived group and a cage that share cells are filled together, both
// sums at once and every two cells that see each other or share a cage
// different.
bool overlappingCages(Solve& s);
// A cell with two candidates is tried with each, and the LEVEL-1 techniques
// followed to their end. A digit that breaks the grid is out; a candidate
// that neither way keeps is out.
bool forcingChains(Solve& s);

}  // namespace sumgrid::engine::grading
