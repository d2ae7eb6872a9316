#include <gtest/gtest.h>

#include <set>
#include <string>

#include "engine_test_util.h"
#include "grader.h"
#include "solver.h"

using namespace sumgrid::engine;
using namespace sumgrid::engine::testing;

TEST(Grader, TechniquesAreNamedAndOrderedByLevel) {
    std::set<std::string> names;
    int last = 1;
    for (int t = 0; t < kTechniqueCount; ++t) {
        const auto tech = static_cast<Technique>(t);
        const int level = techniqueLevel(tech);
        EXPECT_GE(level, last);
        EXPECT_LE(level, kLevels);
        last = level;
        EXPECT_TRUE(names.insert(techniqueName(tech)).second);
    }
    EXPECT_EQ(last, kLevels);
    EXPECT_EQ(techniqueLevel(Technique::NakedSingle), 1);
}

TEST(Grader, SolvesSoundlyAndRatesByTheHardestTechnique) {
    for (int level = 1; level <= kLevels; ++level) {
        for (int i = 0; i < 4; ++i) {
            Generator gen(9, 900 + 10 * level + i);
            const Generated p = gen.generate(level, 2000);
            ASSERT_GT(p.attempts, 0);
            const Grade g = grade(p.killer);
            ASSERT_TRUE(g.solved);
            EXPECT_FALSE(g.contradiction);
            EXPECT_EQ(g.grid, p.solution);
            EXPECT_EQ(g.level, level);
            // The hardest technique used sets the level.
            int hardest = 0;
            for (int t = 0; t < kTechniqueCount; ++t)
                if (g.uses[t]) hardest = std::max(hardest, techniqueLevel(static_cast<Technique>(t)));
            EXPECT_EQ(hardest, level);
            // Held below its level, the grader stops short, with only right digits.
            if (level > 1) {
                const Grade capped = grade(p.killer, level - 1);
                EXPECT_FALSE(capped.solved);
                EXPECT_EQ(capped.level, 0);
                for (int c = 0; c < 81; ++c)
                    if (capped.grid[c]) {
                        EXPECT_EQ(capped.grid[c], p.solution[c]);
                    }
            }
        }
    }
}

TEST(Grader, StopsWithoutGuessingWhenCluesAreTooWeak) {
    std::vector<int> rows(81);
    for (int c = 0; c < 81; ++c) rows[c] = c / 9;
    const Grade g = grade(Killer{9, rows, std::vector<int>(9, 45)});
    EXPECT_FALSE(g.solved);
    EXPECT_EQ(g.level, 0);
    EXPECT_EQ(std::count(g.grid.begin(), g.grid.end(), 0), 81);
    // Clues that contradict themselves are reported as such.
    const std::vector<int> cageOf = {0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 4, 4, 5, 5};
    EXPECT_TRUE(grade(Killer{4, cageOf, {3, 3, 7, 7, 10, 10}}).contradiction);
}

TEST(Grader, RefinedCluesContinueTheSolve) {
    Generator gen(9, 4242);
    const Generated p = gen.generate(3, 2000);
    ASSERT_GT(p.attempts, 0);
    // Rows as cages say nothing; going on with the real clues must finish.
    std::vector<int> rows(81);
    for (int c = 0; c < 81; ++c) rows[c] = c / 9;
    Grader grader(Killer{9, rows, std::vector<int>(9, 45)});
    EXPECT_FALSE(grader.run().solved);
    grader.refine(p.killer);
    const Grade g = grader.run();
    EXPECT_TRUE(g.solved);
    EXPECT_EQ(g.grid, p.solution);
}

static void expectWellFormed(const Generated& p, int side, int level) {
    const Geometry& g = *geometryFor(side);
    ASSERT_TRUE(checkKiller(p.killer).empty());
    const Record r = recordOf(p.killer, p.solution);
    EXPECT_TRUE(checkRecord(r).empty());
    // Canonical numbering: cage numbers appear in order of first cell.
    int next = 0;
    for (auto c : r.cageOf) {
        EXPECT_LE(c, next);
        if (c == next) ++next;
    }
    std::vector<int> size(p.killer.cageCount(), 0);
    for (int c : p.killer.cageOf) ++size[c];
    const CageProfile profile = profileFor(level, side);
    for (int s : size) {
        EXPECT_GE(s, level == 1 ? 1 : 2) << "no one-cell cages above LEVEL-1";
        EXPECT_LE(s, std::min<int>(side, static_cast<int>(profile.weight.size()) - 1));
    }
    EXPECT_LE(std::count(size.begin(), size.end(), 2) * 2, static_cast<long>(size.size()))
        << "mostly dominoes";
    EXPECT_EQ(Solver(p.killer).count(2), 1);
    EXPECT_EQ(grade(p.killer).level, level);
    (void)g;
}

TEST(Generator, MakesUniquePuzzlesAtTheAskedLevel) {
    for (int level = 1; level <= kLevels; ++level)
        for (int i = 0; i < 3; ++i) {
            Generator gen(9, 31 * level + i);
            const Generated p = gen.generate(level, 2000);
            ASSERT_GT(p.attempts, 0);
            expectWellFormed(p, 9, level);
        }
    for (int side : {4, 6}) {
        Generator gen(side, 8);
        const Generated p = gen.generate(1, 2000);
        ASSERT_GT(p.attempts, 0);
        expectWellFormed(p, side, 1);
    }
}

TEST(Generator, IsDeterministicForASeed) {
    const auto make = [](std::uint64_t seed) {
        Generator gen(9, seed);
        return gen.generate(2, 2000);
    };
    const Generated a = make(12345), b = make(12345), c = make(12346);
    EXPECT_EQ(a.killer.cageOf, b.killer.cageOf);
    EXPECT_EQ(a.killer.sums, b.killer.sums);
    EXPECT_EQ(a.solution, b.solution);
    EXPECT_NE(a.solution, c.solution);
    EXPECT_NE(puzzleSeed(1, 0), puzzleSeed(1, 1));
    EXPECT_NE(puzzleSeed(1, 0), puzzleSeed(2, 0));
    // The generator's random numbers are fixed by its own algorithm.
    Rng rng(42);
    const std::uint64_t first = rng.next();
    Rng again(42);
    EXPECT_EQ(again.next(), first);
    for (int i = 0; i < 1000; ++i) {
        const int v = rng.below(7);
        EXPECT_GE(v, 0);
        EXPECT_LT(v, 7);
    }
}

TEST(Generator, RandomSolutionsAreValidGrids) {
    for (int side : {4, 6, 8, 9, 12}) {
        Generator gen(side, side);
        const auto grid = gen.randomSolution();
        const Geometry& g = *geometryFor(side);
        for (const auto& unit : g.units) {
            Mask seen = 0;
            for (int c : unit) seen |= digitBit(grid[c]);
            EXPECT_EQ(seen, g.all) << side;
        }
    }
}
