// The puzzle model and the book readers.
#include "model/book.h"
#include "model/puzzle.h"
#include "platform/binfile.h"
#include "platform/keys.h"
#include "platform/msgbox.h"
#include "platform/screen.h"
#include "platform/vb.h"
#include "support/model_snapshot.h"
#include "support/test_book.h"
#include <Qt>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

class Model : public ::testing::Test {
protected:
    void SetUp() override {
        clearModel();
        setMsgBoxAnswer([this](const std::string& prompt, int buttons, const std::string& title) {
            shown.push_back(prompt + " | " + std::to_string(buttons) + " | " + title);
            return vbOK;
        });
    }
    void TearDown() override { setMsgBoxAnswer(nullptr); }

    void openAndLoad(const std::string& bookBytes, int32_t n = 1) {
        openBook(dir.write("book.wobe", bookBytes));
        loadPuzzle(bookPath, n);
    }
    CellArray solutionRead() const { return CellArray(solution.begin() + 1, solution.end()); }
    // The one box every unreadable book or record shows, and nothing changed.
    void expectOneFileError(const ModelSnapshot& before, const std::string& what) {
        EXPECT_EQ(shown, std::vector<std::string>{" Error Opening the files. File corrupted. Open only PLIX files | 0 | Sumgrid"}) << what;
        EXPECT_TRUE(ModelSnapshot() == before) << what;
        shown.clear();
    }

    ScratchDir dir;
    std::vector<std::string> shown;
};

TEST_F(Model, CageSumsStandAtTheFirstCellOfEachCageOfTheRunFromZero) {
    const TestPuzzle sample = samplePuzzle();  // cells 1 and 2 form cage 0; cell 9 is cage 4, alone
    const auto& d = sample.digits;
    TestPuzzle fromOne = sample, gap = sample, far = sample;
    for (uint8_t& c : fromOne.cages)
        ++c;
    for (uint8_t& c : gap.cages)
        c = c < 2 ? c : uint8_t(c + 1);  // no cage 2
    far.cages[0] = far.cages[1] = 44, far.cages[79] = 0;  // cage 0 is cell 80; cage 44 is cells 1, 2 and 81
    // Each puzzle, how many sums it shows, and some of its cells with the sum each shows.
    const std::tuple<TestPuzzle, int, std::vector<std::pair<int, int>>> cases[] = {
        {sample, 45, {{1, d[0] + d[1]}, {2, 0}, {3, d[2] + d[3]}, {9, d[8]}}},
        {fromOne, 0, {}},
        {gap, 2, {{1, d[0] + d[1]}, {3, d[2] + d[3]}, {5, 0}}},
        {far, 45, {{1, d[0] + d[1] + d[80]}, {79, d[78]}, {80, d[79]}, {81, 0}}},
    };
    for (const auto& [puzzle, count, sums] : cases) {
        openAndLoad(bookBytes({recordBytes(puzzle)}));
        EXPECT_EQ(std::count_if(cageSumAt.begin(), cageSumAt.end(), [](uint8_t s) { return s != 0; }), count);
        for (auto [cell, sum] : sums)
            EXPECT_EQ(cageSumAt[cell], sum) << "cell " << cell;
    }
    EXPECT_EQ(std::vector<int>({firstCellOfCage(0), firstCellOfCage(44), firstCellOfCage(45), cageSum(44), cageSum(200)}),
              std::vector<int>({80, 1, -1, d[0] + d[1] + d[80], 0}));

    // A new puzzle clears the player's work.
    penDigits[5] = 3, pencilDigits[6] = 4, errorMarks[7] = 1, selCol = selRow = 4;
    loadPuzzle(bookPath, 1);
    EXPECT_TRUE(penDigits == CellArray(82, 0) && pencilDigits == penDigits && errorMarks == penDigits && selCol + selRow == 0);
    EXPECT_TRUE(shown.empty());
}

