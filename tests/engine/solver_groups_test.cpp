#include <set>
#include "book.h"
#include "engine_test_util.h"
#include "groups.h"
#include "solver.h"

using namespace sumgrid::engine;
using namespace sumgrid::engine::testing;

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

// The rule of 45 on two bundled books: every derived group adds up to its sum
// in the solution, its cells differ where it says they must, and it is no cage
// nor another group. Made in stages, single units first, in the storage of
// other groups, the list is the one a single call makes, in the same order.
TEST(DerivedGroups, HoldInTheSolutionAndComeOutTheSameInStages) {
    std::vector<SumGroup> spare;
    for (const char* name : {"LEVEL-4", "12x12-LEVELS-2-5"}) {
        std::vector<std::uint8_t> bytes;
        std::string error;
        ASSERT_TRUE(readFileBytes(std::string(SUMGRID_SOURCE_DIR) + "/puzzles/" + name + ".wobe", bytes, error));
        for (const Record& r : readBook(bytes).records) {
            const Killer k = killerOf(r);
            const Geometry& g = *geometryFor(k.side);
            std::set<std::vector<int>> seen;
            for (const SumGroup& cage : cageGroups(g, k)) seen.insert(cage.cells);
            const std::vector<SumGroup> all = derivedGroups(g, k, 6, 4);
            for (const SumGroup& s : all) {
                int sum = 0;
                for (std::size_t i = 0; i < s.cells.size(); ++i) {
                    sum += r.solution[s.cells[i]];
                    for (std::size_t j = 0; j < i; ++j)
                        EXPECT_TRUE(!(s.distinct || (s.conflicts[i] >> j & 1u)) ||
                                    r.solution[s.cells[i]] != r.solution[s.cells[j]])
                            << name;
                }
                EXPECT_EQ(sum, s.sum) << name;
                EXPECT_TRUE(seen.insert(s.cells).second) << name;
            }
            std::vector<SumGroup> staged;
            appendDerivedGroups(g, k, 6, 4, 1, 1, staged, &spare);
            appendDerivedGroups(g, k, 6, 4, 2, kMaxSide, staged, &spare);
            ASSERT_EQ(staged.size(), all.size()) << name;
            for (std::size_t i = 0; i < all.size(); ++i)
                EXPECT_TRUE(staged[i].cells == all[i].cells && staged[i].sum == all[i].sum &&
                            staged[i].kind == all[i].kind && staged[i].distinct == all[i].distinct &&
                            staged[i].conflicts == all[i].conflicts)
                    << name << " group " << i;
            for (SumGroup& s : staged) spare.push_back(std::move(s));
        }
    }
}
