// Killer puzzles in the two shapes the engine works with: the book record
// (cage number and solution digit per cell) and the solver's view (cage
// number per cell and the sum of each cage).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sumgrid::engine {

// One puzzle as a book stores it. Cells are row-major, row 0 at the top.
struct Record {
    int side = 0;
    std::vector<std::uint8_t> cageOf;    // side*side cage numbers
    std::vector<std::uint8_t> solution;  // side*side digits 1..side
};

// The clues of a puzzle: the cage of each cell and the sum of each cage.
struct Killer {
    int side = 0;
    std::vector<int> cageOf;  // side*side entries, 0..cageCount()-1
    std::vector<int> sums;    // one per cage

    int cageCount() const { return static_cast<int>(sums.size()); }
    // The number of cells of each cage; every cage number must lie below cageCount().
    std::vector<int> cageSizes() const {
        std::vector<int> size;
        cageSizes(size);
        return size;
    }
    // The same into size, reusing its storage.
    void cageSizes(std::vector<int>& size) const {
        size.assign(sums.size(), 0);
        for (int c : cageOf) ++size[c];
    }
};

// Renumbers cages 0, 1, 2, ... in the order of each cage's lowest cell, the
// numbering books use. Cells with equal numbers stay together.
std::vector<int> canonicalNumbers(const std::vector<int>& cageOf);
// The same in place; returns the number of cages.
int renumberCanonically(std::vector<int>& cageOf);

// The clues of a record: its cages with sums taken from the solution.
// The record must have passed checkRecord.
Killer killerOf(const Record& record);

// The record for a killer and a solution, with canonical cage numbers.
Record recordOf(const Killer& killer, const std::vector<int>& solution);

// Every structural fault of a record, one sentence each; empty when the record
// is a well-formed puzzle: supported side, cage numbers below side*side and
// without gaps, connected cages, solution digits 1..side forming a valid grid,
// no digit twice in a cage, cage sums at most 255.
std::vector<std::string> checkRecord(const Record& record);

// Faults of a set of clues alone: supported side, connected cages no larger
// than the side, and sums that some set of distinct digits can reach.
std::vector<std::string> checkKiller(const Killer& killer);

}  // namespace sumgrid::engine
