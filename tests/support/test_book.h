// Puzzle books made by the tests themselves: records and headers written byte
// by byte, so that each malformed case can be built on purpose, and the
// boards described in tests/golden/boards.txt.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TestPuzzle {
    uint8_t side = 9;
    std::vector<uint8_t> cages, digits;  // cell 1 first
};

// A valid 9 x 9 solution grid; variant shifts its digits so that puzzles differ.
std::vector<uint8_t> validGrid(int variant = 0);
// The valid grid cut into cages of two cells along each row (the ninth cell of
// each row alone), numbered 0, 1, 2, ... in cell order.
TestPuzzle samplePuzzle(int variant = 0);

std::string recordBytes(const TestPuzzle& p);
// A book with its records laid one after another right after the table.
std::string bookBytes(const std::vector<std::string>& records);
// A header with the given count and table, records appended as given.
std::string bookWithTable(int32_t count, const std::vector<int32_t>& table, const std::string& rest);

// A file in a fresh folder of the test's own, removed when the test ends.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    std::string write(const std::string& name, const std::string& bytes) const;
    std::string path(const std::string& name) const;

private:
    std::string dir_;
};

// A board of tests/golden/boards.txt: its cages as rows of labels and the player's work.
struct BoardScenario {
    std::string name;
    int side = 0;
    std::vector<std::string> cages, play, marks;
    int16_t selCol = 0, selRow = 0;
    char gap = 0;
    TestPuzzle puzzle() const;
};
std::vector<BoardScenario> boardScenarios();
BoardScenario boardScenario(const std::string& name);
// Puts the scenario in the model: its puzzle written as a book in dir and
// read through the readers, then the player's work.
void loadScenario(const BoardScenario& board, const ScratchDir& dir);
