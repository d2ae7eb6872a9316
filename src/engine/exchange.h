// The plain-text exchange format for killer puzzles, one puzzle per line:
//
//   <cages> <sums> [<solution>]
//
// <cages> gives every cell, row by row from the top left, a label from
// A-Z, a-z and 0-9. Cells with the same label that touch side by side form one
// cage; a label may come back for another cage elsewhere as long as the two
// never touch. The grid side is the square root of the label count.
// <sums> lists the cage sums separated by commas, in the order of each cage's
// first cell (row by row). <solution>, optional, gives the digits 1-9 then
// A-F for 10-15 in the same cell order. Blank lines and lines starting with
// '#' are ignored; fields are separated by spaces or tabs.
#pragma once

#include <string>
#include <vector>

#include "killer.h"

namespace sumgrid::engine {

struct TextPuzzle {
    int line = 0;                // 1-based line number in the text
    Killer killer;
    std::vector<int> solution;   // empty when the line gives none
};

// Parses every puzzle line; each bad line adds one error "line N: ...".
// Only the form is checked here (labels, counts, digits); see checkKiller.
std::vector<TextPuzzle> parseExchange(const std::string& text, std::vector<std::string>& errors);

// One line for the puzzle (no newline). The solution may be empty. Returns an
// empty string and sets error when the labels run out (a cage with 62 or more
// neighbouring cages) or the side is over 15.
std::string formatExchange(const Killer& killer, const std::vector<int>& solution, std::string& error);

}  // namespace sumgrid::engine
