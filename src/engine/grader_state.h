// What the grader's techniques share: the clues, the candidates, and the
// pending sets that keep each technique to the places that changed since it
// last looked. The techniques are free routines over a Solve, one family to
// a file (grader_singles, grader_innies, grader_subsets, grader_level5);
// each makes one step and returns whether it made progress.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "geometry.h"
#include "grader.h"
#include "groups.h"
#include "killer.h"

namespace sumgrid::engine::grading {

// A set of small numbers walked in ascending order: the units, cages or groups
// that a technique still has to look at.
class Pending {
public:
    void fill(int n) {
        words_.assign((n + 63) / 64, ~std::uint64_t{0});
        if (n % 64) words_.back() = (std::uint64_t{1} << (n % 64)) - 1;
    }
    void add(int i) { words_[i >> 6] |= std::uint64_t{1} << (i & 63); }
    // Grows a set of from members to one of to, the new ones in it.
    void extend(int from, int to) {
        words_.resize((to + 63) / 64, 0);
        for (int i = from; i < to; ++i) add(i);
    }
    // Adds the members of a row of a BitRows table sized for this set.
    void addAll(const std::uint64_t* bits) {
        for (std::size_t w = 0; w < words_.size(); ++w) words_[w] |= bits[w];
    }
    void drop(int i) { words_[i >> 6] &= ~(std::uint64_t{1} << (i & 63)); }
    void clear(int n) { words_.assign((n + 63) / 64, 0); }
    void clear() { std::fill(words_.begin(), words_.end(), 0); }
    bool has(int i) const { return words_[i >> 6] >> (i & 63) & 1u; }
    // Calls f with each member, ascending, until f returns true; returns whether it did.
    template <class F>
    bool any(F f) const {
        return anyOf(nullptr, f);
    }
    // The same for the members that are also in within (words as ours), or all when it is null.
    template <class F>
    bool anyOf(const std::uint64_t* within, F f) const {
        for (std::size_t w = 0; w < words_.size(); ++w)
            for (std::uint64_t bits = words_[w] & (within ? within[w] : ~std::uint64_t{0}); bits; bits &= bits - 1)
                if (f(static_cast<int>(w * 64) + __builtin_ctzll(bits))) return true;
        return false;
    }

private:
    std::vector<std::uint64_t> words_;
};

// A row of small numbers (groups, cages) per cell or per group kind, as bit
// words laid out as Pending's, so that a changed cell adds its row with a few ORs.
class BitRows {
public:
    void reset(int cells, int members) {
        words_ = static_cast<std::size_t>(members + 63) / 64;
        bits_.assign(cells * words_, 0);
    }
    void set(int cell, int member) { bits_[cell * words_ + (member >> 6)] |= std::uint64_t{1} << (member & 63); }
    const std::uint64_t* row(int cell) const { return bits_.data() + cell * words_; }  // no words: no members

private:
    std::size_t words_ = 0;
    std::vector<std::uint64_t> bits_;
};

// Everything a solve changes, so that a forcing chain can try a digit and go back.
struct State {
    std::vector<Mask> cand, seen;  // candidates now, and when changes were last noted
    Pending changed;  // cells whose candidates may differ from seen: every write to cand adds its cell
    std::vector<char> placed;
    int placedCount = 0;
    std::vector<Mask> placedIn;  // per unit, the digits of its placed cells
    std::vector<Mask> needed;  // per cage, the digits all its combinations hold
    // Cells for naked singles, units for hidden singles, cages for their
    // combinations, derived groups for innies/outies, units and cages for
    // pointing and claiming, cages for combinations across units, derived
    // groups for overlapping cages.
    Pending singles, hidden, combos, inOut, pointUnits, pointCages, across, overlap;
    // Per size 2..4, the units that naked (hidden) subsets look at again;
    // per size 2..3, the digits whose fish are looked for again. They look
    // only at candidates, which only shrink, so what found nothing finds
    // nothing again until a candidate of it goes.
    Pending nakedSets[3], hiddenSets[3];
    Mask fishDigits[2] = {0, 0};
    bool broken = false;
};

// A solve in progress: the state it changes and the clues it works from.
struct Solve : State {
    Solve(const Geometry& geometry, const ComboTable& comboTable);

