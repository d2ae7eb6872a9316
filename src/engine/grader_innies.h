// The rule of 45 and what follows from it: the innies and outies of one, two,
// and three or more units, and cage splitting. Each step filters one derived
// group.
#pragma once

#include "groups.h"
#include "grader_state.h"

namespace sumgrid::engine::grading {

// The first innie/outie group of one kind (UnitInOut, PairInOut or
// WideInOut) whose filter takes a candidate.
bool inniesOuties(Solve& s, GroupKind kind);
// Once placed digits are set aside, a derived group that lies inside a cage
// leaves the rest of the cage with the rest of its sum, and a cage that lies
// inside such a group leaves the rest of the group; the first such rest
// whose filter takes a candidate.
bool cageSplitting(Solve& s);

}  // namespace sumgrid::engine::grading