TEST_F(Model, RecordsAreFoundThroughTheTable) {
    const std::string smallest = bookBytes({recordBytes(samplePuzzle(4))});  // one 9 x 9 puzzle in 179 bytes
    ASSERT_EQ(smallest.size(), 179u);
    openBook(dir.write("one.wobe", smallest));
    EXPECT_EQ(bookPath + " " + std::to_string(puzzleCount), dir.path("one.wobe") + " 1");
    EXPECT_TRUE(bookTable == (std::vector<int32_t>{0, 12}) && cellCount == 0) << "opening a book loads no puzzle";
    loadPuzzle(bookPath, 1);
    EXPECT_EQ(CellArray(cageOf.begin() + 1, cageOf.end()), samplePuzzle().cages);
    EXPECT_EQ(solutionRead(), validGrid(4));

    // A book in folders deeper than one path name may reach: opened a folder at a time.
    std::string deep = dir.path("deep"), make = "mkdir " + deep + " && cd " + deep;
    for (const std::string folder(200, 'd'); deep.size() <= 5000; deep += "/" + folder) make += " && mkdir " + folder + " && cd -P " + folder;
    ASSERT_EQ(std::system((make + " && cp " + dir.path("one.wobe") + " .").c_str()), 0);
    openBook(deep + "/one.wobe");
    loadPuzzle(bookPath, 1);
    EXPECT_EQ(solutionRead(), validGrid(4));
    EXPECT_EQ(std::system(("rm -rf " + dir.path("deep")).c_str()), 0);

    // Records in reverse order; puzzle 3 shares puzzle 1's record.
    openBook(dir.write("three.wobe", bookWithTable(3, {20 + 167, 20, 20 + 167}, recordBytes(samplePuzzle(2)) + recordBytes(samplePuzzle(1)))));
    for (auto [n, variant] : {std::pair{2, 2}, {1, 1}, {3, 1}}) {
        loadPuzzle(bookPath, n);
        EXPECT_EQ(solutionRead(), validGrid(variant)) << "puzzle " << n;
    }

    // A 4 x 4 puzzle, and a 1 x 1 one.
    openAndLoad(bookBytes({recordBytes(boardScenario("side4").puzzle()), recordBytes(TestPuzzle{1, {0}, {1}})}));
    EXPECT_EQ(CellArray(cageSumAt.begin() + 1, cageSumAt.end()), (CellArray{3, 0, 8, 0, 9, 7, 0, 0, 0, 0, 6, 0, 5, 0, 2, 0}));
    loadPuzzle(bookPath, 2);
    EXPECT_EQ(cageSumAt, (CellArray{0, 1}));

    // Whatever the book's size, a puzzle costs its record's 167 bytes.
    openBook(dir.write("big.wobe", bookBytes(std::vector<std::string>(32767, recordBytes(samplePuzzle(1))))));
    EXPECT_EQ(puzzleCount, 32767);
    const uint64_t before = BinaryFile::totalBytesRead();
    loadPuzzle(bookPath, 32767);
    EXPECT_EQ(BinaryFile::totalBytesRead() - before, 167u);
    EXPECT_TRUE(shown.empty());
}

TEST_F(Model, EveryMalformedBookShowsTheFileErrorOnceAndChangesNothing) {
    const std::string good = recordBytes(samplePuzzle());
    const std::pair<const char*, std::string> cases[] = {
        {"empty file", ""},
        {"short header", "WOBE\x01"},
        {"magic in lower case", "wobe" + bookBytes({good}).substr(4)},
        {"count 0", bookWithTable(0, {}, "")},
        {"negative count (the sign bit over a count of 1)", bookWithTable(INT32_MIN + 1, {12}, good)},
        {"count 32768 with its whole table", bookWithTable(32768, std::vector<int32_t>(32768, 8 + 4 * 32768), good)},
        {"table past the end", bookWithTable(3, {20, 20}, "")},
        {"negative offset (the sign bit over the record's offset)", bookWithTable(1, {INT32_MIN + 12}, good)},
        {"offset past the end", bookWithTable(1, {500}, good)},
        {"offset too near the end for any record", bookWithTable(1, {12 + 161}, good)},
        {"a folder", "/"},
        {"a missing file", "/no.wobe"},
    };
    const std::string goodPath = dir.write("good.wobe", bookBytes({good, good}));
    for (const auto& [what, bytes] : cases) {
        openBook(goodPath);
        loadPuzzle(bookPath, 2);
        penDigits[3] = 4, selCol = selRow = 2;
        const ModelSnapshot before;
        openBook(bytes[0] == '/' ? dir.path(bytes.substr(1)) : dir.write("bad.wobe", bytes));
        expectOneFileError(before, what);
    }
}

