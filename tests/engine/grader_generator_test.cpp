#include <set>

#include "engine_test_util.h"
#include "generator.h"
#include "solver.h"

using namespace sumgrid::engine;
using namespace sumgrid::engine::testing;

// Each position of techniques.txt: the grader's easiest step there is its
// technique, at its level, with exactly its effect.
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
        if (line.rfind("effect: ", 0) != 0) continue;
        const std::string& name = field["technique"];
        std::vector<Mask> after = before;
        const int t = applyEasiest(puzzleOf(field["puzzle"]).killer, after);
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

TEST(Grader, FromLevel3APuzzleEarnsItsLevelWithThreeStepsOfIt) {
    using T = Technique;
    const std::vector<std::tuple<int, std::vector<T>, bool>> cases = {
        {2, {T::Intersection}, true},
        {3, {T::NakedPair, T::HiddenPair, T::XWing}, false},
        {3, {T::NakedPair, T::HiddenPair, T::InniesOutiesTwoUnits}, true},
        {4, {T::XWing, T::HiddenQuad, T::NakedPair}, false},
        {5, {T::ForcingChain, T::ForcingChain, T::OverlappingCages}, true},
    };
    for (const auto& [level, used, earned] : cases) {
        Grade g;
        g.level = level;
        g.solved = true;
        for (T t : used) ++g.uses[static_cast<int>(t)];
        EXPECT_EQ(g.earned(), earned) << level;
        g.solved = false;
        EXPECT_FALSE(g.earned());
    }
}

// Generated puzzles: solved with the right digits, at their level, with at
// least three steps of it from LEVEL-3 up; held a level lower the grader stops
// short with only right digits; a solve from empty clues can be refined.
TEST(Grader, SolvesGeneratedPuzzlesAtTheirLevel) {
    std::vector<int> rows(81);
    for (int c = 0; c < 81; ++c) rows[c] = c / 9;
    for (int level = 1; level <= kLevels; ++level) {
        const Generated p = Generator(9, 900 + level).generate(level, 2000);
        ASSERT_GT(p.attempts, 0) << level;
        const Grade g = grade(p.killer), capped = grade(p.killer, level - 1);
        EXPECT_TRUE(g.solved && !g.contradiction && g.level == level && g.grid == p.solution);
        int own = 0;
        for (int t = 0; t < kTechniqueCount; ++t) own += techniqueLevel(static_cast<Technique>(t)) == level ? g.uses[t] : 0;
        EXPECT_GE(own, level < 3 ? 1 : 3);
        EXPECT_TRUE(!capped.solved && capped.level == 0);
        for (int c = 0; c < 81; ++c) EXPECT_TRUE(capped.grid[c] == 0 || capped.grid[c] == p.solution[c]);
        Grader grader(Killer{9, rows, std::vector<int>(9, 45)});
        EXPECT_FALSE(grader.run().solved);
        grader.refine(p.killer);
        EXPECT_EQ(grader.run().grid, p.solution);
    }
    EXPECT_TRUE(grade(Killer{4, {0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 4, 4, 5, 5}, {3, 3, 7, 7, 10, 10}}).contradiction);
}

// Puzzles of each level: one solution, the level earned, its cage shapes
// (LEVEL-1 at most two one-cell cages; above, none and at most 35 % of the
// cages with two cells); fixed by the seed; nothing tried out of reach.
TEST(Generator, MakesUniquePuzzlesInTheShapesOfTheirLevel) {
    const std::vector<std::tuple<int, int, int>> cases = {{9, 1, 3}, {9, 2, 3}, {9, 3, 2}, {9, 4, 2}, {9, 5, 1}, {4, 1, 2}, {6, 3, 1}, {8, 5, 1}};
    for (const auto& [side, level, count] : cases)
        for (int i = 0; i < count; ++i) {
            const Generated p = Generator(side, 31 * level + i).generate(level, 3000);
            ASSERT_GT(p.attempts, 0) << side << " " << level;
            EXPECT_EQ(Generator(side, 31 * level + i).generate(level, 3000).killer.cageOf, p.killer.cageOf);
            EXPECT_TRUE(checkRecord(recordOf(p.killer, p.solution)).empty() && p.killer.cageOf == canonicalNumbers(p.killer.cageOf));
            std::vector<int> size(p.killer.cageCount(), 0);
            for (int cage : p.killer.cageOf) ++size[cage];
            EXPECT_LE(std::count(size.begin(), size.end(), 1), level == 1 ? 2 : 0) << side << " " << level;
            EXPECT_LE(100 * std::count(size.begin(), size.end(), 2), (level == 1 ? 100 : 35) * p.killer.cageCount());
            Solver proof(p.killer);
            EXPECT_TRUE(proof.count(2) == 1 && proof.solutions()[0] == p.solution);
            EXPECT_TRUE(grade(p.killer).level == level && grade(p.killer).earned()) << side << " " << level;
        }
    EXPECT_NE(Generator(9, 1).generate(2).solution, Generator(9, 2).generate(2).solution);
    EXPECT_NE(puzzleSeed(1, 0), puzzleSeed(1, 1));
    EXPECT_NE(puzzleSeed(1, 0), puzzleSeed(2, 0));
    for (auto [side, level] : std::vector<std::pair<int, int>>{{4, 2}, {4, 5}, {6, 4}, {9, 6}, {9, 0}})
        EXPECT_EQ(Generator(side, 1).generate(level, 2000).attempts, 0) << side << " " << level;
}
