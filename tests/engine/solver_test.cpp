#include "engine_test_util.h"
#include "generator.h"
#include "solver.h"

using namespace sumgrid::engine;
using namespace sumgrid::engine::testing;

// small-killers.txt gives each 4x4 killer's number of solutions, counted by
// trying every grid; the solver must agree with and without the rule of 45.
TEST(Solver, CountsAsManySolutionsAsTryingEveryGrid) {
    std::istringstream in(dataFile("small-killers.txt"));
    int cases = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        const int expected = std::stoi(line.substr(line.rfind(' ')));
        const Killer k = puzzleOf(line.substr(0, line.rfind(' '))).killer;
        for (bool derived : {false, true}) {
            SolverOptions options;
            options.useDerivedGroups = derived;
            Solver solver(k, options);
            EXPECT_EQ(solver.count(1000), expected) << line << (derived ? " with" : " without") << " the rule of 45";
            EXPECT_EQ(solver.count(2), std::min(expected, 2)) << line;
            EXPECT_EQ(solver.solutions().size(), static_cast<std::size_t>(std::min(expected, 2)));
        }
        ++cases;
    }
    EXPECT_EQ(cases, 40);
}

TEST(Solver, FindsTheOneSolutionOfGeneratedPuzzles) {
    for (int side : {6, 9}) {
        const Generated p = Generator(side, 77 + side).generate(3, 2000);
        ASSERT_GT(p.attempts, 0) << side;
        Solver solver(p.killer);
        EXPECT_EQ(solver.count(2), 1);
        EXPECT_EQ(solver.solutions(), std::vector<std::vector<int>>{p.solution});
    }
    std::vector<int> rows(81);  // whole rows as cages: any grid fits
    for (int c = 0; c < 81; ++c) rows[c] = c / 9;
    Solver many(Killer{9, rows, std::vector<int>(9, 45)});
    EXPECT_EQ(many.count(7), 7);
    ASSERT_EQ(many.solutions().size(), 2u);
    EXPECT_NE(many.solutions()[0], many.solutions()[1]);
    Solver refused(Killer{9, std::vector<int>(81, 0), {45}});
    EXPECT_FALSE(refused.valid());
    EXPECT_EQ(refused.count(2), 0);
}
