#include "grader.h"

#include <algorithm>
#include <cstring>

#include "grader_innies.h"
#include "grader_singles.h"
#include "grader_state.h"
#include "grader_subsets.h"
#include "groups.h"

namespace sumgrid::engine {

namespace {

struct TechniqueInfo {
    const char* name;
    int level;
};

constexpr TechniqueInfo kTechniques[kTechniqueCount] = {
    {"naked single", 1},
    {"hidden single", 1},
    {"cage combinations", 1},
    {"innies/outies of one unit", 2},
    {"pointing and claiming", 2},
    {"innies/outies of two units", 3},
    {"naked pair", 3},
    {"hidden pair", 3},
    {"innies/outies of 3+ units", 4},
    {"cage splitting", 4},
    {"naked triple", 4},
    {"hidden triple", 4},
    {"x-wing", 4},
    {"swordfish", 4},
    {"naked quad", 4},
    {"hidden quad", 4},
    {"combinations across units", 5},
    {"overlapping cages", 5},
    {"forcing chain", 5},
};

}  // namespace

const char* techniqueName(Technique t) { return kTechniques[static_cast<int>(t)].name; }

int techniqueLevel(Technique t) { return kTechniques[static_cast<int>(t)].level; }

int Grade::steps() const {
    int n = 0;
    for (int t = 0; t < kTechniqueCount; ++t)
        if (techniqueLevel(static_cast<Technique>(t)) == level) n += uses[t];
    return n;
}

namespace grading {

Solve::Solve(const Geometry& geometry, const ComboTable& comboTable) : g(geometry), table(comboTable) {
    static_assert(3 * kMaxSide <= 64, "the units of a grid fit one word");
    unitsOf.assign(g.cells, 0);
    for (int c = 0; c < g.cells; ++c)
        for (int u : g.unitsOfCell[c]) unitsOf[c] |= std::uint64_t{1} << u;
}

// ------------------------------------------------------------ LEVEL-5: fillings weighed against the grid, forcing chains

namespace {

// Most ways of filling a cage, or a cage and an overlapping group, that the
// level-5 techniques look through: a person weighs only a few combinations.
constexpr long kFillingLimit = 100000;

// Depth-first search through the ways of filling a few cells: each cell takes
// one of its candidates, cells marked to differ take different digits, and two
// subsets of the cells reach their sums (an empty subset sums to 0). A check
// sees each digit as it is placed (place may refuse it; unplace follows
// either way) and each complete filling (fits); support gathers, per cell,
// the digits of the fillings it accepts. The search stops once every
// candidate has support.
struct Fillings {
    static constexpr int kMax = 32;
    int n = 0;
    Mask cand[kMax];
    std::uint32_t differ[kMax];  // bit j: the cell must differ from cell j
    std::uint32_t member[2] = {0, 0};
    int target[2] = {0, 0};
    int value[kMax];
    Mask support[kMax];
    int minRest[2][kMax + 1], maxRest[2][kMax + 1];
    bool full = false;  // every candidate has support: nothing to learn

    // Whether the cells have few enough ways to be filled to search them all.
    bool small() const {
        long ways = 1;
        for (int i = 0; i < n && ways <= kFillingLimit; ++i) ways *= popcount(cand[i]);
        return ways <= kFillingLimit;
    }

    template <class Check>
    void run(Check& check) {
        for (int k = 0; k < 2; ++k) {
            minRest[k][n] = maxRest[k][n] = 0;
            for (int i = n - 1; i >= 0; --i) {
                const bool in = member[k] >> i & 1u;
                minRest[k][i] = minRest[k][i + 1] + (in ? digitOf(cand[i] & -cand[i]) : 0);
                maxRest[k][i] = maxRest[k][i + 1] + (in ? 32 - __builtin_clz(cand[i]) : 0);
            }
        }
        std::fill(support, support + n, Mask{0});
        full = false;
        go(0, 0, 0, check);
    }

