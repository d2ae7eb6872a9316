// Figures that tell how puzzles play: per puzzle the steps of each technique
// its solve needed, and over a book the levels, the one- and two-cell cages
// and the technique steps.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "grader.h"
#include "killer.h"

namespace sumgrid::engine {

// "naked single 31, hidden single 9, ...": the techniques a grade used, in
// the grader's order, with their steps; "none" if it used none.
std::string stepsText(const Grade& grade);

// A puzzle's difficulty score, in tenths: each step of the solve weighs by
// its technique's level, kScoreWeights (tenths) from LEVEL-1 to LEVEL-5, so
// that harder techniques weigh more and more steps score more. A LEVEL-1
// step sweeps the grid, and weighs least.
constexpr int kScoreWeights[kLevels] = {1, 5, 20, 50, 100};
int scoreTenths(const Grade& grade);
std::string scoreText(int tenths);  // "41.5"

// The positions of the scores in rising order, equal scores in the order given.
std::vector<int> risingOrder(const std::vector<int>& tenths);

class BookFigures {
public:
    void add(const Killer& killer, const Grade& grade);

    // One figure a line: the levels, one-cell and two-cell cages, the steps
    // of each puzzle's own level, and the steps of every technique.
    std::string text() const;

private:
    int puzzles_ = 0;
    std::array<int, kLevels + 1> levels_{};  // [0]: beyond the grader
    std::vector<int> ones_, ownSteps_, scores_;  // per puzzle
    std::vector<double> twoShare_;           // per puzzle, percent of its cages
    long cages_ = 0, twos_ = 0;
    std::array<long, kTechniqueCount> uses_{};
};

}  // namespace sumgrid::engine
