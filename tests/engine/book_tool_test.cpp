#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <unistd.h>
#include <fstream>
#include <map>
#include <sstream>

#include "book.h"
#include "book_commands.h"
#include "generator.h"
#include "grader.h"

using namespace sumgrid::engine;
using sumgrid::tools::runBookTool;

namespace {

struct ToolRun {
    int status;
    std::string out, err;
};

ToolRun tool(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = runBookTool(args, out, err);
    return {status, out.str(), err.str()};
}

// A folder of this run's own, so that runs side by side do not meet; removed at exit.
struct ScratchFolder {
    std::filesystem::path path = std::filesystem::path(::testing::TempDir()) /
                                 ("sumgrid-book-test-" + std::to_string(::getpid()));
    ScratchFolder() { std::filesystem::create_directories(path); }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

std::string scratch(const std::string& name) {
    static ScratchFolder folder;
    return (folder.path / name).string();
}

std::vector<std::uint8_t> bytesOf(const std::string& path) {
    std::vector<std::uint8_t> b;
    std::string error;
    EXPECT_TRUE(readFileBytes(path, b, error)) << error;
    return b;
}

void writeBytes(const std::string& path, const std::vector<std::uint8_t>& b) {
    std::string error;
    ASSERT_TRUE(writeFileBytes(path, b, error)) << error;
}

}  // namespace

TEST(BookTool, GenerateValidateExportImportRoundTrip) {
    const std::string book = scratch("round.wobe"), text = scratch("round.txt"), again = scratch("again.wobe");
    ToolRun r = tool({"generate", "--level", "2", "--count", "5", "-o", book, "--seed", "99"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto first = bytesOf(book);
    EXPECT_EQ(first.size(), 8u + 5 * 4 + 5 * 167);
    // Same seed, same bytes; another seed, another book.
    ASSERT_EQ(tool({"generate", "--level", "2", "--count", "5", "-o", again, "--seed", "99"}).status, 0);
    EXPECT_EQ(bytesOf(again), first);
    ASSERT_EQ(tool({"generate", "--level", "2", "--count", "5", "-o", again, "--seed", "0x63"}).status, 0);
    EXPECT_EQ(bytesOf(again), first) << "0x63 is 99";
    ASSERT_EQ(tool({"generate", "--level", "2", "--count", "5", "-o", again, "--seed", "100"}).status, 0);
    EXPECT_NE(bytesOf(again), first);

    r = tool({"validate", book, "--level", "2"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("5 puzzles valid"), std::string::npos);
    EXPECT_NE(r.out.find("LEVEL-2 x5"), std::string::npos);
    r = tool({"validate", book, "--level", "3"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("puzzle 1: graded LEVEL-2, expected LEVEL-3"), std::string::npos);

    ASSERT_EQ(tool({"export", book, "-o", text}).status, 0);
    r = tool({"import", text, "-o", again});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(bytesOf(again), first);
    r = tool({"export", book});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 6);  // a comment and five puzzles
}

TEST(BookTool, ValidateReportsEachFaultOnItsOwnLine) {
    const std::string book = scratch("faults.wobe");
    ASSERT_EQ(tool({"generate", "--level", "1", "--count", "3", "-o", book, "--seed", "5"}).status, 0);
    auto b = bytesOf(book);
    const std::size_t rec2 = 8 + 3 * 4 + 167, rec3 = rec2 + 167;
    std::swap(b[rec2 + 5 + 81], b[rec2 + 5 + 82]);  // puzzle 2: two solution digits swapped
    b[rec3] = 'X';                                  // puzzle 3: record magic
    writeBytes(book, b);
    const ToolRun r = tool({"validate", book});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.find("puzzle 1:"), std::string::npos);
    EXPECT_NE(r.err.find("puzzle 2: solution repeats a digit in column"), std::string::npos);
    EXPECT_NE(r.err.find("puzzle 3: record at offset"), std::string::npos);
    EXPECT_NE(r.err.find("faults in 3 puzzles"), std::string::npos);
    // Every complaint names the file.
    std::istringstream lines(r.err);
    for (std::string line; std::getline(lines, line);) EXPECT_EQ(line.rfind(book + ": ", 0), 0u) << line;

    // A cage made ambiguous: join all of row 1 into one cage (sum 45) and the
    // grid keeps its solution but loses uniqueness or the level.
    ASSERT_EQ(tool({"generate", "--level", "1", "--count", "1", "-o", book, "--seed", "5"}).status, 0);
    b = bytesOf(book);
    std::vector<int> cageOf(b.begin() + 17, b.begin() + 17 + 81);
    for (int c = 0; c < 81; ++c) cageOf[c] = c < 27 ? 0 : 1 + c;  // rows 1-3 in one cage: too many cells
    const auto canon = canonicalNumbers(cageOf);
    for (int c = 0; c < 81; ++c) b[17 + c] = static_cast<std::uint8_t>(canon[c]);
    writeBytes(book, b);
    EXPECT_NE(tool({"validate", book}).err.find("more than the 9 distinct digits"), std::string::npos);

    // Whole rows as cages: a valid grid, but nowhere near unique.
    for (int c = 0; c < 81; ++c) b[17 + c] = static_cast<std::uint8_t>(c / 9);
    writeBytes(book, b);
    EXPECT_NE(tool({"validate", book}).err.find("puzzle 1: more than one solution"), std::string::npos);

    writeBytes(book, {'W', 'O', 'B', 'E', 1, 0, 0, 0});
    EXPECT_NE(tool({"validate", book}).err.find("past the end"), std::string::npos);
}

TEST(BookTool, InspectDrawsCagesWithSums) {
    const std::string book = scratch("inspect.wobe");
    ASSERT_EQ(tool({"generate", "--level", "3", "--count", "2", "-o", book, "--seed", "8"}).status, 0);
    const ToolRun r = tool({"inspect", book, "2"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("2 puzzles"), std::string::npos);
    EXPECT_NE(r.out.find("puzzle 2 at offset 183, 9x9"), std::string::npos);
    EXPECT_EQ(r.out.find("puzzle 1 at"), std::string::npos);
    EXPECT_NE(r.out.find("LEVEL-3"), std::string::npos);
    // The sums written in the drawing add up to 405 = 9 x 45.
    const std::string drawing = r.out.substr(r.out.find('+'), r.out.find("solution:") - r.out.find('+'));
    int total = 0, number = 0;
    for (char ch : drawing + " ") {
        if (ch >= '0' && ch <= '9') {
            number = number * 10 + (ch - '0');
        } else {
            total += number;
            number = 0;
        }
    }
    EXPECT_EQ(total, 405);
    EXPECT_EQ(tool({"inspect", book}).out.find("puzzle 1 at offset 16"), tool({"inspect", book}).out.find("puzzle 1 at"));
}

TEST(BookTool, BadArgumentsAndFilesGiveClearErrors) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> usage = {
        {{}, "no command"},
        {{"frobnicate"}, "unknown command"},
        {{"generate", "--level", "6", "--count", "1", "-o", "x"}, "--level must be a number from 1 to 5"},
        {{"generate", "--level", "1", "--count", "0", "-o", "x"}, "--count must be a number from 1 to 32767"},
        {{"generate", "--level", "1", "--count", "12x", "-o", "x"}, "not \"12x\""},
        {{"generate", "--level", "1", "-o", "x"}, "needs --count"},
        {{"generate", "--level", "1", "--count", "1"}, "needs -o"},
        {{"generate", "--level", "1", "--count", "1", "-o", "x", "--side", "7"}, "no box shape"},
        {{"generate", "--level", "1", "--count", "1", "-o"}, "needs a value"},
        {{"generate", "--level", "1", "--level", "1"}, "given twice"},
        {{"validate", "--bogus", "1", "f"}, "unknown option --bogus"},
        {{"validate"}, "exactly one FILE"},
        {{"inspect"}, "inspect takes FILE"},
        {{"import", "t.txt"}, "import takes TEXTFILE and -o FILE"},
    };
    for (const auto& [args, words] : usage) {
        const ToolRun r = tool(args);
        EXPECT_EQ(r.status, 2) << words;
        EXPECT_NE(r.err.find(words), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("usage:"), std::string::npos);
    }
    EXPECT_EQ(tool({"--help"}).status, 0);

    const std::string missing = scratch("does-not-exist.wobe");
    for (const char* cmd : {"inspect", "validate", "export"}) {
        const ToolRun r = tool({cmd, missing});
        EXPECT_EQ(r.status, 1) << cmd;
        EXPECT_NE(r.err.find("cannot open"), std::string::npos) << r.err;
    }
    const std::string junk = scratch("junk.wobe");
    writeBytes(junk, {'P', 'K', 3, 4, 0, 0, 0, 0, 0});
    EXPECT_NE(tool({"inspect", junk}).err.find("does not begin with the book magic"), std::string::npos);
    EXPECT_EQ(tool({"export", junk}).status, 1);
    // An import with any bad line writes nothing.
    const std::string text = scratch("bad.txt"), out = scratch("bad.wobe");
    std::remove(out.c_str());
    const std::string lines = "AABBAABBCCDDCCDD 10,10,10,10\nAAAAA 1\n";
    writeBytes(text, std::vector<std::uint8_t>(lines.begin(), lines.end()));
    ToolRun r = tool({"import", text, "-o", out});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("line 1: more than one solution"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("line 2: cage field has 5 labels"), std::string::npos);
    EXPECT_NE(r.err.find("nothing written"), std::string::npos);
    EXPECT_FALSE(std::ifstream(out).good());
}
