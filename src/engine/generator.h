// Generates killer puzzles of a chosen level: a random solution grid; cages
// grown over it to the size mix of the level; cages split where the grader
// (held to that level) gets stuck, until it solves the puzzle; then cages
// joined, the smallest first, while it still does, until the puzzle needs
// the level, earns it and keeps the level's cage shapes; for a level that
// asks for more steps, joins and cells moved between cages go on while they
// bring the puzzle nearer. A search then proves the solution unique.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "grader.h"
#include "killer.h"
#include "rng.h"

namespace sumgrid::engine {

// How the cages of a level are made and what shapes they keep: LEVEL-1 at
// most two one-cell cages; from LEVEL-2 up none, and at most 35 % of the
// cages with two cells.
struct CageProfile {
    int minSize = 2;  // fewest cells of a grown cage
    // weight[n]: the relative frequency of n-cell cages as they are grown
    std::vector<int> weight;
    int lean = 0;       // percent of cages grown towards low or high digits
    int spread = 0;     // percent of cells chosen to take a cage into more units
    int ones = 0;       // one-cell cages allowed
    int pairShare = 100;  // most two-cell cages, in percent of all cages
    bool repair = false;  // a join that makes the puzzle too hard is repaired by splits, not dropped
    int minSteps = 1;     // steps of the level's own techniques a puzzle must need
};

CageProfile profileFor(int level, int side);

// Whether the cages keep to the profile's one-cell and two-cell limits.
bool shapeFits(const Killer& killer, const CageProfile& profile);

// Whether a grade is what the profile asks of a puzzle of the level: solved
// at exactly that level, earning it, with the profile's steps.
bool gradeFits(const Grade& grade, int level, const CageProfile& profile);

// The hardest level the generator can reach on a grid side: small grids give
// the harder techniques nothing to work on.
int maxLevelFor(int side);

struct Generated {
    Killer killer;
    std::vector<int> solution;
    Grade grade;
    int attempts = 0;  // cage layouts tried
};

class Generator {
public:
    static constexpr int kJoinFailures = 12;    // joins that break the level before a layout is dropped
    static constexpr int kDeepenFailures = 48;  // joins that bring a puzzle no nearer to its profile, the same
    // Joins tried at all, repaired or not, before a layout is dropped: joins
    // and the splits that repair them could otherwise go round for ever.
    // Deepening, which climbs by small steps, may try twice as many.
    static constexpr int kJoinTrials = 80;
    static constexpr int kDeepenTrials = 160;
    // Percent of deepening's trials, where the profile repairs, that move a
    // cell to a neighbouring cage rather than join two cages.
    static constexpr int kMovePercent = 65;
    static constexpr int kFillDeadEnds = 1000;  // dead ends before a fill of a big grid starts again

    Generator(int side, std::uint64_t seed);

    // A puzzle with a unique solution that the grader rates at level (1..5)
    // and that earns that level, in the cage shapes of the level. Gives up
    // after maxAttempts cage layouts, or at once for a level above
    // maxLevelFor(side), and returns attempts == 0.
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

    // Joins neighbouring cages, smallest first, keeping each join after which
    // the grader (limited to level) still solves the puzzle, or that
    // simplifyUntilGraded repairs if the profile asks for it, until the puzzle
    // needs level, earns it and fits the profile's shapes; then, while it
    // falls short of the profile's steps, joins or cells moved to a
    // neighbouring cage that keep all that and bring it no less near. False
    // if it gives up.
    bool joinToLevel(Killer& killer, const std::vector<int>& solution, const CageProfile& profile, int level,
                     Grade& result);

private:
    // The joins of joinToLevel: first until the puzzle needs the level and
    // earns it; deepening, until it is all the profile asks.
    bool joinWhile(Killer& killer, const std::vector<int>& solution, const CageProfile& profile, int level,
                   Grade& result, bool deepen);
    // Splits a part of low..high cells off a cage, leaving at least low.
    bool splitCage(Killer& killer, int cage, int low, int high);
    // Moves a random cell that found leaves 0 (a cell the solve got stuck
    // on; with found all 0, any cell) into a neighbouring cage that can take it.
    bool moveUnfoundCell(Killer& killer, const std::vector<int>& solution, const std::vector<int>& found,
                         const CageProfile& profile);

    // A fresh solve of k in the grader of slot, made on first use: solves
    // keep their storage from one trial to the next, and skip the check of
    // clues that this generator made.
    Grader& reuse(std::unique_ptr<Grader>& slot, const Killer& k);

    int side_;
    Rng rng_;
    std::unique_ptr<Grader> solving_;  // the solve that splits go on with
    std::unique_ptr<Grader> fresh_;    // fresh grades of finished or joined clues
    // Storage that the steps reuse from one call to the next: simplifyUntilGraded's,
    // splitCage's and moveUnfoundCell's (the last two share mark_ and reach_),
    // and growCages's.
    std::vector<int> order_, sorted_, cageSize_;
    std::vector<char> stuckCage_;
    std::vector<int> cells_, part_, next_, reach_;
    std::vector<char> mark_;
    std::vector<int> stuck_, size_;
    std::vector<int> noneFound_;  // joinWhile's found for a move of any cell: all 0
    std::vector<Mask> digits_;
    std::vector<int> freeNear_, candidates_, intended_;  // growCages's, which takes mark_ and digits_ too
    std::vector<std::vector<int>> cages_;
};

// The level of puzzle number index (from 0) of count in a book of the levels
// low..high: equal runs of each level, the lowest first.
int bookLevel(int low, int high, int index, int count);

// The seed of puzzle number index in a book generated with seed bookSeed.
std::uint64_t puzzleSeed(std::uint64_t bookSeed, int index);

}  // namespace sumgrid::engine
