#include <numeric>
#include <set>
#include "engine_test_util.h"
#include "explain.h"
#include "generator.h"
#include "grader_state.h"
#include "solver.h"

using namespace sumgrid::engine;
using namespace sumgrid::engine::testing;

// Each position of techniques.txt: the grader's easiest step there is its
// technique, at its level, with exactly its effect, which explain writes as given.
TEST(Grader, EachTechniqueTakesItsOwnStepInItsPosition) {
    std::istringstream in(dataFile("techniques.txt"));
    std::map<std::string, std::string> field;
    std::vector<Mask> before;
    std::set<std::string> seen;
    for (std::string line; std::getline(in, line);) {
        if (line == "candidates:") before.clear();
        for (std::string token; line == "candidates:" && before.size() < 81 && in >> token;) before.push_back(maskOf(token));
        const auto colon = line.find(": ");
        if (line.empty() || line[0] == '#' || colon == std::string::npos) continue;
        field[line.substr(0, colon)] = line.substr(colon + 2);
        if (line.rfind("explain: ", 0) != 0) continue;
        const std::string& name = field["technique"];
        std::vector<Mask> after = before;
        Step step;
        const int t = applyEasiest(puzzleOf(field["puzzle"]).killer, after, kLevels, &step);
        EXPECT_EQ(stepText(puzzleOf(field["puzzle"]).killer, step), field["explain"]);
        ASSERT_GE(t, 0) << name;
        EXPECT_EQ(techniqueName(static_cast<Technique>(t)), name);
        EXPECT_EQ(std::to_string(techniqueLevel(static_cast<Technique>(t))), field["level"]) << name;
        std::string lost;
        for (int c = 0; c < 81; ++c) {
            if (before[c] == after[c]) continue;
            lost += (lost.empty() ? "r" : " r") + std::to_string(c / 9 + 1) + "c" + std::to_string(c % 9 + 1) + "-";
            for (int d = 1; d <= 9; ++d) lost += std::string(before[c] & ~after[c] & digitBit(d) ? 1 : 0, '0' + d);
        }
        EXPECT_EQ(lost, field["effect"]) << name;
        seen.insert(name);
    }
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(kTechniqueCount));
}

// Generated puzzles of every level and of several sides: one solution; graded
// at their level with the right digits and from LEVEL-3 up three steps of it;
// in the level's cage shapes (LEVEL-1 at most two one-cell cages, side - 7 on
// larger grids; above, none and at most 35 % of the cages with two cells);
// fixed by the seed. Held a level lower the grader stops short with only right
// digits; a solve from clues that say nothing goes on under the puzzle's own.
TEST(Generator, MakesUniquePuzzlesGradedAtTheirLevelInItsShapes) {
    const std::pair<int, int> sidesAndLevels[] = {{9, 1}, {9, 2}, {9, 3}, {9, 4}, {9, 5}, {4, 1},
                                                  {6, 3}, {8, 5}, {12, 1}, {14, 4}, {15, 5}};
    for (const auto& [side, level] : sidesAndLevels) {
        SCOPED_TRACE("side " + std::to_string(side) + " LEVEL-" + std::to_string(level));
        const Generated p = Generator(side, 900 + level).generate(level, 3000);
        ASSERT_GT(p.attempts, 0);
        EXPECT_EQ(Generator(side, 900 + level).generate(level, 3000).killer.cageOf, p.killer.cageOf);
        EXPECT_TRUE(checkRecord(recordOf(p.killer, p.solution)).empty() && p.killer.cageOf == canonicalNumbers(p.killer.cageOf));
        std::vector<int> size(p.killer.cageCount(), 0), rows(side * side);
        for (int cage : p.killer.cageOf) ++size[cage];
        EXPECT_LE(std::count(size.begin(), size.end(), 1), level == 1 ? std::max(2, side - 7) : 0);
        EXPECT_LE(100 * std::count(size.begin(), size.end(), 2), (level == 1 ? 100 : 35) * p.killer.cageCount());
        Solver proof(p.killer);
        EXPECT_TRUE(proof.count(2) == 1 && proof.solutions()[0] == p.solution);
        const Grade g = grade(p.killer), capped = grade(p.killer, level - 1);
        EXPECT_TRUE(g.solved && !g.contradiction && g.level == level && g.grid == p.solution);
        int own = 0;
        for (int t = 0; t < kTechniqueCount; ++t) own += techniqueLevel(static_cast<Technique>(t)) == level ? g.uses[t] : 0;
        EXPECT_GE(own, level < 3 ? 1 : 3);
        EXPECT_TRUE(!capped.solved && capped.level == 0);
        for (int c = 0; c < side * side; ++c) EXPECT_TRUE(capped.grid[c] == 0 || capped.grid[c] == p.solution[c]);
        for (int c = 0; c < side * side; ++c) rows[c] = c / side;
        Grader grader(Killer{side, rows, std::vector<int>(side, side * (side + 1) / 2)});
        EXPECT_FALSE(grader.run().solved);
        grader.refine(p.killer);
        EXPECT_EQ(grader.run().grid, p.solution);
    }
    EXPECT_TRUE(grade(Killer{4, {0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 4, 4, 5, 5}, {3, 3, 7, 7, 10, 10}}).contradiction);
    EXPECT_NE(Generator(9, 1).generate(2).solution, Generator(9, 2).generate(2).solution);
    EXPECT_TRUE(puzzleSeed(1, 0) != puzzleSeed(1, 1) && puzzleSeed(1, 0) != puzzleSeed(2, 0));
    for (auto [side, level] : std::vector<std::pair<int, int>>{{4, 2}, {6, 4}, {9, 6}, {9, 0}})  // out of reach
        EXPECT_EQ(Generator(side, 1).generate(level, 2000).attempts, 0) << side << " " << level;
}

// The grader's pending sets across word borders: a big grid has more cages
// and groups than one word holds, and a member too many or too few means a
// technique looks where nothing is, or never looks again where it should.
TEST(Pending, HoldsExactlyItsMembersAcrossWordBorders) {
    auto members = [](const grading::Pending& p) {
        std::vector<int> out;
        p.any([&](int i) { return out.push_back(i), false; });
        return out;
    };
    for (int n : {1, 63, 64, 65, 100, 123, 128, 130}) {
        SCOPED_TRACE(n);
        grading::Pending p;
        p.fill(n);
        std::vector<int> all(n);
        std::iota(all.begin(), all.end(), 0);
        EXPECT_EQ(members(p), all);
        p.drop(n - 1);
        all.pop_back();
        EXPECT_EQ(members(p), all);
        p.clear(n);
        p.add(n - 1);
        p.extend(n, n + 70);
        std::vector<int> grown(71);
        std::iota(grown.begin(), grown.end(), n - 1);
        EXPECT_EQ(members(p), grown);
        EXPECT_TRUE(p.has(n + 69) && (n < 2 || !p.has(n - 2)));
    }
}
