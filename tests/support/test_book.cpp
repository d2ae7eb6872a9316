#include "support/test_book.h"
#include "model/book.h"
#include "model/puzzle.h"
#include "support/model_snapshot.h"
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdlib.h>

std::vector<uint8_t> validGrid(int variant) {
    std::vector<uint8_t> digits;
    for (int i = 0; i < 81; ++i)
        digits.push_back(uint8_t((i / 9 * 3 + i / 27 + i % 9 + variant) % 9 + 1));
    return digits;
}

TestPuzzle samplePuzzle(int variant) {
    TestPuzzle p{9, {}, validGrid(variant)};
    for (int i = 0; i < 81; ++i)
        p.cages.push_back(uint8_t(5 * (i / 9) + i % 9 / 2));
    return p;
}

static std::string le32(int32_t v) {
    const uint32_t u = uint32_t(v);
    return std::string{char(u & 0xff), char(u >> 8 & 0xff), char(u >> 16 & 0xff), char(u >> 24 & 0xff)};
}

std::string recordBytes(const TestPuzzle& p) {
    return "PLIX" + std::string(1, char(p.side)) + std::string(p.cages.begin(), p.cages.end()) +
           std::string(p.digits.begin(), p.digits.end());
}

std::string bookBytes(const std::vector<std::string>& records) {
    std::vector<int32_t> table;
    std::string rest;
    for (const std::string& r : records)
        table.push_back(int32_t(8 + 4 * records.size() + rest.size())), rest += r;
    return bookWithTable(int32_t(records.size()), table, rest);
}

std::string bookWithTable(int32_t count, const std::vector<int32_t>& table, const std::string& rest) {
    std::string bytes = "WOBE" + le32(count);
    for (int32_t offset : table)
        bytes += le32(offset);
    return bytes + rest;
}

ScratchDir::ScratchDir() {
    std::string name = std::filesystem::temp_directory_path() / "sumgrid-test-XXXXXX";
    dir_ = mkdtemp(name.data());
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

std::string ScratchDir::path(const std::string& name) const { return dir_ + "/" + name; }

std::string ScratchDir::write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path(name), std::ios::binary) << bytes;
    return path(name);
}

std::vector<BoardScenario> boardScenarios() {
    std::ifstream in(SUMGRID_GOLDEN_DIR "/boards.txt");
    std::vector<BoardScenario> boards;
    std::vector<std::string>* rows = nullptr;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        if (rows && int(rows->size()) < boards.back().side) {
            rows->push_back(line);
            continue;
        }
        std::istringstream words(line);
        std::string word;
        words >> word;
        if (word == "board") {
            boards.emplace_back();
            words >> boards.back().name >> boards.back().side;
            rows = &boards.back().cages;
        } else if (word == "play" || word == "marks") {
            rows = word == "play" ? &boards.back().play : &boards.back().marks;
        } else if (word == "select") {
            words >> boards.back().selCol >> boards.back().selRow;
        } else if (word == "gap") {
            words >> boards.back().gap;
        }
    }
    return boards;
}

BoardScenario boardScenario(const std::string& name) {
    const std::vector<BoardScenario> boards = boardScenarios();
    const auto found = std::find_if(boards.begin(), boards.end(), [&](const BoardScenario& b) { return b.name == name; });
    return found == boards.end() ? BoardScenario{} : *found;
}

// Labels are numbered in order of first appearance; the gap's label comes
// after a number that no cage carries.
TestPuzzle BoardScenario::puzzle() const {
    TestPuzzle p;
    p.side = uint8_t(side);
    std::map<char, uint8_t> number;
    uint8_t next = 0;
    for (const std::string& row : cages)
        for (char label : row)
            if (label != gap && number.emplace(label, next).second)
                ++next;
    number[gap] = uint8_t(next + 1);
    for (int r = 0; r < side; ++r)
        for (int c = 0; c < side; ++c) {
            p.cages.push_back(number[cages[size_t(r)][size_t(c)]]);
            p.digits.push_back(uint8_t(side == 9 ? (3 * r + r / 3 + c) % 9 + 1 : (r + c) % side + 1));
        }
    return p;
}

void loadScenario(const BoardScenario& board, const ScratchDir& dir) {
    clearModel();
    if (board.side > 0) {
        openBook(dir.write(board.name + ".wobe", bookBytes({recordBytes(board.puzzle())})));
        loadPuzzle(bookPath, 1);
    }
    for (int16_t i = 1; i <= cellCount; ++i) {
        const size_t r = size_t((i - 1) / board.side), c = size_t((i - 1) % board.side);
        const char entry = r < board.play.size() ? board.play[r][c] : '.';
        if (entry >= '1' && entry <= '9')
            penDigits[i] = uint8_t(entry - '0');
        if (entry >= 'a' && entry <= 'i')
            pencilDigits[i] = uint8_t(entry - 'a' + 1);
        errorMarks[i] = r < board.marks.size() && board.marks[r][c] == 'x';
    }
    selCol = board.selCol, selRow = board.selRow;
}
