#include "grader_level5.h"

#include <algorithm>

namespace sumgrid::engine::grading {

namespace {

// Most ways of filling a cage, or a cage and an overlapping group, that the
// level-5 techniques look through: a person weighs only a few combinations.
constexpr long kFillingLimit = 100000;

// Depth-first search through the ways of filling a few cells: each cell takes
// one of its candidates, cells marked to differ take different digits, and two
// subsets of the cells reach their sums (an empty subset sums to 0). A check
// sees each digit as it is placed (place may refuse it; unplace follows
// either way) and each complete filling (fits); support gathers, per cell,
// the digits of the fillings it accepts. Rather than walk every filling, the
// search looks for one filling per candidate still without support, with that
// cell held to that digit: each filling found supports all its digits at once,
// and a candidate is left without support only when no filling holds it.
struct Fillings {
    static constexpr int kMax = 32;
    int n = 0;
    Mask cand[kMax];
    std::uint32_t differ[kMax];  // bit j: the cell must differ from cell j
    std::uint32_t member[2] = {0, 0};
    int target[2] = {0, 0};
    int value[kMax];
    Mask support[kMax];
    Mask now[kMax];  // the candidates of the search under way: one cell held to one digit
    int sets = 2;    // the sums to reach: the second is left out when it is 0 over no cells
    int minRest[2][kMax + 1], maxRest[2][kMax + 1];

    // Whether the cells have few enough ways to be filled to search them all.
    bool small() const {
        long ways = 1;
        for (int i = 0; i < n && ways <= kFillingLimit; ++i) ways *= popcount(cand[i]);
        return ways <= kFillingLimit;
    }

    template <class Check>
    void run(Check& check) {
        std::fill(support, support + n, Mask{0});
        sets = member[1] || target[1] ? 2 : 1;
        for (int i = 0; i < n; ++i)
            for (Mask m = cand[i] & static_cast<Mask>(~support[i]); m; m &= m - 1) {
                const Mask bit = m & -m;
                if (support[i] & bit) continue;  // a filling found since holds it
                // The cells that must differ from this one cannot take its digit.
                bool open = true;
                for (int j = 0; j < n; ++j) {
                    now[j] = differ[i] >> j & 1u ? static_cast<Mask>(cand[j] & ~bit) : cand[j];
                    open = open && now[j];
                }
                now[i] = bit;
                if (!open) continue;
                bound();
                go(0, 0, 0, 0, check);
            }
    }

    // run, unless memo holds key[0..size), everything the search depends on,
    // with the support it found: then that support is taken again. memo
    // receives the key and the support.
    template <class Check>
    void runRemembered(Check& check, std::vector<std::uint32_t>& memo, const std::uint32_t* key, int size) {
        if (memo.size() == static_cast<std::size_t>(size + n) && std::equal(key, key + size, memo.begin())) {
            for (int i = 0; i < n; ++i) support[i] = static_cast<Mask>(memo[size + i]);
            return;
        }
        run(check);
        memo.assign(key, key + size);
        memo.insert(memo.end(), support, support + n);
    }

    // The least and most the cells from i on add to each sum.
    void bound() {
        for (int k = 0; k < sets; ++k) {
            minRest[k][n] = maxRest[k][n] = 0;
            for (int i = n - 1; i >= 0; --i) {
                const bool in = member[k] >> i & 1u;
                minRest[k][i] = minRest[k][i + 1] + (in ? digitOf(now[i] & -now[i]) : 0);
                maxRest[k][i] = maxRest[k][i + 1] + (in ? 32 - __builtin_clz(now[i]) : 0);
            }
        }
    }

    // The digits cell i may take so that sum k, at sum before it, can still be reached.
    Mask within(int k, int i, int in, int sum) const {
        const int lo = target[k] - sum - maxRest[k][i + 1], hi = target[k] - sum - minRest[k][i + 1];
        if (!in) return lo <= 0 && hi >= 0 ? static_cast<Mask>(~0u) : 0;
        const int from = std::max(lo, 1), to = std::min(hi, 16);
        if (from > to) return 0;
        return static_cast<Mask>(((1u << to) - 1) & ~((1u << (from - 1)) - 1));
    }