    const Geometry& g;
    const ComboTable& table;
    Killer killer;
    std::vector<SumGroup> cages;    // per cage number
    std::vector<SumGroup> derived;  // the innie/outie groups that makeDerived has made
    std::vector<SumGroup> spareDerived;  // those of clues before, whose storage new ones take
    std::vector<std::uint64_t> unitsOf;  // per cell, its units as bits
    BitRows derivedOf;    // per cell, the derived groups holding it
    BitRows derivedNear;  // per cell, the derived groups sharing a cage with it
    BitRows ofKind;       // per group kind, the derived groups of that kind
    BitRows acrossOf;     // per cell, the cages with a cell in one of its units
    // Per cage, what the last search of combinations across units there
    // started from, and the support it found.
    std::vector<std::vector<std::uint32_t>> acrossMemo;
    int derivedUnits = 0;  // longest run of units whose groups are made (0: none yet)
    // The same for overlapping cages, kOverlapSlots per derived group: one
    // for each of its first cages in the order they are met.
    static constexpr int kOverlapSlots = 5;
    std::vector<std::vector<std::uint32_t>> overlapMemo;
    // Per unit, side entries apiece: the candidates of its cells when hidden
    // subsets last took the places of its digits, and those places.
    std::vector<Mask> placesFrom;
    std::vector<unsigned> places;
    bool haveAcross = false;

    // Applies the easiest technique up to maxLevel that makes progress, and
    // notes its changes; returns the technique, or -1 if none makes progress.
    int step(int maxLevel);
    // Marks the units, cage and groups of every cell that changed as pending.
    void noteChanges();
    // Counts a cell of a single candidate as placed.
    void place(int cell) {
        placed[cell] = 1;
        ++placedCount;
        for (int u : g.unitsOfCell[cell]) placedIn[u] |= cand[cell];
    }
    // Sets a cell's candidates.
    void write(int cell, Mask m) {
        cand[cell] = m;
        changed.add(cell);
    }

    // The steps, recorded when trace is set. A technique marks each place
    // as it starts work there (when tracing()), so that what changes from
    // then on is that place's doing. Steps within a step (a forcing chain's
    // trials) are not recorded.
    std::vector<Step>* trace = nullptr;
    bool tracing() const { return trace && depth_ == 1; }
    void mark(Place::Kind kind, int index, std::vector<int> members = {}, int value = 0);

    // Takes digits from a cell's candidates; true when some were there.
    bool remove(int cell, Mask digits) {
        const Mask m = cand[cell] & static_cast<Mask>(~digits);
        if (m == cand[cell]) return false;
        cand[cell] = m;
        singles.add(cell);
        changed.add(cell);
        if (!m) broken = true;
        return true;
    }

    Filter filterOne(const SumGroup& group, Mask* digitsNeeded = nullptr) {
        const Filter f = filterGroup(cand.data(), group, table, digitsNeeded);
        if (f == Filter::Broken) broken = true;
        if (f != Filter::Same)
            for (int c : group.cells) changed.add(c);
        return f;
    }

    // Makes the innie/outie groups of runs of up to units units when a
    // technique first needs them. Those of single units come first in the
    // list and are all that a solve kept to LEVEL-2 needs; a harder solve
    // makes the rest with them, or appends them when a harder technique
    // first looks, before any has looked at them, so the list and what is
    // pending are as if made at once.
    void makeDerived(int units = kMaxSide) {
        if (derivedUnits < units) buildDerived(levelCap <= 2 ? units : kMaxSide);
    }
    int levelCap = kLevels;  // the hardest level the solve may use

    // The open cells of a group, ascending, and the sum they still need.
    int openCells(const std::vector<int>& cells, int sum, int* open, int& n) const {
        n = 0;
        for (int c : cells) {
            if (placed[c]) sum -= digitOf(cand[c]);
            else open[n++] = c;
        }
        return sum;
    }

    // Calls f(cage, cageOpen, m, cageNeed, shared) for each cage that holds an
    // open cell of the group open[0..n), until f returns true.
    template <class F>
    bool eachCageOf(const int* open, int n, F f) {
        int cageOpen[kMaxSide];
        for (int i = 0; i < n; ++i) {
            const int cage = killer.cageOf[open[i]];
            if (std::any_of(open, open + i, [&](int c) { return killer.cageOf[c] == cage; })) continue;
            int m = 0;
            const int need = openCells(cages[cage].cells, cages[cage].sum, cageOpen, m);
            const int shared = static_cast<int>(std::count_if(open, open + n, [&](int c) { return killer.cageOf[c] == cage; }));
            if (f(cage, cageOpen, m, need, shared)) return true;
        }
        return false;
    }

private:
    void buildDerived(int units);
    void closePlace();  // gives the place marked last the changes since

    int depth_ = 0;  // steps under way
    Step recording_;
    std::vector<Mask> before_;  // the candidates when the last place was marked
};

}  // namespace sumgrid::engine::grading