    template <class Check>
    void go(int i, int sum0, int sum1, Check& check) {
        if (i == n) {
            if (!check.fits(value)) return;
            bool grew = false;
            for (int j = 0; j < n; ++j) {
                grew = grew || !(support[j] & digitBit(value[j]));
                support[j] |= digitBit(value[j]);
            }
            full = grew && std::equal(support, support + n, cand);
            return;
        }
        Mask taken = 0;
        for (std::uint32_t m = differ[i] & ((1u << i) - 1); m; m &= m - 1) taken |= digitBit(value[__builtin_ctz(m)]);
        const int in0 = member[0] >> i & 1u, in1 = member[1] >> i & 1u;
        for (Mask m = cand[i] & static_cast<Mask>(~taken); m && !full; m &= m - 1) {
            const int d = __builtin_ctz(m) + 1;
            const int s0 = sum0 + in0 * d, s1 = sum1 + in1 * d;
            if (s0 + minRest[0][i + 1] > target[0] || s0 + maxRest[0][i + 1] < target[0]) continue;
            if (s1 + minRest[1][i + 1] > target[1] || s1 + maxRest[1][i + 1] < target[1]) continue;
            value[i] = d;
            if (check.place(i, d)) go(i + 1, s0, s1, check);
            check.unplace(i);
        }
    }
};

// A check that accepts every filling.
struct AnyFilling {
    bool place(int, int) { return true; }
    void unplace(int) {}
    bool fits(const int*) { return true; }
};

// Narrows each cell to the digits of the fillings found; true on a change.
// No filling at all is a contradiction.
bool keepSupported(Solve& s, const Fillings& f, const int* cells) {
    bool progress = false;
    for (int i = 0; i < f.n; ++i) {
        const Mask m = s.cand[cells[i]] & f.support[i];
        if (!m) s.broken = true;
        progress = progress || m != s.cand[cells[i]];
        s.cand[cells[i]] = m;
    }
    return progress;
}

// The check of combinations across units: the open cells outside the cage
// that see a cage cell (watched) lose each digit placed in a cage cell they see.
struct AcrossUnits {
    int watched = 0, units = 0;
    Mask left[kMaxCells];                        // per watched cell
    std::vector<int> seers[kMaxSide];            // per cage cell, the watched cells that see it
    Mask saved[kMaxSide][kMaxCells];
    Mask placed[kMaxSide];
    Mask need[3 * kMaxSide];                     // per crossed unit, digits not yet placed
    std::uint32_t cageCells[3 * kMaxSide];       // per crossed unit, its cage cells (bits)
    std::vector<int> unitWatched[3 * kMaxSide];  // per crossed unit, its watched cells

