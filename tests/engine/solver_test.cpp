#include <gtest/gtest.h>

#include "engine_test_util.h"
#include "solver.h"

using namespace sumgrid::engine;
using namespace sumgrid::engine::testing;

TEST(Solver, CountsMatchBruteForceOnSmallGrids) {
    const Geometry& g = *geometryFor(4);
    std::vector<int> grid(16, 0);
    std::vector<std::vector<int>> grids;
    allGrids(g, grid, 0, grids);
    ASSERT_EQ(grids.size(), 288u);
    int unique = 0, several = 0;
    for (int seed = 0; seed < 120; ++seed) {
        Generator gen(4, 5000 + seed);
        const auto solution = gen.randomSolution();
        Killer k;
        if (seed % 3 == 0) {
            k = gen.generate(1, 2000).killer;  // unique by construction
        } else {
            int tries = 0;
            while (!gen.growCages(solution, profileFor(1 + seed % 4, 4), k)) ASSERT_LT(++tries, 100);
        }
        const int expected = bruteForceCount(k, grids);
        ASSERT_GE(expected, 1);
        for (bool derived : {false, true}) {
            SolverOptions options;
            options.useDerivedGroups = derived;
            Solver solver(k, options);
            EXPECT_EQ(solver.count(1000), expected) << "seed " << seed << " derived " << derived;
            EXPECT_EQ(solver.count(2), std::min(expected, 2));
        }
        (expected == 1 ? unique : several)++;
    }
    // The layouts must exercise both outcomes for the comparison to mean anything.
    EXPECT_GT(unique, 5);
    EXPECT_GT(several, 5);
}

TEST(Solver, FindsTheUniqueSolutionOfGeneratedPuzzles) {
    for (int side : {6, 9}) {
        for (int level = 1; level <= 4; ++level) {
            Generator gen(side, 77 + level);
            const Generated p = gen.generate(level, 2000);
            ASSERT_GT(p.attempts, 0) << side << " " << level;
            Solver solver(p.killer);
            EXPECT_EQ(solver.count(2), 1);
            ASSERT_EQ(solver.solutions().size(), 1u);
            EXPECT_EQ(solver.solutions()[0], p.solution);
            // Without the rule-of-45 groups the search is longer but must agree.
            SolverOptions bare;
            bare.useDerivedGroups = false;
            Solver plain(p.killer, bare);
            EXPECT_EQ(plain.count(2), 1);
            EXPECT_EQ(plain.solutions()[0], p.solution);
        }
    }
}

TEST(Solver, ReportsNoSolutionAndManySolutions) {
    // Rows as cages: any valid grid fits, so the count stops at the limit,
    // and two different solutions come back.
    std::vector<int> rows(81);
    for (int c = 0; c < 81; ++c) rows[c] = c / 9;
    Killer k{9, rows, std::vector<int>(9, 45)};
    Solver many(k);
    EXPECT_EQ(many.count(2), 2);
    ASSERT_EQ(many.solutions().size(), 2u);
    EXPECT_NE(many.solutions()[0], many.solutions()[1]);
    EXPECT_EQ(many.count(7), 7);

    // 4x4: row 1 split into two pairs both summing to 3 asks for 1 and 2 twice.
    const std::vector<int> cageOf = {0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 4, 4, 5, 5};
    Killer none{4, cageOf, {3, 3, 7, 7, 10, 10}};
    ASSERT_TRUE(checkKiller(none).empty());
    EXPECT_EQ(Solver(none).count(2), 0);
    EXPECT_EQ(countSolutions(none, 2), 0);

    // Malformed clues are refused, not searched.
    Killer broken{9, std::vector<int>(81, 0), {45}};
    Solver refused(broken);
    EXPECT_FALSE(refused.valid());
    EXPECT_EQ(refused.count(2), 0);
}
