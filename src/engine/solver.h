// Counts the solutions of a killer puzzle, stopping at a limit, so that
// uniqueness is proved by count(2) == 1. Candidates are digit bit masks.
// Propagation removes fixed digits from rows, columns, boxes and cages, places
// hidden singles, filters each cage through its digit combinations and lets a
// digit that a cage must hold, confined to one row, column or box, leave the
// rest of it. When that stalls at the root, the rule-of-45 groups join in:
// those of single rows, columns and boxes and of runs of units, all at once.
// Search branches only where propagation stops, on a cell with fewest
// candidates that belongs to the most constraints.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "geometry.h"
#include "groups.h"
#include "killer.h"

namespace sumgrid::engine {

struct SolverOptions {
    bool useDerivedGroups = true;  // innies and outies
    int derivedMaxCells = 5;  // largest derived group kept
    int derivedMaxLoose = 3;  // largest kept whose cells may repeat a digit
    int derivedMaxUnits = 4;  // longest run of units studied
};

class Solver {
public:
    // The killer must pass checkKiller; otherwise valid() is false and count() is 0.
    explicit Solver(const Killer& killer, SolverOptions options = {});

    bool valid() const { return geo_ != nullptr; }

    // Number of solutions, counting no further than limit (limit >= 1).
    int count(int limit);

    // The solutions found by the last count(), at most two are kept.
    const std::vector<std::vector<int>>& solutions() const { return found_; }

    // Search nodes visited by the last count(), for measurement.
    long nodes() const { return nodes_; }

    // The cages, followed by the derived groups once a count has needed them.
    const std::vector<SumGroup>& groups() const { return groups_; }

private:
    // Constraints are numbered units first (0..3*side-1), then groups.
    void buildLists();
    void addDerivedGroups(int minUnits, int maxUnits);
    void touch(int cell, bool changed = true);
    void settle(int constraint);
    bool runUnit(Mask* cand, int unit);
    bool clearFixed(Mask* cand, const std::uint16_t* cells, std::uint64_t* word, const std::uint64_t* single,
                    Mask fixed, bool& fresh);
    bool filterOpen(Mask* cand, const SumGroup& group, Mask* required, int* open, int& n, bool& gaveDigit);
    bool runGroup(Mask* cand, int group);
    bool propagate(Mask* cand);
    void search(int depth, int branchCell);

    SolverOptions options_;
    Killer killer_;
    bool derived_ = false;     // the derived groups have joined the cages
    const Geometry* geo_ = nullptr;
    const ComboTable* table_ = nullptr;
    std::vector<SumGroup> groups_;
    std::unique_ptr<Mask[]> stack_;  // one candidate array per search depth
    // Pending constraints as a bit set over constraint numbers, taken lowest
    // first: units, then cages, then the derived groups, which are dearer to
    // filter and so wait until everything cheaper has settled. cellBits_ holds
    // for each cell, words_ words apiece, the constraints it belongs to.
    std::vector<std::uint64_t> cellBits_, pending_, round_;
    std::size_t words_ = 0;
    std::vector<std::uint16_t> unitCells_;  // per unit its cells, padded to 16 (runUnit)
    int unitWords_ = 0;                      // words of four cells a unit fills
    std::uint64_t laneKeep_[4] = {};         // the lanes of each word that hold a cell
    std::vector<int> degree_;  // per cell, the constraints it belongs to
    int firstDerived_ = 0;  // constraint number of the first derived group
    std::vector<unsigned> mark_;  // mark_[cell] == token_: the cell is in the group at hand
    unsigned token_ = 0;
    Mask* current_ = nullptr;  // candidates being propagated
    std::vector<std::vector<int>> found_;
    int limit_ = 0;
    int count_ = 0;
    long nodes_ = 0;
};

// Convenience: the number of solutions of a killer, up to limit.
int countSolutions(const Killer& killer, int limit);

}  // namespace sumgrid::engine
