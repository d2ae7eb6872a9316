#include "solver.h"

#include <algorithm>
#include <cstring>

namespace sumgrid::engine {

Solver::Solver(const Killer& killer, SolverOptions options) : options_(options) {
    if (!checkKiller(killer).empty()) return;
    killer_ = killer;
    geo_ = geometryFor(killer.side);
    table_ = &comboTableFor(killer.side);
    groups_ = cageGroups(*geo_, killer);
    firstDerived_ = static_cast<int>(geo_->units.size() + groups_.size());
    buildLists();
    // Each unit's cells padded to 16 with its first cell, whose lanes
    // laneKeep_ clears.
    const int side = geo_->side;
    unitWords_ = (side + 3) / 4;
    unitCells_.resize(geo_->units.size() * 16);
    std::uint16_t* padded = unitCells_.data();
    for (const auto& unit : geo_->units)
        for (int i = 0; i < 16; ++i) *padded++ = static_cast<std::uint16_t>(unit[i < side ? i : 0]);
    for (int w = 0; w < 4; ++w)
        for (int lane = 0; lane < 4; ++lane)
            if (4 * w + lane < side) laneKeep_[w] |= std::uint64_t{0xFFFF} << 16 * lane;
    stack_.reset(new Mask[static_cast<std::size_t>(geo_->cells + 1) * geo_->cells]);
    mark_.assign(geo_->cells, 0);
}

void Solver::addDerivedGroups(int minUnits, int maxUnits) {
    auto more = derivedGroups(*geo_, killer_, options_.derivedMaxCells, options_.derivedMaxLoose, minUnits,
                              maxUnits);
    groups_.insert(groups_.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
    buildLists();
}

void Solver::buildLists() {
    const int cells = geo_->cells;
    const int units = static_cast<int>(geo_->units.size());
    const std::size_t total = units + groups_.size();
    words_ = (total + 63) / 64;
    cellBits_.assign(static_cast<std::size_t>(cells) * words_, 0);
    degree_.assign(cells, 0);
    std::uint64_t* bits = cellBits_.data();
    for (int c = 0; c < cells; ++c)
        for (int u : geo_->unitsOfCell[c]) {  // the units all lie in the first word
            bits[c * words_] |= std::uint64_t{1} << u;
            ++degree_[c];
        }
    for (std::size_t i = 0; i < groups_.size(); ++i) {
        const std::size_t k = units + i;
        for (int c : groups_[i].cells) {
            bits[c * words_ + k / 64] |= std::uint64_t{1} << (k % 64);
            ++degree_[c];
        }
    }
    pending_.assign(words_, 0);
    round_.assign(words_, 0);
}

void Solver::settle(int k) {
    pending_[static_cast<std::size_t>(k) / 64] &= ~(std::uint64_t{1} << (k % 64));
}

void Solver::touch(int cell, bool changed) {
    // Without a branch, for callers whose cells change unpredictably.
    const std::uint64_t* bits = &cellBits_[cell * words_];
    const std::uint64_t all = -static_cast<std::uint64_t>(changed);
    for (std::size_t w = 0; w < words_; ++w) pending_[w] |= bits[w] & all;
}

// The sum of the digits of a mask, a byte at a time.
struct DigitSums {
    int low[256] = {}, high[128] = {};
    constexpr DigitSums() {
        for (int m = 1; m < 256; ++m) low[m] = low[m & (m - 1)] + __builtin_ctz(m) + 1;
        for (int m = 1; m < 128; ++m) high[m] = high[m & (m - 1)] + __builtin_ctz(m) + 9;
    }
};
constexpr DigitSums kDigitSums;
static inline int digitSum(Mask m) { return kDigitSums.low[m & 0xFF] + kDigitSums.high[m >> 8 & 0x7F]; }

// Bit 15 of each lane that is not 0, of each that holds one digit.
static inline std::uint64_t nonZero(std::uint64_t m) { return ((m | kLaneHigh) - kLaneLow) & kLaneHigh; }
static inline std::uint64_t oneDigit(std::uint64_t m) {
    const std::uint64_t less = (m | kLaneHigh) - kLaneLow;  // m - 1, bit 15 set where m is not 0
    return ~(((m & less) | kLaneHigh) - kLaneLow) & less & kLaneHigh;
}
// The whole lanes whose bit 15 is set.
static inline std::uint64_t widen(std::uint64_t high) { return (high >> 15) * 0xFFFF; }

bool Solver::runUnit(Mask* c, int u) {
    // The unit's candidates four to a word, each lane on its own: which
    // digits are fixed (in two cells: a clash), and which are open in one
    // cell or more (once) and in two or more (twice).
    const std::uint16_t* cells = &unitCells_[static_cast<std::size_t>(u) * 16];
    std::uint64_t word[4], single[4];
    std::uint64_t fixed4 = 0, clash4 = 0, once4 = 0, twice4 = 0;
    for (int w = 0; w < unitWords_; ++w) {
        const std::uint16_t* x = cells + 4 * w;
        const std::uint64_t m = (c[x[0]] | std::uint64_t{c[x[1]]} << 16 | std::uint64_t{c[x[2]]} << 32 |
                                 std::uint64_t{c[x[3]]} << 48) & laneKeep_[w];
        single[w] = m & widen(oneDigit(m));
        const std::uint64_t open = m ^ single[w];
        word[w] = m;
        clash4 |= fixed4 & single[w];
        fixed4 |= single[w];
        twice4 |= once4 & open;
        once4 |= open;
    }
    for (int shift = 32; shift >= 16; shift -= 16) {  // the lanes folded into the lowest
        clash4 |= clash4 >> shift | (fixed4 & fixed4 >> shift);
        fixed4 |= fixed4 >> shift;
        twice4 |= twice4 >> shift | (once4 & once4 >> shift);
        once4 |= once4 >> shift;
    }
    Mask fixed = static_cast<Mask>(fixed4), once = static_cast<Mask>(once4), twice = static_cast<Mask>(twice4);
    if (static_cast<Mask>(clash4)) return false;
    bool fresh = false;  // a cell became fixed here
    if (once & fixed) {
        // Fixed digits still stand as candidates elsewhere: remove them.
        // Every open cell loses the same digits, so what is left open once
        // and twice loses just those too.
        once &= static_cast<Mask>(~fixed);
        twice &= static_cast<Mask>(~fixed);
        if (!clearFixed(c, cells, word, single, fixed, fresh)) return false;
    }
    if ((once | fixed) != geo_->all) return false;
    const Mask hidden = once & static_cast<Mask>(~(twice | fixed));
    // Nothing fixed here and no hidden single: running the unit again would
    // change nothing until one of its cells changes elsewhere.
    if (!fresh && !hidden) settle(u);
    for (Mask rest = hidden; rest; rest &= rest - 1) {
        // The one cell that still may take the digit, unless an earlier
        // hidden single took that cell.
        const Mask bit = rest & -rest;
        for (int w = 0; w < unitWords_; ++w) {
            const std::uint64_t at = word[w] & bit * kLaneLow;
            if (!at) continue;
            const int lane = __builtin_ctzll(at) / 16;
            const std::uint64_t laneBits = std::uint64_t{0xFFFF} << 16 * lane;
            if (!oneDigit(word[w] & laneBits)) {
                word[w] = (word[w] & ~laneBits) | (at & laneBits);
                c[cells[4 * w + lane]] = bit;
                touch(cells[4 * w + lane]);
            }
            break;
        }
    }
    return true;
}

// Removes the fixed digits from the open cells of a unit, given four to a
// word with its single-digit lanes; false when a cell is left without a
// digit. fresh is set when a cell is left with one. The cells are written
// back and marked without a branch on which of them changed.
bool Solver::clearFixed(Mask* c, const std::uint16_t* cells, std::uint64_t* word, const std::uint64_t* single,
                        Mask fixed, bool& fresh) {
    const std::uint64_t drop = fixed * kLaneLow;
    std::uint64_t empty = 0, changed[4];
    for (int w = 0; w < unitWords_; ++w) {
        const std::uint64_t m = word[w], n = m & ~(drop & ~single[w]);
        changed[w] = nonZero(m ^ n);
        empty |= ~nonZero(n) & laneKeep_[w] & kLaneHigh;
        fresh |= (changed[w] & oneDigit(n)) != 0;
        word[w] = n;
    }
    for (int i = 0; i < geo_->side; ++i) {
        const int shift = 16 * (i % 4);
        c[cells[i]] = static_cast<Mask>(word[i / 4] >> shift);
        touch(cells[i], (changed[i / 4] >> shift & 0x8000) != 0);
    }
    return empty == 0;
}

// Filters a distinct group through the combinations of its open cells: the
// digits placed in it are set aside with their sum, which leaves fewer and
// shorter combinations to try than the whole group has. False when no
// combination fits; required receives the open digits that all that fit hold
// and two open cells or more still may take, open[0..n) the open cells,
// gaveDigit whether it left a cell a single digit.
bool Solver::filterOpen(Mask* c, const SumGroup& s, Mask* required, int* open, int& n, bool& gaveDigit) {
    gaveDigit = false;
    if (s.cells.size() > static_cast<std::size_t>(kMaxSide)) return false;
    // The open cells' candidates four to a word, 16 bits a cell; spare lanes
    // hold every digit so that they meet any combination.
    Mask lanes[16] = {0x7FFF, 0x7FFF, 0x7FFF, 0x7FFF, 0x7FFF, 0x7FFF, 0x7FFF, 0x7FFF,
                      0x7FFF, 0x7FFF, 0x7FFF, 0x7FFF, 0x7FFF, 0x7FFF, 0x7FFF, 0x7FFF};
    int sum = s.sum;
    n = 0;
    Mask fixed = 0, clash = 0, present = 0;
    for (int x : s.cells) {
        // Without a branch: a placed cell's lane is taken by the next open one.
        const Mask m = c[x];
        const Mask single = ifSingle(m);
        clash |= fixed & single;
        fixed |= single;
        present |= m ^ single;
        lanes[n] = m;
        open[n] = x;
        n += single == 0;
    }
    lanes[n] = 0x7FFF;
    *required = 0;
    if (clash) return false;
    sum -= digitSum(fixed);  // the placed digits, each once
    if (n == 0) return sum == 0;  // placed throughout: only the sum is left to check
    std::uint64_t packed[4];
    std::memcpy(packed, lanes, sizeof packed);
    const int words = (n + 3) / 4;
    const Mask outside = fixed | static_cast<Mask>(~present);
    Mask allowed = 0, needed = static_cast<Mask>(~0u);
    for (Mask combo : table_->combos(n, sum)) {
        // It must miss the placed digits, use only candidates of the open
        // cells and meet every open cell (no lane of packed & combo is zero).
        const std::uint64_t missed = lanesWithout(packed, words, combo);
        const bool fits = (combo & outside) == 0 && missed == 0;
        const Mask take = static_cast<Mask>(-static_cast<Mask>(fits));
        allowed |= combo & take;
        needed &= static_cast<Mask>(combo | ~take);
    }
    if (!allowed) return false;
    Mask once = 0, twice = 0;  // the digits left in one open cell or more, in two or more
    for (int i = 0; i < n; ++i) {
        const Mask keep = c[open[i]] & allowed;
        if (!keep) return false;
        if (keep != c[open[i]]) {
            gaveDigit |= singleBit(keep);
            c[open[i]] = keep;
            touch(open[i]);
        }
        twice |= once & keep;
        once |= keep;
    }
    // A digit every combination holds with one place left goes there.
    if (needed & ~once) return false;
    *required = needed & twice;
    for (Mask rest = needed & static_cast<Mask>(~twice); rest; rest &= rest - 1) {
        const Mask bit = rest & -rest;
        int i = 0;
        while (i < n && !(c[open[i]] & bit)) ++i;
        if (i == n) return false;  // its one place took another digit
        if (c[open[i]] != bit) {
            gaveDigit = true;
            c[open[i]] = bit;
            touch(open[i]);
        }
    }
    return true;
}

bool Solver::runGroup(Mask* c, int i) {
    const SumGroup& s = groups_[i];
    if (!s.distinct) {
        // Cells that may repeat a digit: filtered by search or bounds, with
        // no digits that the group must hold.
        const int n = static_cast<int>(s.cells.size());
        Mask before[kMaxCells];
        for (int j = 0; j < n; ++j) before[j] = c[s.cells[j]];
        const Filter f = filterGroup(c, s, *table_);
        if (f == Filter::Changed)
            for (int j = 0; j < n; ++j)
                if (c[s.cells[j]] != before[j]) touch(s.cells[j]);
        return f != Filter::Broken;
    }
    Mask required = 0;
    int open[kMaxSide], n = 0;
    bool gaveDigit = false;
    if (!filterOpen(c, s, &required, open, n, gaveDigit)) return false;
    // Filtered again, the group would keep what it has, unless one of its
    // cells got a digit: then fewer cells share a smaller sum.
    if (!gaveDigit) settle(static_cast<int>(geo_->units.size()) + i);
    // A digit the group must hold, with all its places in one row, column or
    // box, leaves the rest of that unit. Digits are gathered per unit first,
    // so that each unit is swept once.
    const Geometry& g = *geo_;
    int units[3 * kMaxSide];
    Mask elim[3 * kMaxSide];
    int found = 0;
    auto note = [&](int u, Mask bit) {
        for (int k = 0; k < found; ++k)
            if (units[k] == u) {
                elim[k] |= bit;
                return;
            }
        units[found] = u;
        elim[found++] = bit;
    };
    const std::uint64_t* unitBits = g.unitBits.data();
    for (; required; required &= required - 1) {
        const Mask bit = required & -required;
        std::uint64_t touched = 0;
        int places = 0, first = 0;
        for (int j = 0; j < n; ++j) {
            const int x = open[j];
            const bool has = (c[x] & bit) != 0;
            touched |= unitBits[x] & -static_cast<std::uint64_t>(has);
            places += has;
            first = has ? x : first;
        }
        if (places < 2) continue;  // placed or a hidden single: the units see to it
        if (singleBit(static_cast<unsigned>(touched & 0xFFFF))) note(g.row(first), bit);
        if (singleBit(static_cast<unsigned>(touched >> 16 & 0xFFFF))) note(g.side + g.col(first), bit);
        if (singleBit(static_cast<unsigned>(touched >> 32 & 0xFFFF))) note(2 * g.side + g.box(first), bit);
    }
    if (found == 0) return true;
    ++token_;
    for (int j = 0; j < n; ++j) mark_[open[j]] = token_;  // placed cells hold no digit of elim
    for (int k = 0; k < found; ++k)
        for (int x : g.units[units[k]]) {
            // Usually all of it is gone already: one test that rarely passes.
            const Mask hit = c[x] & static_cast<Mask>(elim[k] & -static_cast<Mask>(mark_[x] != token_));
            if (!hit) continue;
            const Mask m = c[x] & static_cast<Mask>(~hit);
            if (!m) return false;
            c[x] = m;
            touch(x);
        }
    return true;
}

bool Solver::propagate(Mask* c) {
    // Rounds: every constraint pending at the start of a round runs once, so
    // that a unit that several changes touched is swept only once. The
    // derived groups run only in rounds where nothing cheaper is pending.
    const int units = static_cast<int>(geo_->units.size());
    const std::size_t cheapWords = (firstDerived_ + 63) / 64;
    const std::uint64_t lastCheap = firstDerived_ % 64 ? (std::uint64_t{1} << (firstDerived_ % 64)) - 1 : ~std::uint64_t{0};
    std::uint64_t* round = round_.data();
    for (;;) {
        bool any = false;
        for (std::size_t w = 0; w < cheapWords; ++w) {
            const std::uint64_t keep = w + 1 == cheapWords ? lastCheap : ~std::uint64_t{0};
            round[w] = pending_[w] & keep;
            pending_[w] &= ~keep;
            any |= round[w] != 0;
        }
        std::size_t from = 0, to = cheapWords;
        if (!any) {
            for (std::size_t w = cheapWords - 1; w < words_; ++w) {
                round[w] = pending_[w];
                pending_[w] = 0;
                any |= round[w] != 0;
            }
            if (!any) return true;
            from = cheapWords - 1;
            to = words_;
        }
        for (std::size_t w = from; w < to; ++w)
            for (std::uint64_t bits = round[w]; bits; bits &= bits - 1) {
                const int k = static_cast<int>(w * 64) + __builtin_ctzll(bits);
                if (!(k < units ? runUnit(c, k) : runGroup(c, k - units))) {
                    std::fill(pending_.begin(), pending_.end(), 0);
                    return false;
                }
            }
    }
}

void Solver::search(int depth, int branchCell) {
    ++nodes_;
    const int cells = geo_->cells;
    Mask* c = &stack_[static_cast<std::size_t>(depth) * cells];
    if (branchCell < 0) {
        const std::size_t total = geo_->units.size() + groups_.size();
        for (std::size_t k = 0; k < total; ++k) pending_[k / 64] |= std::uint64_t{1} << (k % 64);
    } else {
        touch(branchCell);
    }
    if (!propagate(c)) return;
    // When units and cages alone do not settle the grid, bring in the rule of
    // 45 before searching: the groups of single units and of runs of units
    // together, found in one pass over the grid.
    if (branchCell < 0 && !derived_ && options_.useDerivedGroups &&
        !std::all_of(c, c + cells, [](Mask m) { return singleBit(m); })) {
        derived_ = true;
        const std::size_t before = groups_.size();
        addDerivedGroups(1, options_.derivedMaxUnits);
        const std::size_t units = geo_->units.size();
        for (std::size_t k = units + before; k < units + groups_.size(); ++k)
            pending_[k / 64] |= std::uint64_t{1} << (k % 64);
        if (!propagate(c)) return;
    }
    // Branch on a cell with fewest candidates, and among those on one in the
    // most groups: its digit settles the most, so the tree stays small. Cells
    // with two candidates are the common case and are found without counting.
    int best = -1;
    for (int i = 0; i < cells; ++i) {
        const unsigned rest = c[i] & (c[i] - 1u);
        if (rest && singleBit(rest) && (best < 0 || degree_[i] > degree_[best])) best = i;
    }
    if (best < 0) {
        int fewest = 99;
        for (int i = 0; i < cells; ++i) {
            const int n = popcount(c[i]);
            if (n > 1 && (n < fewest || (n == fewest && degree_[i] > degree_[best]))) {
                best = i;
                fewest = n;
            }
        }
    }
    if (best < 0) {
        ++count_;
        if (found_.size() < 2) {
            std::vector<int> grid(cells);
            for (int i = 0; i < cells; ++i) grid[i] = digitOf(c[i]);
            found_.push_back(std::move(grid));
        }
        return;
    }
    Mask* next = c + cells;
    for (Mask m = c[best]; m && count_ < limit_; m &= m - 1) {
        std::copy(c, c + cells, next);
        next[best] = m & -m;
        search(depth + 1, best);
    }
}

int Solver::count(int limit) {
    found_.clear();
    count_ = 0;
    nodes_ = 0;
    if (!geo_ || limit < 1) return 0;
    limit_ = limit;
    // Each cell starts with the digits its cage's combinations use.
    for (std::size_t i = 0; i < killer_.sums.size(); ++i) {
        const SumGroup& cage = groups_[i];
        const Mask m = table_->digits(static_cast<int>(cage.cells.size()), cage.sum);
        for (int x : cage.cells) stack_[x] = m;
    }
    std::fill(pending_.begin(), pending_.end(), 0);
    search(0, -1);
    return count_;
}

int countSolutions(const Killer& killer, int limit) {
    Solver s(killer);
    return s.count(limit);
}

}  // namespace sumgrid::engine
