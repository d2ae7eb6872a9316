// The puzzle model and the book readers.
#include "model/book.h"
#include "model/puzzle.h"
#include "platform/binfile.h"
#include "platform/msgbox.h"
#include "support/model_snapshot.h"
#include "support/test_book.h"

#include <gtest/gtest.h>

namespace {

struct ShownBox {
    std::string prompt;
    int buttons;
    std::string title;
};

class Books : public ::testing::Test {
protected:
    void SetUp() override {
        clearModel();
        setMsgBoxAnswer([this](const std::string& prompt, int buttons, const std::string& title) {
            shown.push_back({prompt, buttons, title});
            return vbOK;
        });
    }
    void TearDown() override { setMsgBoxAnswer(nullptr); }

    // Opens a book of the given records and loads puzzle n from it.
    void openAndLoad(const std::vector<std::string>& records, int32_t n = 1) {
        openBook(dir.write("book.wobe", bookBytes(records)));
        loadPuzzle(bookPath, n);
    }

    void expectOneFileError(const std::string& what) {
        ASSERT_EQ(shown.size(), 1u) << what;
        EXPECT_EQ(shown[0].prompt, " Error Opening the files. File corrupted. Open only PLIX files") << what;
        EXPECT_EQ(shown[0].buttons, vbOKOnly) << what;
        EXPECT_EQ(shown[0].title, "Sumgrid") << what;
    }