TEST_F(Model, EveryMalformedRecordShowsTheFileErrorOnceAndChangesNothing) {
    auto with = [](auto change) { return recordBytes(change(samplePuzzle(3))); };
    TestPuzzle huge{15, std::vector<uint8_t>(225, 0), {}};  // one cage of 225 cells: its sum cannot fit a byte
    for (int i = 0; i < 225; ++i)
        huge.digits.push_back(uint8_t(i % 15 + 1));
    const std::pair<const char*, std::string> cases[] = {
        {"record magic wrong", "PLIZ" + recordBytes(samplePuzzle()).substr(4)},
        {"record cut short", recordBytes(samplePuzzle()).substr(0, 166)},
        {"side 0", with([](TestPuzzle p) { return p.side = 0, p; })},
        {"side 16", std::string("PLIX\x10") + std::string(512, '\x01')},
        {"solution digit 0", with([](TestPuzzle p) { return p.digits[40] = 0, p; })},
        {"solution digit 10", with([](TestPuzzle p) { return p.digits[80] = 10, p; })},
        {"cage number 81", with([](TestPuzzle p) { return p.cages[7] = 81, p; })},
        {"cage sum above 255", recordBytes(huge)},
    };
    for (const auto& [what, record] : cases) {
        openAndLoad(bookBytes({recordBytes(samplePuzzle()), record}));
        pencilDigits[9] = 2;
        const ModelSnapshot before;
        loadPuzzle(bookPath, 2);
        expectOneFileError(before, what);
    }
    for (int32_t n : {0, 3, -1}) {
        const ModelSnapshot before;
        loadPuzzle(bookPath, n);
        expectOneFileError(before, "puzzle " + std::to_string(n));
    }
    for (size_t i = 0; i < 225; ++i)  // a 15 x 15 grid whose cages all fit a byte is read: its rows, the
        huge.cages[i] = uint8_t(i < 30 || i == 44 ? 0 : i / 15);  // first two and the third's 15 in one cage of 255
    openAndLoad(bookBytes({recordBytes(huge)}));
    EXPECT_EQ(cellCount * 1000 + cageSumAt[1], 225255);
    EXPECT_TRUE(shown.empty());

    // With no book open there is nothing to load: the failure is told once, not again for the puzzle.
    clearModel();
    const ModelSnapshot before;
    openBook(dir.path("missing.wobe"));
    loadPuzzle(bookPath, 1);
    expectOneFileError(before, "missing default book");
}

TEST(Numbers, RoundHalfEvenTheValReadingOfANumberAndScreenUnits) {
    const std::pair<double, int> rounded[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {4.6, 5}, {13.8, 14}, {-2.5, -2}, {18.4, 18}};
    for (auto [value, expected] : rounded)
        EXPECT_EQ(roundHalfEven(value), expected) << value;
    const std::pair<const char*, double> read[] = {
        {"3", 3},     {"  12  ", 12}, {"2.5", 2.5}, {".5", 0.5}, {"-7x", -7}, {"+4", 4}, {"1e2", 100}, {"1e", 1},
        {"1E+1", 10}, {"12abc", 12},  {"abc", 0},   {"", 0},     {".", 0},    {"-", 0},  {"1e999", 0}, {"0.6", 0.6}};
    for (auto [text, expected] : read)
        EXPECT_EQ(Val(text), expected) << '"' << text << '"';
    // An inch is 72 points, 1440 twips and 96 pixels on the screen; points round to the nearest pixel.
    EXPECT_EQ(std::vector<int>({pointsToPixels(72), pointsToPixels(8), pointsToPixels(9), twipsToPixels(1440), twipsToPixels(3885)}),
              std::vector<int>({96, 11, 12, 96, 259}));
}

// Where no window can be shown, a message goes to the error stream and takes the safe answer.
TEST(MsgBox, WithoutAWindowIsWrittenToTheErrorStream) {
    testing::internal::CaptureStderr();
    const int asked = MsgBox("Sure?", vbYesNo + vbDefaultButton1, "A");
    EXPECT_EQ(std::make_pair(asked, MsgBox(" Done")), std::make_pair(int(vbNo), int(vbOK)));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "A: Sure?\n" + App::Title() + ":  Done\n");
}

// Keys reach the board as the system's virtual-key codes; any other key is 0.
TEST(Keys, CarryTheirVirtualKeyCodes) {
    const std::tuple<Qt::Key, Qt::KeyboardModifiers, int> keys[] = {
        {Qt::Key_Backspace, {}, 8}, {Qt::Key_Escape, {}, 27}, {Qt::Key_Space, {}, 32},   {Qt::Key_Delete, {}, 46},
        {Qt::Key_5, {}, 53},        {Qt::Key_Exclam, Qt::ShiftModifier, 49},            {Qt::Key_5, Qt::KeypadModifier, 101},
        {Qt::Key_F1, {}, 0},        {Qt::Key_A, {}, 0},                                 {Qt::Key_Shift, Qt::ShiftModifier, 16},
        {Qt::Key_Control, Qt::ControlModifier, 17},                                    {Qt::Key_AltGr, {}, 18}};
    for (const auto& [key, modifiers, code] : keys)
        EXPECT_EQ(virtualKeyCode(key, modifiers), code) << key;
}

}  // namespace
