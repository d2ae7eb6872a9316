#include "solver.h"

#include <algorithm>

namespace sumgrid::engine {

Solver::Solver(const Killer& killer, SolverOptions options) : options_(options) {
    if (!checkKiller(killer).empty()) return;
    killer_ = killer;
    geo_ = geometryFor(killer.side);
    table_ = &comboTableFor(killer.side);
    groups_ = cageGroups(*geo_, killer);
    firstDerived_ = static_cast<int>(geo_->units.size() + groups_.size());
    buildLists();
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
    constraintStart_.assign(cells + 1, 0);
    for (int c = 0; c < cells; ++c) constraintStart_[c + 1] = static_cast<int>(geo_->unitsOfCell[c].size());
    for (const SumGroup& s : groups_)
        for (int c : s.cells) ++constraintStart_[c + 1];
    for (int c = 0; c < cells; ++c) constraintStart_[c + 1] += constraintStart_[c];
    constraintList_.assign(constraintStart_[cells], 0);
    std::vector<int> fill(constraintStart_.begin(), constraintStart_.end() - 1);
    for (int c = 0; c < cells; ++c)
        for (int u : geo_->unitsOfCell[c]) constraintList_[fill[c]++] = u;
    for (int i = 0; i < static_cast<int>(groups_.size()); ++i)
        for (int c : groups_[i].cells) constraintList_[fill[c]++] = units + i;
    const std::size_t total = units + groups_.size();
    cheap_.items.assign(total + 1, 0);
    dear_.items.assign(total + 1, 0);
    cheap_.head = cheap_.tail = dear_.head = dear_.tail = 0;
    queued_.assign(total, 0);
}

void Solver::touch(int cell) {
    // Branch-free: the pattern of which constraints are queued already is
    // different in every puzzle.
    for (int i = constraintStart_[cell]; i < constraintStart_[cell + 1]; ++i) {
        const int k = constraintList_[i];
        const bool fresh = !queued_[k];
        queued_[k] = 1;
        Ring& ring = k < firstDerived_ ? cheap_ : dear_;
        ring.items[ring.tail] = k;
        const std::size_t next = ring.tail + 1 == ring.items.size() ? 0 : ring.tail + 1;
        ring.tail = fresh ? next : ring.tail;
    }
}

static inline Mask ifSingle(Mask m) {
    return static_cast<Mask>(m & -static_cast<Mask>(singleBit(m)));
}

bool Solver::runUnit(Mask* c, int u) {
    const auto& unit = geo_->units[u];
    Mask fixed = 0, clash = 0, once = 0, twice = 0;
    for (int x : unit) {
        const Mask m = c[x];
        const Mask single = ifSingle(m);
        const Mask open = m ^ single;
        clash |= fixed & single;
        fixed |= single;
        twice |= once & open;
        once |= open;
    }
    if (clash) return false;
    if (once & fixed) {
        // Fixed digits still stand as candidates elsewhere: remove them.
        once = twice = 0;
        bool empty = false;
        for (int x : unit) {
            const Mask m = c[x];
            const Mask single = ifSingle(m);
            const Mask n = static_cast<Mask>(m & ~(fixed & ~single));
            empty |= n == 0;
            if (n != m) {
                c[x] = n;
                touch(x);
            }
            const Mask open = static_cast<Mask>(n & ~single);
            twice |= once & open;
            once |= open;
        }
        if (empty) return false;
    }
    if ((once | fixed) != geo_->all) return false;
    for (Mask hidden = once & static_cast<Mask>(~(twice | fixed)); hidden; hidden &= hidden - 1) {
        const Mask bit = hidden & -hidden;
        for (int x : unit)
            if (c[x] & bit) {
                if (!singleBit(c[x])) {
                    c[x] = bit;
                    touch(x);
                }
                break;
            }
    }
    return true;
}

bool Solver::runGroup(Mask* c, int i) {
    const SumGroup& s = groups_[i];
    Mask before[kMaxCells];
    const int n = static_cast<int>(s.cells.size());
    for (int j = 0; j < n; ++j) before[j] = c[s.cells[j]];
    Mask required = 0;
    const Filter f = filterGroup(c, s, *table_, &required);
    if (f == Filter::Broken) return false;
    if (f == Filter::Changed)
        for (int j = 0; j < n; ++j)
            if (c[s.cells[j]] != before[j]) touch(s.cells[j]);
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
        for (int x : s.cells) {
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
    for (int x : s.cells) mark_[x] = token_;
    for (int k = 0; k < found; ++k)
        for (int x : g.units[units[k]]) {
            const Mask hit = c[x] & elim[k];
            if (!hit || mark_[x] == token_) continue;
            const Mask m = c[x] & static_cast<Mask>(~hit);
            if (!m) return false;
            c[x] = m;
            touch(x);
        }
    return true;
}

bool Solver::propagate(Mask* c) {
    const int units = static_cast<int>(geo_->units.size());
    bool ok = true;
    while (!cheap_.empty() || !dear_.empty()) {
        const int k = cheap_.empty() ? dear_.pop() : cheap_.pop();
        queued_[k] = 0;
        if (!ok) continue;  // drain the queue after a contradiction
        ok = k < units ? runUnit(c, k) : runGroup(c, k - units);
    }
    return ok;
}

void Solver::search(int depth, int branchCell) {
    ++nodes_;
    const int cells = geo_->cells;
    Mask* c = &stack_[static_cast<std::size_t>(depth) * cells];
    if (branchCell < 0) {
        for (std::size_t k = 0; k < queued_.size(); ++k) {
            queued_[k] = 1;
            (static_cast<int>(k) < firstDerived_ ? cheap_ : dear_).push(static_cast<int>(k));
        }
    } else {
        touch(branchCell);
    }
    if (!propagate(c)) return;
    // While units and cages alone do not settle the grid, bring in the rule
    // of 45 before searching: one unit at a time first, then runs of units.
    while (branchCell < 0 && stage_ < 2 && options_.useDerivedGroups &&
           !std::all_of(c, c + cells, [](Mask m) { return singleBit(m); })) {
        const std::size_t before = groups_.size();
        if (stage_++ == 0) addDerivedGroups(1, 1);
        else addDerivedGroups(2, options_.derivedMaxUnits);
        const int units = static_cast<int>(geo_->units.size());
        for (std::size_t k = before; k < groups_.size(); ++k) {
            queued_[units + k] = 1;
            dear_.push(static_cast<int>(units + k));
        }
        if (!propagate(c)) return;
    }
    // Branch on a cell with fewest candidates: the first with two if any.
    int best = -1;
    for (int i = 0; i < cells; ++i) {
        const unsigned rest = c[i] & (c[i] - 1u);
        if (rest && singleBit(rest)) {
            best = i;
            break;
        }
    }
    if (best < 0) {
        int bestCount = 99;
        for (int i = 0; i < cells; ++i) {
            const int n = popcount(c[i]);
            if (n > 1 && n < bestCount) {
                best = i;
                bestCount = n;
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
    std::fill(stack_.get(), stack_.get() + geo_->cells, geo_->all);
    cheap_.head = cheap_.tail = dear_.head = dear_.tail = 0;
    search(0, -1);
    return count_;
}

int countSolutions(const Killer& killer, int limit) {
    Solver s(killer);
    return s.count(limit);
}

}  // namespace sumgrid::engine
