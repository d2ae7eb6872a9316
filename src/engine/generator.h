// Generates killer puzzles of a chosen level: a random solution grid; cages
// grown over it to the size mix of the level; cages split where the grader
// (held to that level) gets stuck, until it solves the puzzle; cages joined
// while it still does, if the puzzle came out too easy; small cages joined
// where the level stays. A search then proves the solution unique.
#pragma once

#include <cstdint>
#include <vector>

#include "grader.h"
#include "killer.h"
#include "rng.h"

namespace sumgrid::engine {

// Cage sizes of a level: weight[n] is the relative frequency of n-cell cages.
struct CageProfile {
    int minSize = 1;
    std::vector<int> weight;  // index = size; weight[0] unused
};

CageProfile profileFor(int level, int side);

struct Generated {
    Killer killer;
    std::vector<int> solution;
    Grade grade;
    int attempts = 0;  // cage layouts tried
};

class Generator {
public:
    Generator(int side, std::uint64_t seed);

    // A puzzle with a unique solution that the grader rates at level (1..4).
    // Gives up after maxAttempts cage layouts and returns attempts == 0.
    Generated generate(int level, int maxAttempts = 100000);

    // The steps, exposed for tests and measurement.
    std::vector<int> randomSolution();
    // Cages over the solution, no digit twice in a cage; false if the cells
    // left over cannot be joined to neighbouring cages within the profile.
    bool growCages(const std::vector<int>& solution, const CageProfile& profile, Killer& out);

    // Grades the puzzle and, while the grader (limited to level) gets stuck,
    // splits a cage among the cells it could not fill, or when none can be
    // split moves one of those cells to a neighbouring cage. True once the
    // grader solves it; result is then a fresh grade of the final clues.
    bool simplifyUntilGraded(Killer& killer, const std::vector<int>& solution, const CageProfile& profile,
                             int level, Grade& result);

    // Joins neighbouring cages while the grader (limited to level) still
    // solves the puzzle, until it needs level. False if it never does.
    bool hardenToLevel(Killer& killer, const std::vector<int>& solution, const CageProfile& profile,
                       int level, Grade& result);

    // Joins cages of one or two cells to neighbours, a given number of tries,
    // keeping each join that leaves the grade at level.
    void coarsen(Killer& killer, const std::vector<int>& solution, const CageProfile& profile, int level,
                 Grade& result, int tries);

private:
    bool splitCage(Killer& killer, int cage, int minSize);
    bool moveStuckCell(Killer& killer, const std::vector<int>& solution, const std::vector<int>& found,
                       const CageProfile& profile);

    int side_;
    Rng rng_;
};

// The seed of puzzle number index in a book generated with seed bookSeed.
std::uint64_t puzzleSeed(std::uint64_t bookSeed, int index);

}  // namespace sumgrid::engine