    bool place(int i, int d) {
        placed[i] = digitBit(d);
        bool ok = true;
        for (std::size_t k = 0; k < seers[i].size(); ++k) {
            const int j = seers[i][k];
            saved[i][k] = left[j];
            left[j] &= static_cast<Mask>(~placed[i]);
            ok = ok && left[j] != 0;
        }
        // The units whose last cage cell this is.
        for (int u = 0; u < units && ok; ++u) {
            if (31 - __builtin_clz(cageCells[u]) != i) continue;
            Mask have = 0;
            for (std::uint32_t b = cageCells[u]; b; b &= b - 1) have |= placed[__builtin_ctz(b)];
            for (int j : unitWatched[u]) have |= left[j];
            ok = !(need[u] & static_cast<Mask>(~have));
        }
        return ok;
    }
    void unplace(int i) {
        for (std::size_t k = 0; k < seers[i].size(); ++k) left[seers[i][k]] = saved[i][k];
    }
    bool fits(const int*) const { return true; }
};

}  // namespace

// Every filling of a cage is held against the rows, columns and boxes it
// crosses. A filling that leaves a cell outside the cage without a
// candidate, or a unit without a place for a digit it still needs, is
// impossible.
bool combinationsAcrossUnits(Solve& s) {
    const Geometry& g = s.g;
    if (!s.haveAcross) {  // per cell, the cages of its units, for the pending set
        s.acrossOf.reset(g.cells, s.killer.cageCount());
        for (int c = 0; c < g.cells; ++c)
            for (int u : g.unitsOfCell[c])
                for (int x : g.units[u]) s.acrossOf.set(c, s.killer.cageOf[x]);
        s.across.fill(s.killer.cageCount());
        s.haveAcross = true;
    }
    Fillings f;
    AcrossUnits check;
    int open[kMaxSide];
    std::vector<int> watchIndex(g.cells);
    return s.across.any([&](int id) {
        const SumGroup& cage = s.cages[id];
        int n = 0;
        f.target[0] = s.openCells(cage.cells, cage.sum, open, n);
        s.across.drop(id);
        if (n < 2) return false;
        std::stable_sort(open, open + n, [&](int a, int b) { return popcount(s.cand[a]) < popcount(s.cand[b]); });
        f.n = n;
        f.member[0] = (1u << n) - 1;
        for (int i = 0; i < n; ++i) {
            f.cand[i] = s.cand[open[i]];
            f.differ[i] = f.member[0] & ~(1u << i);
        }
        check.watched = check.units = 0;
        std::fill(watchIndex.begin(), watchIndex.end(), -1);
        for (int i = 0; i < n; ++i) {
            check.seers[i].clear();
            for (int p : g.peers[open[i]]) {
                if (s.placed[p] || s.killer.cageOf[p] == id) continue;
                if (watchIndex[p] < 0) {
                    watchIndex[p] = check.watched;
                    check.left[check.watched++] = s.cand[p];
                }
                check.seers[i].push_back(watchIndex[p]);
            }
        }
        for (int u = 0; u < 3 * g.side; ++u) {
            const int k = check.units;
            check.need[k] = g.all;
            check.cageCells[k] = 0;
            check.unitWatched[k].clear();
            for (int c : g.units[u]) {
                if (s.placed[c]) check.need[k] &= static_cast<Mask>(~s.cand[c]);
                else if (watchIndex[c] >= 0) check.unitWatched[k].push_back(watchIndex[c]);
                for (int i = 0; i < n; ++i)
                    if (open[i] == c) check.cageCells[k] |= 1u << i;
            }
            check.units += check.cageCells[k] && !check.unitWatched[k].empty();
        }
        if (!f.small()) return false;
        f.run(check);
        if (!keepSupported(s, f, open)) return false;
        s.across.add(id);
        return true;
    });
}

// A derived group and a cage that share cells are filled together, both
// sums at once and every two cells that see each other or share a cage
// different.
bool overlappingCages(Solve& s) {
    const Geometry& g = s.g;
    Fillings f;
    AnyFilling any;
    int open[kMaxCells], cells[Fillings::kMax];
    s.makeDerived();
    return s.overlap.any([&](int i) {
        const SumGroup& group = s.derived[i];
        int n = 0;
        const int need = s.openCells(group.cells, group.sum, open, n);
        const bool found = s.eachCageOf(open, n, [&](int cage, const int* cageOpen, int m, int cageNeed, int shared) {
            if (shared == n || shared == m) return false;  // one inside the other: cage splitting
            // The shared cells first, then the rest of the smaller side,
            // so that one sum is complete early in the search.
            auto inCage = [&](int c) { return s.killer.cageOf[c] == cage; };
            auto inGroup = [&](int c) { return std::binary_search(open, open + n, c); };
            f.n = 0;
            for (int j = 0; j < n; ++j)
                if (inCage(open[j])) cells[f.n++] = open[j];
            const bool groupFirst = n <= m;
            for (int side = 0; side < 2; ++side) {
                const bool inGroupSide = (side == 0) == groupFirst;
                for (int j = 0; j < (inGroupSide ? n : m); ++j) {
                    const int c = inGroupSide ? open[j] : cageOpen[j];
                    if (!(inCage(c) && inGroup(c))) cells[f.n++] = c;
                }
            }
            f.member[0] = f.member[1] = 0;
            for (int j = 0; j < f.n; ++j) {
                f.cand[j] = s.cand[cells[j]];
                f.member[0] |= static_cast<std::uint32_t>(inGroup(cells[j])) << j;
                f.member[1] |= static_cast<std::uint32_t>(inCage(cells[j])) << j;
                f.differ[j] = 0;
                for (int k = 0; k < f.n; ++k)
                    if (k != j && ((g.unitBits[cells[j]] & g.unitBits[cells[k]]) ||
                                   s.killer.cageOf[cells[j]] == s.killer.cageOf[cells[k]]))
                        f.differ[j] |= 1u << k;
            }
            f.target[0] = need;
            f.target[1] = cageNeed;
            if (!f.small()) return false;
            f.run(any);
            return keepSupported(s, f, cells);
        });
        if (!found) s.overlap.drop(i);
        return found;
    });
}

// A cell with two candidates is tried with each, and the LEVEL-1 techniques
// followed to their end. A digit that breaks the grid is out; a candidate
// that neither way keeps is out.
bool forcingChains(Solve& s) {
    s.makeDerived();
    const State start = s;  // the state alone, to go back to
    std::vector<Mask> after[2];
    bool broke[2];
    for (int x = 0; x < s.g.cells; ++x) {
        if (popcount(start.cand[x]) != 2) continue;
        const Mask low = start.cand[x] & -start.cand[x];
        for (int pick = 0; pick < 2; ++pick) {
            s.cand[x] = pick == 0 ? low : static_cast<Mask>(start.cand[x] ^ low);
            s.noteChanges();
            while (!s.broken && s.step(1) >= 0) {
            }
            broke[pick] = s.broken;
            after[pick] = s.cand;
            static_cast<State&>(s) = start;
        }
        if (broke[0] || broke[1]) {
            s.broken = broke[0] && broke[1];
            s.cand[x] = broke[0] ? static_cast<Mask>(start.cand[x] ^ low) : low;
            return true;
        }
        bool progress = false;
        for (int c = 0; c < s.g.cells; ++c) {
            s.cand[c] = start.cand[c] & (after[0][c] | after[1][c]);
            progress = progress || s.cand[c] != start.cand[c];
        }
        if (progress) return true;
    }
    return false;
}

namespace {

bool apply(Solve& s, Technique t) {
    switch (t) {
        case Technique::NakedSingle: return nakedSingles(s);
        case Technique::HiddenSingle: return hiddenSingles(s);
        case Technique::CageCombination: return cageCombinations(s);
        case Technique::InniesOutiesOneUnit: return inniesOuties(s, GroupKind::UnitInOut);
        case Technique::Intersection: return intersections(s);
        case Technique::InniesOutiesTwoUnits: return inniesOuties(s, GroupKind::PairInOut);
        case Technique::NakedPair: return nakedSubsets(s, 2);
        case Technique::HiddenPair: return hiddenSubsets(s, 2);
        case Technique::InniesOutiesWide: return inniesOuties(s, GroupKind::WideInOut);
        case Technique::CageSplitting: return cageSplitting(s);
        case Technique::NakedTriple: return nakedSubsets(s, 3);
        case Technique::HiddenTriple: return hiddenSubsets(s, 3);
        case Technique::XWing: return fish(s, 2);
        case Technique::Swordfish: return fish(s, 3);
        case Technique::NakedQuad: return nakedSubsets(s, 4);
        case Technique::HiddenQuad: return hiddenSubsets(s, 4);
        case Technique::CombinationsAcrossUnits: return combinationsAcrossUnits(s);
        case Technique::OverlappingCages: return overlappingCages(s);
        case Technique::ForcingChain: return forcingChains(s);
    }
    return false;
}

}  // namespace

int Solve::step(int maxLevel) {
    for (int t = 0; t < kTechniqueCount && !broken; ++t) {
        const auto tech = static_cast<Technique>(t);
        if (techniqueLevel(tech) > maxLevel) break;
        if (apply(*this, tech)) {
            noteChanges();
            return t;
        }
    }
    return -1;
}

void Solve::noteChanges() {
    Mask gone = 0;  // digits that left some cell
    std::uint64_t units = 0;  // units that some changed cell lies in
    for (int c = 0; c < g.cells; ++c) {
        if (c + 4 <= g.cells && std::memcmp(&cand[c], &seen[c], 4 * sizeof(Mask)) == 0) {
            c += 3;  // four unchanged cells at once
            continue;
        }
        if (cand[c] == seen[c]) continue;
        gone |= seen[c] & static_cast<Mask>(~cand[c]);
        seen[c] = cand[c];
        singles.add(c);
        units |= unitsOf[c];
        if (haveAcross) across.addAll(acrossOf.row(c));
        combos.add(killer.cageOf[c]);
        pointCages.add(killer.cageOf[c]);
        if (haveDerived) {
            inOut.addAll(derivedOf.row(c));
            overlap.addAll(derivedNear.row(c));
        }
    }
    for (Pending* p : {&hidden, &pointUnits, &nakedSets[0], &nakedSets[1], &nakedSets[2], &hiddenSets[0],
                       &hiddenSets[1], &hiddenSets[2]})
        p->addAll(&units);
    fishDigits[0] |= gone;
    fishDigits[1] |= gone;
}

void Solve::buildDerived() {
    derived = derivedGroups(g, killer, 5, 5);
    const int n = static_cast<int>(derived.size());
    derivedOf.reset(g.cells, n);
    derivedNear.reset(g.cells, n);
    ofKind.reset(static_cast<int>(GroupKind::CageSplit) + 1, n);
    for (int i = 0; i < n; ++i) ofKind.set(static_cast<int>(derived[i].kind), i);
    for (int i = 0; i < n; ++i)
        for (int c : derived[i].cells) {
            derivedOf.set(c, i);
            for (int x : cages[killer.cageOf[c]].cells) derivedNear.set(x, i);
        }
    inOut.fill(static_cast<int>(derived.size()));
    overlap.fill(static_cast<int>(derived.size()));
    haveDerived = true;
}

}  // namespace grading

// The solver behind the grader. A step of a level-1 technique sweeps the
// grid; a step of any harder technique works at one place (a group, a unit,
// a digit's pattern, a cage, a cell), so that the counts say how often each
// was needed. After every step the solve starts again from the easiest
// technique; pending sets keep the easy techniques to the units, cages and
// groups whose cells changed since they last looked.
class Human {
public:
    explicit Human(const Killer& k) : s_(*geometryFor(k.side), comboTableFor(k.side)) { restart(k); }

