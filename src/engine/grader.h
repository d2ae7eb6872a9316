// Grades a killer puzzle by solving it the way a person does: it applies named
// techniques, always the easiest one that still makes progress, and rates the
// puzzle by the hardest technique the solve needed.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "killer.h"

namespace sumgrid::engine {

enum class Technique : int {
    // LEVEL-1
    NakedSingle,
    HiddenSingle,
    CageCombination,
    // LEVEL-2
    InniesOutiesOneUnit,
    Intersection,
    // LEVEL-3
    InniesOutiesTwoUnits,
    NakedPair,
    HiddenPair,
    // LEVEL-4
    InniesOutiesWide,
    CageSplitting,
    NakedTriple,
    HiddenTriple,
    XWing,
    Swordfish,
    NakedQuad,
    HiddenQuad,
};
constexpr int kTechniqueCount = static_cast<int>(Technique::HiddenQuad) + 1;
constexpr int kLevels = 4;

const char* techniqueName(Technique t);
int techniqueLevel(Technique t);  // 1..kLevels

struct Grade {
    int level = 0;        // 1..4; 0 when the techniques cannot finish the puzzle
    bool solved = false;  // every cell found
    bool contradiction = false;  // the clues admit no solution
    std::array<int, kTechniqueCount> uses{};  // sweeps of each technique that made progress
    std::vector<int> grid;  // digits found, 0 where the techniques stopped
};

// Grades a killer that passes checkKiller. maxLevel stops the solve as soon as
// only techniques above that level could go on (the grade is then unsolved);
// generators use it to give up early on a puzzle that is too hard.
Grade grade(const Killer& killer, int maxLevel = kLevels);

class Human;

// A solve that can go on after the clues are tightened. Generators use it to
// split cages where the solve got stuck without starting again: every
// deduction made under the old clues stays true under clues that allow only
// some of the old solutions. The grade of such a solve is an upper estimate;
// grade() on the final clues gives the true one.
class Grader {
public:
    explicit Grader(const Killer& killer);
    ~Grader();
    Grader(const Grader&) = delete;
    Grader& operator=(const Grader&) = delete;

    // New clues whose solutions are among the old clues' solutions.
    void refine(const Killer& killer);
    // Goes on with the solve; the level and counts cover the whole solve.
    Grade run(int maxLevel = kLevels);

private:
    std::unique_ptr<Human> human_;
};

}  // namespace sumgrid::engine
