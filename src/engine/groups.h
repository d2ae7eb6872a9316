// Sum groups: sets of cells with a known total. Every cage is one; the rule of
// 45 (a row, column or box holds each digit once, so its digits sum to a fixed
// total) yields more from the cells a run of units shares with cages that
// cross its border. The solver and the grader both prune candidates with them.
#pragma once

#include <cstdint>
#include <vector>

#include "geometry.h"
#include "killer.h"

namespace sumgrid::engine {

// Digit sets by size and sum: combos(n, s) lists every mask of n distinct
// digits 1..side adding up to s.
class ComboTable {
public:
    explicit ComboTable(int side);
    const std::vector<Mask>& combos(int count, int sum) const {
        if (count < 0 || count > side_ || sum < 0 || sum > maxSum_) return none_;
        return table_[static_cast<std::size_t>(count) * (maxSum_ + 1) + sum];
    }
    // The digits of all of combos(count, sum): what a cage of that size and sum may hold.
    Mask digits(int count, int sum) const;

private:
    int side_;
    int maxSum_;
    std::vector<std::vector<Mask>> table_;
    std::vector<Mask> digits_;
    std::vector<Mask> none_;  // for sizes and sums out of range
};

const ComboTable& comboTableFor(int side);  // side must be supported

// Where a group comes from; also orders them by how hard they are to see.
enum class GroupKind : std::uint8_t {
    Cage,        // a cage of the puzzle
    UnitInOut,   // innies or outies of one row, column or box
    PairInOut,   // innies or outies of two adjacent units
    WideInOut,   // innies or outies of three or more adjacent units
    CageSplit,   // one group less another lying inside it, once placed digits are set aside
};

struct SumGroup {
    std::vector<int> cells;  // ascending
    int sum = 0;
    bool distinct = false;   // every two cells see each other or share a cage
    GroupKind kind = GroupKind::Cage;
    // For groups that are not distinct: bit j of conflicts[i] is set when
    // cells i and j of the group must differ. Empty for distinct groups.
    std::vector<std::uint32_t> conflicts;
};

std::vector<SumGroup> cageGroups(const Geometry& g, const Killer& k);

// A group of the given cells (ascending) and sum, with distinct and the
// conflicts worked out from the rows, columns, boxes and cages.
SumGroup makeGroup(const Geometry& g, const Killer& k, std::vector<int> cells, int sum, GroupKind kind);

// Innie/outie groups of runs of minUnits to maxUnits units, of up to maxCells
// cells (maxLoose for groups that are not distinct), without duplicates and
// without sets that are already cages.
std::vector<SumGroup> derivedGroups(const Geometry& g, const Killer& k, int maxCells, int maxLoose,
                                    int minUnits = 1, int maxUnits = kMaxSide);
// The same appended to out, leaving out the sets it holds already (one found
// again only takes the easier kind). The groups of single units come first
// in derivedGroups and are found among themselves, so those of longer runs
// appended to them make the same list as one call for all. The new groups
// take the storage of those in spare, if given, whatever they held.
void appendDerivedGroups(const Geometry& g, const Killer& k, int maxCells, int maxLoose, int minUnits, int maxUnits,
                         std::vector<SumGroup>& out, std::vector<SumGroup>* spare = nullptr);

enum class Filter { Same, Changed, Broken };

// Removes from the candidates of the group's cells every digit that no way of
// filling the group can use. Distinct groups are filtered by their digit
// combinations: a combination must contain every digit already fixed in the
// group and every one of its digits must fit some cell; a digit that every
// remaining combination needs and only one cell can take is fixed there.
// Other groups are filtered by exhaustive search while the search space is
// small, otherwise by the bounds of their sums. If required is given it
// receives the digits that every remaining combination of a distinct group
// contains (0 for other groups).
Filter filterGroup(Mask* cand, const SumGroup& group, const ComboTable& table,
                   Mask* required = nullptr);

}  // namespace sumgrid::engine
