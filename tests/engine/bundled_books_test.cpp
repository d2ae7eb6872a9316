#include <unistd.h>

#include <map>

#include "book.h"
#include "engine_test_util.h"
#include "generator.h"

using namespace sumgrid::engine;
using namespace sumgrid::engine::testing;


// The books that ship with the program: valid, each puzzle unique, at its
// book's level and earning it, in the cage shapes of that level; between them
// they use every technique of the grader; and the recorded seeds of
// scripts/make-books.sh make their first puzzles again.
TEST(BundledBooks, KeepTheirLevelsShapesAndSeeds) {
    const std::string root = SUMGRID_SOURCE_DIR;
    std::map<int, std::pair<std::uint64_t, int>> recorded;  // level -> seed, count
    std::istringstream script(dataFile("../../scripts/make-books.sh"));
    for (std::string line; std::getline(script, line);) {
        std::istringstream words(line);
        std::string first;
        int level = 0, count = 0;
        std::uint64_t seed = 0;
        if (words >> first >> level >> seed >> count && first == "book") recorded[level] = {seed, count};
    }
    ASSERT_EQ(recorded.size(), 5u);
    std::array<long, kTechniqueCount> uses{};
    for (const auto& [level, seedCount] : recorded) {
        const std::string name = "LEVEL-" + std::to_string(level), path = root + "/puzzles/" + name + ".wobe";
        const ToolRun r = tool({"validate", path, "--level", std::to_string(level)});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.out.find(name + " x250"), std::string::npos) << r.out;
        std::vector<std::uint8_t> bytes;
        std::string error;
        ASSERT_TRUE(readFileBytes(path, bytes, error)) << error;
        const BookContents book = readBook(bytes);
        ASSERT_EQ(book.count, seedCount.second);
        for (const Record& record : book.records) {
            std::vector<int> size(81, 0);
            for (auto cage : record.cageOf) ++size[cage];
            EXPECT_LE(std::count(size.begin(), size.end(), 1), level == 1 ? 2 : 0) << name;
            const auto cages = 81 - std::count(size.begin(), size.end(), 0);
            EXPECT_LE(100 * std::count(size.begin(), size.end(), 2), (level == 1 ? 100 : 35) * cages) << name;
            const Grade g = level >= 4 ? grade(killerOf(record)) : Grade{};
            for (int t = 0; t < kTechniqueCount; ++t) uses[t] += g.uses[t];
        }
        const Generated first = Generator(9, puzzleSeed(seedCount.first, 0)).generate(level);
        EXPECT_EQ(recordOf(first.killer, first.solution).cageOf, book.records[0].cageOf) << name;
        EXPECT_EQ(recordOf(first.killer, first.solution).solution, book.records[0].solution) << name;
    }
    for (int t = 0; t < kTechniqueCount; ++t) EXPECT_GT(uses[t], 0) << techniqueName(static_cast<Technique>(t));
}

// A puzzle the grader cannot finish is still proved unique: a warning, not a
// fault, unless the book claims a level below LEVEL-5. A level out of reach
// of a grid side is said so without trying.
TEST(BundledBooks, ToolReportsPuzzlesBeyondTheGraderAndLevelsOutOfReach) {
    const std::string book = ::testing::TempDir() + "beyond-" + std::to_string(::getpid()) + ".wobe";
    ASSERT_EQ(tool({"import", std::string(SUMGRID_SOURCE_DIR) + "/tests/engine/beyond-the-grader.txt", "-o", book}).status, 0);
    ToolRun r = tool({"validate", book});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.err.find("puzzle 1: warning: beyond the grader, which stops with 1 of 81 cells; the search proves its one solution"),
              std::string::npos) << r.err;
    EXPECT_NE(r.out.find("beyond the grader x1"), std::string::npos);
    EXPECT_EQ(tool({"validate", book, "--level", "5"}).status, 0);
    r = tool({"validate", book, "--level", "3"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("puzzle 1: beyond the grader, expected LEVEL-3"), std::string::npos) << r.err;
    r = tool({"inspect", book});
    EXPECT_NE(r.out.find("17 cages, beyond the grader\nsteps: "), std::string::npos) << r.out;
    std::remove(book.c_str());
    r = tool({"generate", "--side", "4", "--level", "4", "--count", "1", "-o", book});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("LEVEL-4 is out of reach on a 4x4 grid"), std::string::npos) << r.err;
}
