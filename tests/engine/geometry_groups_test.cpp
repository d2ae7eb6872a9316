#include <set>

#include "engine_test_util.h"
#include "generator.h"
#include "groups.h"

using namespace sumgrid::engine;
using namespace sumgrid::engine::testing;

TEST(Geometry, BoxShapesUnitsAndCrossings) {
    const std::vector<std::pair<int, std::pair<int, int>>> shapes = {
        {4, {2, 2}}, {6, {2, 3}}, {8, {2, 4}}, {9, {3, 3}}, {12, {3, 4}}, {15, {3, 5}}};
    for (const auto& [side, shape] : shapes) {
        const Geometry* g = geometryFor(side);
        ASSERT_NE(g, nullptr) << side;
        EXPECT_EQ(std::make_pair(g->boxRows, g->boxCols), shape);
        for (int b = 2 * side; b < 3 * side; ++b) {  // a box meets boxRows rows and boxCols columns
            std::set<int> rows, cols;
            for (const auto& x : g->crossings[b]) (x.unit < side ? rows : cols).insert(x.unit);
            EXPECT_EQ(std::make_pair(static_cast<int>(rows.size()), static_cast<int>(cols.size())), shape);
        }
    }
    const Geometry& g9 = *geometryFor(9);
    EXPECT_EQ(g9.peers[40].size(), 20u);
    EXPECT_EQ(g9.neighbours(0), (std::vector<int>{1, 9}));
    ASSERT_EQ(g9.crossings[4].size(), 3u);  // row 5 meets boxes 4, 5 and 6
    EXPECT_EQ(g9.crossings[4][1].unit, 22);
    EXPECT_EQ(g9.crossings[4][1].cells, (std::vector<int>{39, 40, 41}));
    for (int side : {0, 1, 2, 3, 5, 7, 11, 13, 16, 25}) EXPECT_EQ(geometryFor(side), nullptr) << side;
}

TEST(ComboTable, ListsExactlyTheDigitSetsOfEachSizeAndSum) {
    const ComboTable& t = comboTableFor(9);
    int total = 0;
    for (int n = 0; n <= 9; ++n)
        for (int s = 0; s <= 45; ++s)
            for (Mask m : t.combos(n, s)) {
                int sum = 0;
                for (int d = 1; d <= 9; ++d) sum += m & digitBit(d) ? d : 0;
                EXPECT_TRUE(popcount(m) == n && sum == s) << m;
                ++total;
            }
    EXPECT_EQ(total, 511);  // every non-empty set of 1..9 once
    EXPECT_EQ(t.combos(4, 20).size(), 12u);
    EXPECT_EQ(std::make_pair(t.digits(2, 17), t.digits(3, 7)), std::make_pair(maskOf("89"), maskOf("124")));
    EXPECT_TRUE(t.combos(2, 2).empty() && t.combos(3, 99).empty() && t.combos(-1, 3).empty());
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

// Innies and outies hold their sums in the solution, are never cages and never twice.
TEST(DerivedGroups, HoldTheirSumsInTheSolution) {
    for (int side : {4, 6, 9})
        for (int seed = 1; seed <= 6; ++seed) {
            Generator gen(side, 100 + seed);
            const auto solution = gen.randomSolution();
            Killer k;
            for (int tries = 0; !gen.growCages(solution, profileFor(1 + seed % 4, side), k); ++tries) ASSERT_LT(tries, 100);
            std::set<std::vector<int>> seen;
            for (const SumGroup& cage : cageGroups(*geometryFor(side), k)) seen.insert(cage.cells);
            const auto groups = derivedGroups(*geometryFor(side), k, 8, 8);
            EXPECT_FALSE(groups.empty());
            for (const SumGroup& s : groups) {
                int sum = 0;
                Mask digits = 0;
                for (int c : s.cells) sum += solution[c], digits |= digitBit(solution[c]);
                EXPECT_EQ(sum, s.sum) << "side " << side << " seed " << seed;
                EXPECT_TRUE(!s.distinct || popcount(digits) == static_cast<int>(s.cells.size()));
                EXPECT_TRUE(std::is_sorted(s.cells.begin(), s.cells.end()) && s.cells.size() <= 8u);
                EXPECT_TRUE(seen.insert(s.cells).second) << "a cage or a group twice";
            }
        }
}