    ScratchDir dir;
    std::vector<ShownBox> shown;
};

// Loads a puzzle whose cage numbers are given, on the sample solution.
void loadCages(const std::vector<uint8_t>& cages) {
    gridSize = 9;
    cellCount = 81;
    cageOf = CellArray(1, 0);
    cageOf.insert(cageOf.end(), cages.begin(), cages.end());
    const auto grid = validGrid();
    solution = CellArray(1, 0);
    solution.insert(solution.end(), grid.begin(), grid.end());
    computeCageSums();
}

TEST(CageSums, StandAtEachCagesFirstCellForTheRunOfNumbersFromZero) {
    const TestPuzzle p = samplePuzzle();
    loadCages(p.cages);
    int labelled = 0;
    for (int16_t i = 1; i <= 81; ++i) {
        const uint8_t cage = cageOf[i];
        if (firstCellOfCage(cage) == i) {
            ++labelled;
            EXPECT_EQ(cageSumAt[i], cageSum(cage)) << "cell " << i;
            EXPECT_GT(cageSumAt[i], 0);
        } else {
            EXPECT_EQ(cageSumAt[i], 0) << "cell " << i;
        }
    }
    EXPECT_EQ(labelled, 45);
    // The ninth cell of the first row is a cage alone: its sum is its digit.
    EXPECT_EQ(cageSumAt[9], solution[9]);
    EXPECT_EQ(cageSum(0), solution[1] + solution[2]);
    EXPECT_EQ(firstCellOfCage(200), -1);

    // No cage 0: no sums at all.
    std::vector<uint8_t> fromOne(81);
    for (int i = 0; i < 81; ++i)
        fromOne[i] = uint8_t(p.cages[i] + 1);
    loadCages(fromOne);
    for (int16_t i = 1; i <= 81; ++i)
        EXPECT_EQ(cageSumAt[i], 0);

    // Cages 0, 1 and 3: cage 3 comes after the gap and gets no sum.
    std::vector<uint8_t> gap(81, 3);
    gap[0] = gap[1] = 0;
    gap[2] = 1;
    loadCages(gap);
    EXPECT_EQ(cageSumAt[1], solution[1] + solution[2]);
    EXPECT_EQ(cageSumAt[3], solution[3]);
    for (int16_t i = 4; i <= 81; ++i)
        EXPECT_EQ(cageSumAt[i], 0);
}

TEST(CageSums, ClearThePlayersWork) {
    loadCages(samplePuzzle().cages);
    penDigits[5] = 3;
    pencilDigits[6] = 4;
    errorMarks[7] = 1;
    selCol = selRow = 4;
    computeCageSums();
    EXPECT_EQ(penDigits, CellArray(82, 0));
    EXPECT_EQ(pencilDigits, CellArray(82, 0));
    EXPECT_EQ(errorMarks, CellArray(82, 0));
    EXPECT_EQ(selCol, 0);
    EXPECT_EQ(selRow, 0);
}

TEST_F(Books, SmallestBookOpensAndItsPuzzleLoads) {
    const std::string bytes = bookBytes({recordBytes(samplePuzzle())});
    ASSERT_EQ(bytes.size(), 179u);
    const std::string path = dir.write("one.wobe", bytes);
    openBook(path);
    EXPECT_EQ(bookPath, path);
    EXPECT_EQ(puzzleCount, 1);
    EXPECT_EQ(bookTable, (std::vector<int32_t>{0, 12}));
    EXPECT_EQ(puzzleNumber, 1) << "opening a book does not choose a puzzle";
    EXPECT_EQ(cellCount, 0) << "opening a book does not load a puzzle";

    loadPuzzle(bookPath, 1);
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(gridSize, 9);
    EXPECT_EQ(cellCount, 81);
    const TestPuzzle p = samplePuzzle();
    EXPECT_EQ(CellArray(cageOf.begin() + 1, cageOf.end()), p.cages);
    EXPECT_EQ(CellArray(solution.begin() + 1, solution.end()), p.digits);
    EXPECT_EQ(cageSumAt[1], p.digits[0] + p.digits[1]);
    EXPECT_EQ(penDigits.size(), 82u);
}

TEST_F(Books, RecordsAreFoundThroughTheTableWhereverTheyLie) {
    // Three puzzles whose records lie in reverse order; puzzle 3 shares puzzle 1's record.
    const std::string r1 = recordBytes(samplePuzzle(1));
    const std::string r2 = recordBytes(samplePuzzle(2));
    const int32_t start = 8 + 12;
    const std::string path = dir.write(
        "three.wobe", bookWithTable(3, {start + 167, start, start + 167}, r2 + r1));
    openBook(path);
    ASSERT_EQ(puzzleCount, 3);
    loadPuzzle(bookPath, 2);
    EXPECT_EQ(solution[1], samplePuzzle(2).digits[0]);
    loadPuzzle(bookPath, 1);
    const CellArray first = solution;
    EXPECT_EQ(first[1], samplePuzzle(1).digits[0]);
    loadPuzzle(bookPath, 3);
    EXPECT_EQ(solution, first);
    EXPECT_TRUE(shown.empty());
}

TEST_F(Books, LoadingReadsOneRecordWhateverTheBooksSize) {
    std::vector<std::string> records(2000, recordBytes(samplePuzzle()));
    openBook(dir.write("big.wobe", bookBytes(records)));
    const uint64_t before = BinaryFile::totalBytesRead();
    loadPuzzle(bookPath, 1500);
    EXPECT_EQ(BinaryFile::totalBytesRead() - before, 167u);
    EXPECT_EQ(cellCount, 81);
}

TEST_F(Books, EveryMalformedBookShowsTheFileErrorOnceAndChangesNothing) {
    const std::string good = recordBytes(samplePuzzle());
    const std::string goodPath = dir.write("good.wobe", bookBytes({good, good}));
    struct Case {
        const char* what;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"empty file", ""},
        {"short header", "WOBE\x01"},
        {"magic in lower case", "wobe" + bookBytes({good}).substr(4)},
        {"count 0", bookWithTable(0, {}, "")},
        {"negative count", bookWithTable(-1, {12}, good)},
        {"count above 32767", bookWithTable(32768, {12}, good)},
        {"table past the end", bookWithTable(3, {20}, "")},
        {"negative offset", bookWithTable(1, {-4}, good)},
        {"offset past the end", bookWithTable(1, {500}, good)},
        {"offset too near the end for any record", bookWithTable(1, {12 + 161}, good)},
    };
    for (const Case& c : cases) {
        clearModel();
        openBook(goodPath);
        loadPuzzle(bookPath, 2);
        penDigits[3] = 4;
        selCol = 2;
        const ModelSnapshot before;
        shown.clear();
        openBook(dir.write("bad.wobe", c.bytes));
        expectOneFileError(c.what);
        EXPECT_TRUE(ModelSnapshot() == before) << c.what;
    }
    shown.clear();
    const ModelSnapshot before;
    openBook(dir.path("missing.wobe"));
    expectOneFileError("missing file");
    openBook(dir.path(""));
    EXPECT_EQ(shown.size(), 2u) << "a folder is no book";
    EXPECT_TRUE(ModelSnapshot() == before);
}

