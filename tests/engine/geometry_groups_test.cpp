#include <gtest/gtest.h>

#include <set>

#include "engine_test_util.h"
#include "groups.h"

using namespace sumgrid::engine;
using namespace sumgrid::engine::testing;

TEST(Geometry, BoxShapesAndUnits) {
    const std::vector<std::pair<int, std::pair<int, int>>> shapes = {
        {4, {2, 2}}, {6, {2, 3}}, {8, {2, 4}}, {9, {3, 3}}, {12, {3, 4}}, {15, {3, 5}}};
    for (const auto& [side, shape] : shapes) {
        const Geometry* g = geometryFor(side);
        ASSERT_NE(g, nullptr) << side;
        EXPECT_EQ(g->boxRows, shape.first);
        EXPECT_EQ(g->boxCols, shape.second);
        // Every unit holds side distinct cells and every cell lies in one row, one column, one box.
        std::vector<int> hits(g->cells, 0);
        for (const auto& unit : g->units) {
            EXPECT_EQ(static_cast<int>(unit.size()), side);
            EXPECT_EQ(std::set<int>(unit.begin(), unit.end()).size(), unit.size());
            for (int c : unit) ++hits[c];
        }
        for (int h : hits) EXPECT_EQ(h, 3);
        // A box is a boxRows x boxCols rectangle.
        for (int b = 0; b < side; ++b) {
            std::set<int> rows, cols;
            for (int c : g->units[2 * side + b]) {
                rows.insert(g->row(c));
                cols.insert(g->col(c));
            }
            EXPECT_EQ(static_cast<int>(rows.size()), g->boxRows);
            EXPECT_EQ(static_cast<int>(cols.size()), g->boxCols);
        }
    }
    EXPECT_EQ(geometryFor(9)->peers[40].size(), 20u);
    EXPECT_EQ(geometryFor(9)->neighbours(0), (std::vector<int>{1, 9}));
    for (int side : {0, 1, 2, 3, 5, 7, 11, 13, 16, 25}) EXPECT_EQ(geometryFor(side), nullptr) << side;
}

TEST(ComboTable, ListsExactlyTheDigitSetsOfEachSizeAndSum) {
    const ComboTable& t = comboTableFor(9);
    int total = 0;
    for (int n = 0; n <= 9; ++n)
        for (int s = 0; s <= 45; ++s)
            for (Mask m : t.combos(n, s)) {
                ++total;
                EXPECT_EQ(popcount(m), n);
                int sum = 0;
                for (int d = 1; d <= 9; ++d)
                    if (m & digitBit(d)) sum += d;
                EXPECT_EQ(sum, s);
            }
    EXPECT_EQ(total, 511);  // every non-empty set of 1..9 exactly once
    EXPECT_EQ(t.combos(2, 3), (std::vector<Mask>{0b11}));
    EXPECT_EQ(t.combos(2, 17), (std::vector<Mask>{0b110000000}));
    EXPECT_EQ(t.combos(4, 20).size(), 12u);
    EXPECT_TRUE(t.combos(2, 2).empty());
    EXPECT_TRUE(t.combos(3, 99).empty());
    EXPECT_TRUE(t.combos(-1, 3).empty());
}

static Mask maskOf(std::initializer_list<int> digits) {
    Mask m = 0;
    for (int d : digits) m |= digitBit(d);
    return m;
}

TEST(FilterGroup, DistinctGroupsKeepOnlyDigitsOfFittingCombinations) {
    const ComboTable& t = comboTableFor(9);
    std::vector<Mask> cand(81, 0x1FF);
    SumGroup cage{{0, 1}, 3, true, GroupKind::Cage, {}};
    EXPECT_EQ(filterGroup(cand.data(), cage, t), Filter::Changed);
    EXPECT_EQ(cand[0], maskOf({1, 2}));
    EXPECT_EQ(cand[1], maskOf({1, 2}));
    EXPECT_EQ(filterGroup(cand.data(), cage, t), Filter::Same);

    // A fixed digit leaves the other cells; the remaining digit is forced.
    cand[0] = maskOf({2});
    EXPECT_EQ(filterGroup(cand.data(), cage, t), Filter::Changed);
    EXPECT_EQ(cand[1], maskOf({1}));

    // 3 cells summing to 7 must be {1,2,4}; 4 can only go in cell 2 here.
    std::fill(cand.begin(), cand.end(), 0x1FF);
    cand[0] = maskOf({1, 2});
    cand[1] = maskOf({1, 2, 3});
    SumGroup three{{0, 1, 2}, 7, true, GroupKind::Cage, {}};
    Mask required = 0;
    EXPECT_EQ(filterGroup(cand.data(), three, t, &required), Filter::Changed);
    EXPECT_EQ(required, maskOf({1, 2, 4}));
    EXPECT_EQ(cand[1], maskOf({1, 2}));
    EXPECT_EQ(cand[2], maskOf({4}));

    // No combination fits: 17 in two cells needs 8 and 9.
    std::fill(cand.begin(), cand.end(), 0x1FF);
    cand[0] = maskOf({1, 2, 3, 4, 5, 6, 7});
    SumGroup big{{0, 1}, 17, true, GroupKind::Cage, {}};
    EXPECT_EQ(filterGroup(cand.data(), big, t), Filter::Broken);
    // Two fixed equal digits in a distinct group.
    cand[0] = cand[1] = maskOf({5});
    SumGroup ten{{0, 1}, 10, true, GroupKind::Cage, {}};
    EXPECT_EQ(filterGroup(cand.data(), ten, t), Filter::Broken);
}