    // True once a filling is found; used holds the digits of the cells before i.
    template <class Check>
    bool go(int i, int sum0, int sum1, Mask used, Check& check) {
        if (i == n) {
            if (!check.fits(value)) return false;
            for (int j = 0; j < n; ++j) support[j] |= digitBit(value[j]);
            return true;
        }
        const std::uint32_t before = (1u << i) - 1, differs = differ[i] & before;
        Mask taken = used;
        if (differs != before) {
            taken = 0;
            for (std::uint32_t m = differs; m; m &= m - 1) taken |= digitBit(value[__builtin_ctz(m)]);
        }
        const int in0 = member[0] >> i & 1u, in1 = member[1] >> i & 1u;
        // Digits that leave both sums within reach of the cells after this one;
        // those without support first, so that a filling found supports as many as it can.
        Mask free = now[i] & static_cast<Mask>(~taken) & within(0, i, in0, sum0);
        if (sets == 2) free &= within(1, i, in1, sum1);
        const Mask fresh = free & static_cast<Mask>(~support[i]);
        for (Mask m = fresh, later = free & support[i]; m || later; m &= m - 1) {
            if (!m) {
                m = later;
                later = 0;
            }
            const int d = __builtin_ctz(m) + 1;
            const int s0 = sum0 + in0 * d, s1 = sum1 + in1 * d;
            value[i] = d;
            const bool found = check.place(i, d) && go(i + 1, s0, s1, static_cast<Mask>(used | digitBit(d)), check);
            check.unplace(i);
            if (found) return true;
        }
        return false;
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
        if (m != s.cand[cells[i]]) {
            s.write(cells[i], m);
            progress = true;
        }
    }
    return progress;
}

// The check of combinations across units: the open cells outside the cage
// that see a cage cell (watched) lose each digit placed in a cage cell they
// see. A filling fails when it leaves a watched cell without a candidate, or,
// once the last cage cell in a unit it crosses has its digit, leaves that
// unit without a place for a digit it still needs and no cage cell took. The
// cage's digits differ, so a digit leaves the cells around just one cage
// cell, and much is known before the search: the digits a cage cell outside
// a unit cannot take without leaving the unit short (these are taken out of
// its candidates), and the few watched cells that can run out at all, those
// with no more candidates than cage cells that see them and none that these
// cannot take (fragile).
struct AcrossUnits {
    struct Fragile {
        Mask cand;            // its candidates before the search
        std::uint32_t seers;  // the cage cells that see it
    };
    Fragile fragile[kMaxSide][3 * kMaxSide];  // per cage cell, the fragile cells it sees
    int fragileCount[kMaxSide];
    Mask fragileDigits[kMaxSide];  // per cage cell, the candidates of the fragile cells it sees
    // Per cage cell, the digits that the crossed units whose last cage cell
    // it is need and no watched cell there holds. Cage cells outside such a
    // unit never take them, so the cells up to this one must have.
    Mask required[kMaxSide];
    Mask placed[kMaxSide];
    Mask placedSoFar[kMaxSide];  // per cage cell, the digits of it and the cells before it

