// The grader's path through a puzzle in words a player can follow, in the
// notation solvers use: r3c4=7 where a cell is left one digit, r3c4<>2,5 for
// digits a cell loses; rows and columns count from 1.
#pragma once

#include <string>

#include "grader.h"
#include "killer.h"

namespace sumgrid::engine {

// One step on a line: its technique, where it worked (a unit, a cage, a
// group of cells and its sum, a digit's rows or columns, a cell) and what it
// did there; a LEVEL-1 sweep names each place in turn. A naked single lists
// the cells it writes in.
std::string stepText(const Killer& killer, const Step& step);

// The numbered steps of the grader's solve of a killer that passes
// checkKiller, one a line, and a last line with the solved grid. With
// stopLevel (1..kLevels) it stops after the first step of that level or
// above; a puzzle beyond the grader ends where the grader stops, saying so.
std::string explain(const Killer& killer, int stopLevel = 0);

}  // namespace sumgrid::engine