TEST(FilterGroup, LooseGroupsUseSearchOrBounds) {
    const ComboTable& t = comboTableFor(9);
    std::vector<Mask> cand(81, 0x1FF);
    // Two cells that need not differ (r1c1 and r2c4) summing to 18: both 9.
    SumGroup two{{0, 12}, 18, false, GroupKind::UnitInOut, {0, 0}};
    EXPECT_EQ(filterGroup(cand.data(), two, t), Filter::Changed);
    EXPECT_EQ(cand[0], maskOf({9}));
    EXPECT_EQ(cand[12], maskOf({9}));
    // If they had to differ, 18 would be impossible.
    std::fill(cand.begin(), cand.end(), 0x1FF);
    SumGroup differ{{0, 12}, 18, false, GroupKind::UnitInOut, {0b10, 0b01}};
    EXPECT_EQ(filterGroup(cand.data(), differ, t), Filter::Broken);
    // Large candidate spaces fall back to bounds: 7 cells summing to 62 need
    // at least 8 in every cell.
    std::fill(cand.begin(), cand.end(), 0x1FF);
    SumGroup wide{{0, 12, 24, 28, 41, 53, 66}, 62, false, GroupKind::WideInOut, std::vector<std::uint32_t>(7, 0)};
    EXPECT_EQ(filterGroup(cand.data(), wide, t), Filter::Changed);
    for (int c : wide.cells) EXPECT_EQ(cand[c], maskOf({8, 9})) << c;
}

TEST(DerivedGroups, SumsAndDistinctnessHoldForTheSolution) {
    for (int side : {4, 6, 9}) {
        for (int seed = 1; seed <= 6; ++seed) {
            Generator gen(side, 100 + seed);
            const auto solution = gen.randomSolution();
            Killer k;
            int tries = 0;
            while (!gen.growCages(solution, profileFor(1 + seed % 4, side), k)) ASSERT_LT(++tries, 100);
            const Geometry& g = *geometryFor(side);
            const auto groups = derivedGroups(g, k, 8, 8);
            EXPECT_FALSE(groups.empty());
            std::set<std::vector<int>> seen;
            for (const SumGroup& s : groups) {
                int sum = 0;
                Mask digits = 0;
                bool repeats = false;
                for (int c : s.cells) {
                    sum += solution[c];
                    repeats = repeats || (digits & digitBit(solution[c]));
                    digits |= digitBit(solution[c]);
                }
                EXPECT_EQ(sum, s.sum) << "side " << side << " seed " << seed;
                if (s.distinct) {
                    EXPECT_FALSE(repeats);
                }
                EXPECT_TRUE(std::is_sorted(s.cells.begin(), s.cells.end()));
                EXPECT_TRUE(seen.insert(s.cells).second) << "duplicate group";
                EXPECT_LE(s.cells.size(), 8u);
            }
        }
    }
}

TEST(DerivedGroups, OneCellInnieOfARow) {
    // Row 1 holds three whole cages and one cell of a cage that goes down:
    // that cell is 45 minus the three sums.
    std::vector<int> cageOf(81);
    for (int c = 0; c < 81; ++c) cageOf[c] = 10 + c;  // one-cell cages elsewhere
    for (int c = 0; c < 3; ++c) cageOf[c] = 0;
    for (int c = 3; c < 6; ++c) cageOf[c] = 1;
    for (int c = 6; c < 8; ++c) cageOf[c] = 2;
    cageOf[8] = cageOf[17] = 3;
    std::vector<int> solution(81);
    for (int c = 0; c < 81; ++c) solution[c] = (c % 9 + 3 * (c / 9) + c / 27) % 9 + 1;
    const Killer k = killerFrom(9, cageOf, solution);
    const auto groups = derivedGroups(*geometryFor(9), k, 1, 1, 1, 1);
    bool found = false;
    for (const SumGroup& s : groups)
        if (s.cells == std::vector<int>{8}) {
            found = true;
            EXPECT_EQ(s.sum, solution[8]);
            EXPECT_EQ(s.kind, GroupKind::UnitInOut);
        }
    EXPECT_TRUE(found);
}
