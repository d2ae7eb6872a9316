// The maker of the puzzles and where to find more of them.
#pragma once

#include <string>

inline const std::string makerWebAddress = "https://www.quillmoor.example/";

// The About box's credit line.
inline std::string creditLine() { return " Sumgrid puzzles by Quillmoor, " + makerWebAddress; }

// The line written on the board below the grid.
inline std::string boardCredit() { return "Puzzles from " + makerWebAddress; }