    bool place(int i, int d) {
        const Mask bit = digitBit(d);
        placed[i] = bit;
        placedSoFar[i] = static_cast<Mask>((i ? placedSoFar[i - 1] : 0) | bit);
        if (required[i] & static_cast<Mask>(~placedSoFar[i])) return false;
        const std::uint32_t before = (2u << i) - 1;  // the cells placed so far
        for (int k = 0; k < fragileCount[i] && (fragileDigits[i] & bit); ++k) {
            if (!(fragile[i][k].cand & bit)) continue;  // it keeps what it had
            Mask left = fragile[i][k].cand;
            for (std::uint32_t b = fragile[i][k].seers & before; b; b &= b - 1) left &= static_cast<Mask>(~placed[__builtin_ctz(b)]);
            if (!left) return false;
        }
        return true;
    }
    void unplace(int) {}
    bool fits(const int*) const { return true; }
};

}  // namespace

bool combinationsAcrossUnits(Solve& s) {
    const Geometry& g = s.g;
    if (!s.haveAcross) {  // per cell, the cages of its units, for the pending set
        s.acrossOf.reset(g.cells, s.killer.cageCount());
        for (int c = 0; c < g.cells; ++c)
            for (int u : g.unitsOfCell[c])
                for (int x : g.units[u]) s.acrossOf.set(c, s.killer.cageOf[x]);
        s.across.fill(s.killer.cageCount());
        s.acrossMemo.resize(s.killer.cageCount());  // what a memo holds stays true of any cage
        s.haveAcross = true;
    }
    Fillings f;
    AcrossUnits check;
    int open[kMaxSide], watchedCell[kMaxCells];
    std::uint32_t seers[kMaxCells] = {};  // per cell, the cage cells that see it; back to 0 after each cage
    // The crossed units with watched cells: what each needs and holds, its
    // cage cells, and its watched cells (from watchedIn[first], inside of them).
    struct Crossed {
        Mask need, held;
        std::uint32_t inUnit;
        int first, inside;
    };
    Crossed crossing[3 * kMaxSide];
    int watchedIn[3 * kMaxCells];
    std::uint32_t key[2 + kMaxSide * (2 + 3 * kMaxSide)];
    return s.across.any([&](int id) {
        const SumGroup& cage = s.cages[id];
        int n = 0;
        f.target[0] = s.openCells(cage.cells, cage.sum, open, n);
        s.across.drop(id);
        if (n < 2) return false;
        if (s.tracing()) s.mark(Place::Kind::Cage, id);
        // By candidate count, ties in cell order: an insertion sort, as the
        // cells are few and std::stable_sort would ask for a buffer each time.
        auto fewer = [&](int a, int b) { return popcount(s.cand[a]) < popcount(s.cand[b]); };
        for (int i = 1; i < n; ++i) std::rotate(std::upper_bound(open, open + i, open[i], fewer), open + i, open + i + 1);
        f.n = n;
        f.member[0] = (1u << n) - 1;
        for (int i = 0; i < n; ++i) {
            f.cand[i] = s.cand[open[i]];
            f.differ[i] = f.member[0] & ~(1u << i);
        }
        if (!f.small()) return false;
        std::uint64_t units = 0;
        std::uint32_t cellsIn[3 * kMaxSide] = {};  // per unit, the cage cells in it
        Mask fatal[kMaxSide];
        for (int i = 0; i < n; ++i) {
            units |= s.unitsOf[open[i]];
            for (int u : g.unitsOfCell[open[i]]) cellsIn[u] |= 1u << i;
            check.fragileCount[i] = 0;
            check.required[i] = 0;
            check.fragileDigits[i] = 0;
            fatal[i] = 0;
        }
        // The watched cells, and the cage cells that see each: those that
        // share a crossed unit with it. Each crossed unit with watched cells
        // keeps the digits it still needs and the digits its watched cells hold.
        int watched = 0, crossed = 0, listed = 0;
        for (; units; units &= units - 1) {
            const int u = __builtin_ctzll(units);
            const std::uint32_t inUnit = cellsIn[u];
            Crossed& x = crossing[crossed];
            x = {g.all, 0, inUnit, listed, 0};
            for (int c : g.units[u]) {
                if (s.placed[c]) x.need &= static_cast<Mask>(~s.cand[c]);
                else if (s.killer.cageOf[c] != id) {
                    x.held |= s.cand[c];
                    if (!seers[c]) watchedCell[watched++] = c;
                    seers[c] |= inUnit;
                    watchedIn[listed++] = c;
                }
            }
            x.inside = listed - x.first;
            crossed += x.inside != 0;
        }
        for (int k = 0; k < crossed; ++k) {
            const Crossed& x = crossing[k];
            const int* watchedHere = watchedIn + x.first;
            const int lastCell = 31 - __builtin_clz(x.inUnit);
            const Mask required = x.need & static_cast<Mask>(~x.held);
            check.required[lastCell] |= required;
            // A cage cell outside the unit cannot take a digit only the unit's
            // cage cells can place, nor, when it comes before the unit's last
            // cage cell, one that only watched cells it sees hold in the unit.
            for (int j = 0; j < n; ++j) {
                if (x.inUnit >> j & 1u) continue;
                fatal[j] |= required;
                if (j > lastCell) continue;
                Mask unseen = 0;  // the digits of the watched cells in the unit that it does not see
                for (int w = 0; w < x.inside; ++w)
                    if (!(seers[watchedHere[w]] >> j & 1u)) unseen |= s.cand[watchedHere[w]];
                fatal[j] |= x.need & x.held & static_cast<Mask>(~unseen);
            }
        }
        for (int i = 0; i < n; ++i) f.cand[i] &= static_cast<Mask>(~fatal[i]);
        // The fragile watched cells.
        for (int j = 0; j < watched; ++j) {
            const int w = watchedCell[j];
            const std::uint32_t by = seers[w];
            seers[w] = 0;
            if (popcount(s.cand[w]) > popcount(by)) continue;
            Mask reach = 0;  // what the cage cells that see it can take
            for (std::uint32_t b = by; b; b &= b - 1) reach |= f.cand[__builtin_ctz(b)];
            if (s.cand[w] & static_cast<Mask>(~reach)) continue;
            for (std::uint32_t b = by; b; b &= b - 1) {
                const int i = __builtin_ctz(b);
                check.fragile[i][check.fragileCount[i]++] = {s.cand[w], by};
                check.fragileDigits[i] |= s.cand[w];
            }
        }
        // The search depends on nothing but these, so a cage met again with
        // all of them as they were gets the support found the time before.
        int size = 0;
        key[size++] = static_cast<std::uint32_t>(n);
        key[size++] = static_cast<std::uint32_t>(f.target[0]);
        for (int i = 0; i < n; ++i) {
            key[size++] = f.cand[i] | std::uint32_t{check.required[i]} << 16;
            key[size++] = static_cast<std::uint32_t>(check.fragileCount[i]);
            for (int k = 0; k < check.fragileCount[i]; ++k)
                key[size++] = check.fragile[i][k].cand | check.fragile[i][k].seers << 16;
        }
        f.runRemembered(check, s.acrossMemo[id], key, size);
        if (!keepSupported(s, f, open)) return false;
        s.across.add(id);
        return true;
    });
}

bool overlappingCages(Solve& s) {
    const Geometry& g = s.g;
    Fillings f;
    AnyFilling any;
    int open[kMaxCells], cells[Fillings::kMax];
    std::uint32_t key[5 + 2 * Fillings::kMax];
    s.makeDerived();
    const std::size_t slots = s.derived.size() * Solve::kOverlapSlots;
    if (s.overlapMemo.size() != slots) s.overlapMemo.assign(slots, {});
    return s.overlap.any([&](int i) {
        const SumGroup& group = s.derived[i];
        int n = 0, met = 0;
        const int need = s.openCells(group.cells, group.sum, open, n);
        const bool found = s.eachCageOf(open, n, [&](int cage, const int* cageOpen, int m, int cageNeed, int shared) {
            const int slot = std::min(met++, Solve::kOverlapSlots - 1);
            if (shared == n || shared == m) return false;  // one inside the other: cage splitting
            if (s.tracing()) s.mark(Place::Kind::Group, cage, group.cells, group.sum);
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
            // Candidates change far from most of the cages that a group
            // meets: the search of one met again as it was is not repeated.
            int size = 0;
            key[size++] = static_cast<std::uint32_t>(f.n);
            key[size++] = static_cast<std::uint32_t>(need);
            key[size++] = static_cast<std::uint32_t>(cageNeed);
            key[size++] = f.member[0];
            key[size++] = f.member[1];
            for (int j = 0; j < f.n; ++j) {
                key[size++] = f.cand[j];
                key[size++] = f.differ[j];
            }
            f.runRemembered(any, s.overlapMemo[i * Solve::kOverlapSlots + slot], key, size);
            return keepSupported(s, f, cells);
        });
        if (!found) s.overlap.drop(i);
        return found;
    });
}

bool forcingChains(Solve& s) {
    s.makeDerived();
    const State start = s;  // the state alone, to go back to
    std::vector<Mask> after[2];
    bool broke[2];
    for (int x = 0; x < s.g.cells; ++x) {
        if (popcount(start.cand[x]) != 2) continue;
        const Mask low = start.cand[x] & -start.cand[x];
        if (s.tracing()) s.mark(Place::Kind::Cell, x);
        for (int pick = 0; pick < 2; ++pick) {
            s.write(x, pick == 0 ? low : static_cast<Mask>(start.cand[x] ^ low));
            s.noteChanges();
            while (!s.broken && s.step(1) >= 0) {
            }
            broke[pick] = s.broken;
            after[pick] = s.cand;
            static_cast<State&>(s) = start;
        }
        if (broke[0] || broke[1]) {
            s.broken = broke[0] && broke[1];
            s.write(x, broke[0] ? static_cast<Mask>(start.cand[x] ^ low) : low);
            return true;
        }
        bool progress = false;
        for (int c = 0; c < s.g.cells; ++c) {
            const Mask m = start.cand[c] & (after[0][c] | after[1][c]);
            if (m != start.cand[c]) {
                s.write(c, m);
                progress = true;
            }
        }
        if (progress) return true;
    }
    return false;
}

}  // namespace sumgrid::engine::grading