    int side() const { return s_.g.side; }

    // A fresh solve of other clues on a grid of the same side, in the storage
    // of the solve before.
    void restart(const Killer& k) {
        const Geometry& g = s_.g;
        s_.cand.assign(g.cells, g.all);
        s_.seen = s_.cand;
        s_.placed.assign(g.cells, 0);
        s_.placedCount = 0;
        s_.broken = false;
        s_.singles.fill(g.cells);
        s_.hidden.fill(static_cast<int>(g.units.size()));
        s_.pointUnits.fill(static_cast<int>(g.units.size()));
        for (int k = 0; k < 3; ++k) {
            s_.nakedSets[k].fill(static_cast<int>(g.units.size()));
            s_.hiddenSets[k].fill(static_cast<int>(g.units.size()));
        }
        s_.fishDigits[0] = s_.fishDigits[1] = g.all;
        progress_ = Grade{};
        s_.killer.cageOf.clear();  // nothing is known of any cage
        setClues(k);
    }

    // A solve that starts from given candidates; a single candidate counts as
    // placed once no cell that must differ from it still holds the digit.
    Human(const Killer& k, const std::vector<Mask>& cand) : Human(k) {
        s_.cand = s_.seen = cand;
        for (int i = 0; i < s_.g.cells; ++i) {
            bool alone = singleBit(cand[i]);
            for (int p : s_.g.peers[i]) alone = alone && !(cand[p] & cand[i]);
            for (int p : s_.cages[s_.killer.cageOf[i]].cells) alone = alone && (p == i || !(cand[p] & cand[i]));
            s_.placed[i] = alone;
            s_.placedCount += alone;
        }
    }

