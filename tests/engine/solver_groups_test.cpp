#include "engine_test_util.h"
#include "groups.h"
#include "solver.h"

using namespace sumgrid::engine;
using namespace sumgrid::engine::testing;

TEST(Geometry, BoxShapesAndCrossings) {
    for (auto [side, rows, cols] : std::vector<std::tuple<int, int, int>>{{4, 2, 2}, {6, 2, 3}, {8, 2, 4}, {9, 3, 3}, {12, 3, 4}, {15, 3, 5}}) {
        const auto& box = geometryFor(side)->crossings[2 * side];  // box 1 meets rows 1.. and columns 1..
        ASSERT_EQ(static_cast<int>(box.size()), rows + cols) << side;
        EXPECT_EQ(std::make_tuple(box[0].unit, box[0].cells.size(), box[rows].unit, box[rows].cells.size()),
                  std::make_tuple(0, std::size_t(cols), side, std::size_t(rows))) << side;
    }
    EXPECT_EQ(geometryFor(9)->peers[40].size(), 20u);
    EXPECT_EQ(geometryFor(9)->neighbours(0), (std::vector<int>{1, 9}));
    EXPECT_EQ(geometryFor(9)->crossings[4][1].cells, (std::vector<int>{39, 40, 41}));  // row 5 in box 5
    for (int side : {0, 1, 2, 3, 5, 7, 11, 13, 16, 25}) EXPECT_EQ(geometryFor(side), nullptr) << side;
}

// The cases of filter-groups.txt: candidates before, after and the outcome.
TEST(FilterGroup, KeepsTheDigitsOfFittingFillings) {
    std::vector<int> alone(81);  // every cell a cage of its own
    for (int c = 0; c < 81; ++c) alone[c] = c;
    for (const std::string& line : dataLines("filter-groups.txt")) {
        std::istringstream in(line), list(line.substr(0, line.find(' ')));
        std::vector<int> cells;
        for (std::string n; std::getline(list, n, ',');) cells.push_back(std::stoi(n));
        std::string token;
        int sum = 0;
        in >> token >> sum;
        std::vector<Mask> cand(81, 0x1FF);
        for (int c : cells) in >> token, cand[c] = maskOf(token);
        const SumGroup s = makeGroup(*geometryFor(9), Killer{9, alone, std::vector<int>(81, 5)}, cells, sum, GroupKind::UnitInOut);
        const Filter f = filterGroup(cand.data(), s, comboTableFor(9));
        std::string after;
        for (int c : cells) {
            after += f == Filter::Broken ? "-" : "";
            for (int d = 1; d <= 9 && f != Filter::Broken; ++d) after += std::string(cand[c] & digitBit(d) ? 1 : 0, '0' + d);
            after += " ";
        }
        after += f == Filter::Same ? "| same" : f == Filter::Changed ? "| changed" : "| broken";
        EXPECT_EQ(after, line.substr(line.find(" | ") + 3)) << line;
    }
}

// small-killers.txt: 4x4 killers with their number of solutions, counted by
// trying every grid. The solver agrees, with and without the rule of 45.
TEST(Solver, CountsAsManySolutionsAsTryingEveryGrid) {
    const std::vector<std::string> lines = dataLines("small-killers.txt");
    ASSERT_EQ(lines.size(), 40u);
    for (const std::string& line : lines) {
        const int expected = std::stoi(line.substr(line.rfind(' ')));
        for (bool derived : {false, true}) {
            SolverOptions options;
            options.useDerivedGroups = derived;
            Solver solver(puzzleOf(line.substr(0, line.rfind(' '))).killer, options);
            EXPECT_EQ(solver.count(1000), expected) << line << (derived ? " with" : " without") << " the rule of 45";
            EXPECT_EQ(solver.count(2), std::min(expected, 2)) << line;
            EXPECT_EQ(solver.solutions().size(), static_cast<std::size_t>(std::min(expected, 2)));
        }
    }
    std::vector<int> rows(81);  // whole rows as cages: any grid fits, two are kept
    for (int c = 0; c < 81; ++c) rows[c] = c / 9;
    Solver many(Killer{9, rows, std::vector<int>(9, 45)});
    EXPECT_EQ(many.count(7), 7);
    EXPECT_TRUE(many.solutions().size() == 2u && many.solutions()[0] != many.solutions()[1]);
    Solver refused(Killer{9, std::vector<int>(81, 0), {45}});
    EXPECT_TRUE(!refused.valid() && refused.count(2) == 0);
}