TEST_F(Books, EveryMalformedRecordShowsTheFileErrorOnceAndChangesNothing) {
    auto with = [](auto change) {
        TestPuzzle p = samplePuzzle(3);
        change(p);
        return recordBytes(p);
    };
    TestPuzzle huge;  // a 15 x 15 grid in one cage: its sum cannot fit a byte
    huge.side = 15;
    huge.cages.assign(225, 0);
    for (int i = 0; i < 225; ++i)
        huge.digits.push_back(uint8_t(i % 15 + 1));

    struct Case {
        const char* what;
        std::string record;
    };
    const std::vector<Case> cases = {
        {"record magic wrong", "PLIZ" + recordBytes(samplePuzzle()).substr(4)},
        {"record cut short", recordBytes(samplePuzzle()).substr(0, 100)},
        {"side 0", with([](TestPuzzle& p) { p.side = 0; })},
        {"side 16", std::string("PLIX\x10") + std::string(512, '\x01')},
        {"solution digit 0", with([](TestPuzzle& p) { p.digits[40] = 0; })},
        {"solution digit 10", with([](TestPuzzle& p) { p.digits[80] = 10; })},
        {"cage number 81", with([](TestPuzzle& p) { p.cages[7] = 81; })},
        {"cage sum above 255", recordBytes(huge)},
    };
    for (const Case& c : cases) {
        clearModel();
        openAndLoad({recordBytes(samplePuzzle()), c.record});
        ASSERT_TRUE(shown.empty()) << c.what;
        pencilDigits[9] = 2;
        const ModelSnapshot before;
        loadPuzzle(bookPath, 2);
        expectOneFileError(c.what);
        EXPECT_TRUE(ModelSnapshot() == before) << c.what;
        shown.clear();
    }
    // A number outside the book.
    for (int32_t n : {0, 3, -1}) {
        const ModelSnapshot before;
        loadPuzzle(bookPath, n);
        expectOneFileError("puzzle " + std::to_string(n));
        EXPECT_TRUE(ModelSnapshot() == before);
        shown.clear();
    }
}

TEST_F(Books, WithNoBookOpenThereIsNothingToLoad) {
    openBook(dir.path("missing.wobe"));
    expectOneFileError("missing default book");
    const ModelSnapshot before;
    loadPuzzle(bookPath, 1);
    EXPECT_EQ(shown.size(), 1u) << "the failure is told once, not again for the puzzle";
    EXPECT_TRUE(ModelSnapshot() == before);
}

TEST_F(Books, GridsOfOtherSidesLoad) {
    TestPuzzle small;
    small.side = 4;
    small.cages = {0, 0, 1, 1, 2, 2, 1, 3, 4, 5, 5, 3, 4, 6, 6, 3};
    small.digits = {1, 2, 3, 4, 3, 4, 1, 2, 2, 1, 4, 3, 4, 3, 2, 1};
    openAndLoad({recordBytes(small)});
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(gridSize, 4);
    EXPECT_EQ(cellCount, 16);
    EXPECT_EQ(cageSumAt[3], 3 + 4 + 1);
    EXPECT_EQ(cageSumAt[8], 2 + 3 + 1);
}

}  // namespace
