// Runs each fuzz target's seed corpus and the inputs on which it once found a fault
// (corpus/<target>, regressions/<target>) through the target's checks.
#include "checks.h"
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
using Check = std::string (*)(std::string_view, int&);
const std::pair<std::string, Check> targets[] = {{"book", fuzzchecks::book}, {"import", fuzzchecks::import}, {"paint", fuzzchecks::paint}};
TEST(FuzzReplay, SeedsAndRecordedFaultsPassTheirTargetsChecks) {
    for (const auto& [target, check] : targets) {
        int through = 0, refused = 0, accepted = 0;
        std::error_code none;  // no recorded faults yet
        for (const std::string folder : {"corpus/", "regressions/"})
            for (const auto& entry : std::filesystem::directory_iterator(SUMGRID_FUZZ_DIR + folder + target, none)) {
                std::ifstream file(entry.path(), std::ios::binary);
                EXPECT_EQ(check(std::string(std::istreambuf_iterator<char>(file), {}), accepted = 0), "") << entry.path();
                ++(accepted ? through : refused);
            }
        EXPECT_TRUE(through >= 3 && refused >= 3) << target << ": seeds that get through and seeds refused, 3 of each at least";
    }
}
