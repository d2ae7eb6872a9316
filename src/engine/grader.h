// Grades a killer puzzle by solving it the way a person does: it applies named
// techniques, always the easiest one that still makes progress, and counts
// how often each was needed. The puzzle's level is that of the hardest
// technique the solve needed; from LEVEL-3 up a puzzle earns its level only
// when it needs that level's techniques at least kMinSteps times.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "geometry.h"
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
    // LEVEL-5
    CombinationsAcrossUnits,
    OverlappingCages,
    ForcingChain,
};
constexpr int kTechniqueCount = static_cast<int>(Technique::ForcingChain) + 1;
constexpr int kLevels = 5;
constexpr int kMinSteps = 3;  // steps of its level's techniques a LEVEL-3+ puzzle needs

const char* techniqueName(Technique t);
int techniqueLevel(Technique t);  // 1..kLevels

struct Grade {
    int level = 0;        // 1..kLevels; 0 when the techniques cannot finish the puzzle
    bool solved = false;  // every cell found
    bool contradiction = false;  // the clues admit no solution
    std::array<int, kTechniqueCount> uses{};  // steps of each technique that made progress
    std::vector<int> grid;  // digits found, 0 where the techniques stopped

    // Steps that used a technique of the puzzle's level.
    int steps() const;
    // Solved, and from LEVEL-3 up with at least kMinSteps steps of its level.
    bool earned() const { return solved && (level < 3 || steps() >= kMinSteps); }
};

// Grades a killer that passes checkKiller. maxLevel stops the solve as soon as
// only techniques above that level could go on (the grade is then unsolved);
// generators use it to give up early on a puzzle that is too hard.
Grade grade(const Killer& killer, int maxLevel = kLevels);

// Where a step of a solve worked, and what it changed there.
struct Place {
    enum class Kind : std::uint8_t {
        Cell,   // index: the cell (written in by a naked single, or a forcing chain's start)
        Unit,   // index: the unit (rows, then columns, then boxes)
        Cage,   // index: the cage
        Group,  // members: cells of known sum; index: a cage it is filled with, or -1
        Fish,   // index: the digit; members: the base rows or columns (units)
    };
    struct Change {
        int cell;
        Mask before, after;
    };
    Kind kind = Kind::Cell;
    int index = 0;
    std::vector<int> members;
    int value = 0;  // Group: the sum of its cells; Cell of a naked single: its digit
    std::vector<Change> changes;  // cells whose candidates changed, ascending
};

// One step of a solve: its technique and the places it worked at (several
// for a LEVEL-1 sweep). A naked single's places are the cells it writes in.
struct Step {
    Technique technique = Technique::NakedSingle;
    std::vector<Place> places;
};

// grade(), recording every step it takes.
Grade gradeSteps(const Killer& killer, std::vector<Step>& steps, int maxLevel = kLevels);

// One step from a given state: the easiest technique up to maxLevel that makes
// progress from the candidates (one mask per cell; a cell with one candidate
// that no cell it must differ from still holds counts as placed) is applied
// once, and the candidates receive the result. Returns the technique, or -1
// when none makes progress. The killer must pass checkKiller. With step, the
// step taken is recorded there (see gradeSteps).
int applyEasiest(const Killer& killer, std::vector<Mask>& candidates, int maxLevel = kLevels, Step* step = nullptr);


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

    // New clues whose solutions are among the old clues' solutions; they
    // must pass checkKiller.
    void refine(const Killer& killer);
    // A fresh solve of any other clues, as a new Grader of them would make,
    // reusing this one's storage.
    void restart(const Killer& killer);
    // Goes on with the solve; the level and counts cover the whole solve.
    Grade run(int maxLevel = kLevels);

private:
    // For the generator alone, which vouches for its own clues: it builds
    // only connected cages of distinct solution digits, which always pass
    // checkKiller. It makes its graders empty and starts each through
    // restartTrusted, a restart() without the check.
    friend class Generator;
    Grader();
    void restartTrusted(const Killer& killer);

    std::unique_ptr<Human> human_;
};

}  // namespace sumgrid::engine
