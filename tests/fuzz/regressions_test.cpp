// Replays the fuzzer's seed corpus and every input it ever found a fault
// with through the same checks the fuzzer makes, in the ordinary test suite.
#include "book_harness.h"

#include "model/book.h"
#include "model/puzzle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> inputsIn(const std::string& folder) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(fs::path(SUMGRID_FUZZ_DIR) / folder))
        if (entry.is_regular_file() && entry.path().extension() != ".md")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::string bytesOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string run(bookfuzz::Workspace& w, const std::string& input) {
    return w.run(reinterpret_cast<const uint8_t*>(input.data()), input.size());
}

void replay(const std::vector<fs::path>& files) {
    bookfuzz::Workspace w;
    for (const auto& file : files)
        EXPECT_EQ(run(w, bytesOf(file)), "") << file.filename();
}

TEST(BookFuzzReplay, EverySeedPassesEveryCheck) {
    const auto files = inputsIn("corpus");
    ASSERT_GE(files.size(), 12u);
    replay(files);
}

TEST(BookFuzzReplay, EveryRecordedFaultStaysFixed) {
    const auto files = inputsIn("regressions");
    if (files.empty())
        GTEST_SKIP() << "the fuzzer has recorded no fault inputs";
    replay(files);
}

// The seeds reach both outcomes of both readers; otherwise the replay above
// would prove little.
TEST(BookFuzzReplay, SeedsOpenSomeBooksAndRefuseOthers) {
    bookfuzz::Workspace w;
    int opened = 0, refused = 0;
    for (const auto& file : inputsIn("corpus")) {
        const std::string input = bytesOf(file);
        ASSERT_EQ(run(w, input), "") << file.filename();
        // run() ends over the good book; the fuzzed book is open exactly when it was accepted.
        (bookPath == w.fuzzPath() ? opened : refused) += 1;
    }
    EXPECT_GE(opened, 3);
    EXPECT_GE(refused, 3);
}

TEST(BookFuzzReplay, SelectorReachesNumbersOutsideTheBook) {
    EXPECT_EQ(bookfuzz::puzzleNumberFor(0, 3), 0);
    EXPECT_EQ(bookfuzz::puzzleNumberFor(2, 3), 2);
    EXPECT_EQ(bookfuzz::puzzleNumberFor(0xF0, 3), INT32_MIN);
    EXPECT_EQ(bookfuzz::puzzleNumberFor(0xF1, 3), INT32_MAX);
    EXPECT_EQ(bookfuzz::puzzleNumberFor(0xF4, 3), 65537);
    EXPECT_EQ(bookfuzz::puzzleNumberFor(0xF6, 3), 3);
    EXPECT_EQ(bookfuzz::puzzleNumberFor(0xF7, 3), 4);
    EXPECT_EQ(bookfuzz::puzzleNumberFor(0xF7, INT32_MAX), INT32_MIN);
    EXPECT_EQ(bookfuzz::puzzleNumberFor(0xF8, INT32_MIN), INT32_MAX);
}

}  // namespace