    void setClues(const Killer& k) {
        // The cages, keeping the storage of the ones before, which stay in
        // spare_ until the cages kept are matched.
        spare_.swap(s_.cages);
        s_.cages.resize(k.cageCount());
        int size[kMaxCells] = {};
        for (int c : k.cageOf) ++size[c];
        for (int c = 0; c < k.cageCount(); ++c) {
            s_.cages[c].cells.clear();
            s_.cages[c].cells.reserve(size[c]);
            s_.cages[c].sum = k.sums[c];
            s_.cages[c].distinct = true;
            s_.cages[c].kind = GroupKind::Cage;
        }
        for (int i = 0; i < s_.g.cells; ++i) s_.cages[k.cageOf[i]].cells.push_back(i);
        keepWhatIsKnown();
        s_.killer = k;
        s_.haveAcross = false;
        s_.derived.clear();
        s_.haveDerived = false;
    }

    const std::vector<Mask>& candidates() const { return s_.cand; }

    int step(int maxLevel) { return s_.step(maxLevel); }

    Grade run(int maxLevel) {
        Grade& out = progress_;
        for (;;) {
            if (s_.placedCount == s_.g.cells) {
                out.solved = true;
                break;
            }
            const int t = s_.step(maxLevel);
            if (t >= 0) {
                ++out.uses[t];
                out.level = std::max(out.level, techniqueLevel(static_cast<Technique>(t)));
            }
            if (s_.broken || t < 0) break;
        }
        out.contradiction = s_.broken;
        Grade result = out;
        if (!result.solved) result.level = 0;
        result.grid.assign(s_.g.cells, 0);
        for (int i = 0; i < s_.g.cells; ++i)
            if (singleBit(s_.cand[i])) result.grid[i] = digitOf(s_.cand[i]);
        return result;
    }

private:
    // A cage that the new clues keep, same cells and sum, keeps what the solve
    // knows of it: the digits it needs, and whether the level-1 and level-2
    // techniques must look at it again. Every other cage is looked at afresh.
    void keepWhatIsKnown() {
        const std::vector<Mask> needed = s_.needed;
        const grading::Pending combos = s_.combos, pointCages = s_.pointCages;
        const int count = static_cast<int>(s_.cages.size());
        s_.needed.assign(count, 0);
        s_.combos.fill(count);
        s_.pointCages.fill(count);
        if (s_.killer.cageOf.empty()) return;  // no clues before
        for (int c = 0; c < count; ++c) {
            const int old = s_.killer.cageOf[s_.cages[c].cells.front()];
            if (spare_[old].sum != s_.cages[c].sum || spare_[old].cells != s_.cages[c].cells) continue;
            s_.needed[c] = needed[old];
            if (!combos.has(old)) s_.combos.drop(c);
            if (!pointCages.has(old)) s_.pointCages.drop(c);
        }
    }

    grading::Solve s_;
    std::vector<SumGroup> spare_;  // the cages of the clues before
    Grade progress_;  // level and technique counts so far
};

int applyEasiest(const Killer& killer, std::vector<Mask>& candidates, int maxLevel) {
    Human h(killer, candidates);
    const int t = h.step(maxLevel);
    candidates = h.candidates();
    return t;
}

Grade grade(const Killer& killer, int maxLevel) {
    Grade out;
    if (!checkKiller(killer).empty()) return out;
    Human h(killer);
    return h.run(maxLevel);
}

Grader::Grader(const Killer& killer) {
    if (checkKiller(killer).empty()) human_ = std::make_unique<Human>(killer);
}

Grader::~Grader() = default;

void Grader::restart(const Killer& killer) {
    if (!checkKiller(killer).empty()) human_.reset();
    else if (human_ && human_->side() == killer.side) human_->restart(killer);
    else human_ = std::make_unique<Human>(killer);
}

void Grader::refine(const Killer& killer) {
    if (human_) human_->setClues(killer);
}

Grade Grader::run(int maxLevel) {
    return human_ ? human_->run(maxLevel) : Grade{};
}

}  // namespace sumgrid::engine
