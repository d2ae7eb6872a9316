#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "book.h"
#include "book_commands.h"
#include "generator.h"

using namespace sumgrid::engine;

namespace {

std::string run(const std::vector<std::string>& args, int& status) {
    std::ostringstream out, err;
    status = sumgrid::tools::runBookTool(args, out, err);
    return out.str() + err.str();
}

std::vector<std::uint8_t> bytesOf(const std::string& path) {
    std::vector<std::uint8_t> b;
    std::string error;
    EXPECT_TRUE(readFileBytes(path, b, error)) << error;
    return b;
}

}  // namespace

// The books that ship with the program: enough puzzles, all valid, unique and
// at their level, and made by the recorded seeds of scripts/make-books.sh.
TEST(BundledBooks, AreValidUniqueGradedAndReproducible) {
    const std::string root = SUMGRID_SOURCE_DIR;
    std::ifstream script(root + "/scripts/make-books.sh");
    ASSERT_TRUE(script.good());
    std::map<int, std::pair<std::uint64_t, int>> recorded;  // level -> seed, count
    for (std::string line; std::getline(script, line);) {
        // Lines "book LEVEL SEED COUNT".
        std::istringstream words(line);
        std::string first;
        int level = 0, count = 0;
        std::uint64_t seed = 0;
        if (words >> first >> level >> seed >> count && first == "book" && level >= 1 && level <= 4)
            recorded[level] = {seed, count};
    }
    ASSERT_EQ(recorded.size(), 4u);
    for (int level = 1; level <= 4; ++level) {
        const std::string path = root + "/puzzles/LEVEL-" + std::to_string(level) + ".wobe";
        int status = 0;
        const std::string report = run({"validate", path, "--level", std::to_string(level)}, status);
        EXPECT_EQ(status, 0) << report;
        const BookContents contents = readBook(bytesOf(path));
        EXPECT_GE(contents.count, 250);
        EXPECT_EQ(contents.count, recorded[level].second);
        // The first puzzles regenerate from the recorded seed.
        for (int i = 0; i < 3 && i < contents.count; ++i) {
            Generator gen(9, puzzleSeed(recorded[level].first, i));
            const Generated p = gen.generate(level);
            const Record made = recordOf(p.killer, p.solution);
            EXPECT_EQ(made.cageOf, contents.records[i].cageOf) << "LEVEL-" << level << " puzzle " << i + 1;
            EXPECT_EQ(made.solution, contents.records[i].solution);
        }
    }
}
