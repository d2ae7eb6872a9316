#include "groups.h"

#include <algorithm>
#include <memory>
#include <mutex>

namespace sumgrid::engine {

ComboTable::ComboTable(int side) : side_(side), maxSum_(side * (side + 1) / 2) {
    table_.assign(static_cast<std::size_t>(side + 1) * (maxSum_ + 1), {});
    for (unsigned m = 1; m < (1u << side); ++m) {
        int sum = 0;
        for (int d = 1; d <= side; ++d)
            if (m & (1u << (d - 1))) sum += d;
        table_[static_cast<std::size_t>(popcount(m)) * (maxSum_ + 1) + sum].push_back(static_cast<Mask>(m));
    }
    digits_.assign(table_.size(), 0);
    for (std::size_t i = 0; i < table_.size(); ++i)
        for (Mask m : table_[i]) digits_[i] |= m;
}

Mask ComboTable::digits(int count, int sum) const {
    if (count < 0 || count > side_ || sum < 0 || sum > maxSum_) return 0;
    return digits_[static_cast<std::size_t>(count) * (maxSum_ + 1) + sum];
}

const ComboTable& comboTableFor(int side) {
    static std::unique_ptr<ComboTable> cache[kMaxSide + 1];
    static std::mutex lock;
    std::lock_guard<std::mutex> guard(lock);
    if (!cache[side]) cache[side] = std::make_unique<ComboTable>(side);
    return *cache[side];
}

// For two different cells: whether they share a row, column, box or cage.
static bool mustDiffer(const Geometry& g, const Killer& k, int a, int b) {
    return (g.unitBits[a] & g.unitBits[b]) != 0 || k.cageOf[a] == k.cageOf[b];
}

static bool allDiffer(const Geometry& g, const Killer& k, const int* cells, int n) {
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j)
            if (!mustDiffer(g, k, cells[i], cells[j])) return false;
    return true;
}

// Sets distinct and, for groups that are not, the conflict masks.
static void finish(const Geometry& g, const Killer& k, SumGroup& s) {
    const int n = static_cast<int>(s.cells.size());
    s.distinct = allDiffer(g, k, s.cells.data(), n);
    if (s.distinct) return;
    s.conflicts.assign(n, 0);
    for (int i = 0; i < n && i < 32; ++i)
        for (int j = 0; j < n && j < 32; ++j)
            if (i != j && mustDiffer(g, k, s.cells[i], s.cells[j])) s.conflicts[i] |= 1u << j;
}

SumGroup makeGroup(const Geometry& g, const Killer& k, std::vector<int> cells, int sum, GroupKind kind) {
    SumGroup s;
    s.cells = std::move(cells);
    s.sum = sum;
    s.kind = kind;
    finish(g, k, s);
    return s;
}

std::vector<SumGroup> cageGroups(const Geometry& g, const Killer& k) {
    std::vector<SumGroup> out(k.cageCount());
    const std::vector<int> size = k.cageSizes();
    for (int c = 0; c < k.cageCount(); ++c) out[c].cells.reserve(size[c]);
    for (int i = 0; i < g.cells; ++i) out[k.cageOf[i]].cells.push_back(i);
    for (int c = 0; c < k.cageCount(); ++c) {
        out[c].sum = k.sums[c];
        out[c].kind = GroupKind::Cage;
        out[c].distinct = true;
    }
    return out;
}

namespace {
std::uint64_t hashCells(const int* cells, int n) {
    std::uint64_t h = 0x9E3779B97F4A7C15ull;
    for (int i = 0; i < n; ++i) {
        h ^= static_cast<std::uint64_t>(cells[i]) + 0x632BE59BD9B4E019ull + (h << 6) + (h >> 2);
        h *= 0xBF58476D1CE4E5B9ull;
    }
    return h ^ (h >> 31);
}

// Open-addressed table from a cell set's hash to an entry number; the caller
// compares the cells on a hash match.
class SetIndex {
public:
    explicit SetIndex(std::size_t capacity) {
        std::size_t n = 64;
        while (n < 2 * capacity) n *= 2;
        mask_ = n - 1;
        hashes_.reset(new std::uint64_t[n]);  // read only where a value is set
        values_.assign(n, -1);
    }
    // The first value with an equal hash for which same(value) holds, or -1.
    template <class Same>
    int find(std::uint64_t hash, Same same) const {
        for (std::size_t i = hash & mask_; values_[i] != -1; i = (i + 1) & mask_)
            if (hashes_[i] == hash && same(values_[i])) return values_[i];
        return -1;
    }
    void insert(std::uint64_t hash, int value) {
        std::size_t i = hash & mask_;
        while (values_[i] != -1) i = (i + 1) & mask_;
        hashes_[i] = hash;
        values_[i] = value;
    }

private:
    std::size_t mask_ = 0;
    std::unique_ptr<std::uint64_t[]> hashes_;
    std::vector<int> values_;
};
}  // namespace

std::vector<SumGroup> derivedGroups(const Geometry& g, const Killer& k, int maxCells, int maxLoose, int minUnits,
                                    int maxUnits) {
    std::vector<SumGroup> out;
    appendDerivedGroups(g, k, maxCells, maxLoose, minUnits, maxUnits, out);
    return out;
}

void appendDerivedGroups(const Geometry& g, const Killer& k, int maxCells, int maxLoose, int minUnits, int maxUnits,
                         std::vector<SumGroup>& out) {
    const int cageCount = k.cageCount();
    // Cage cells, flat: cage c holds cageCells[cageStart[c] .. cageStart[c+1]).
    std::vector<int> cageStart(cageCount + 1, 0), cageCells(g.cells);
    for (int c = 0; c < g.cells; ++c) ++cageStart[k.cageOf[c] + 1];
    for (int c = 0; c < cageCount; ++c) cageStart[c + 1] += cageStart[c];
    {
        std::vector<int> fill(cageStart.begin(), cageStart.end() - 1);
        for (int c = 0; c < g.cells; ++c) cageCells[fill[k.cageOf[c]]++] = c;
    }
    auto cageSize = [&](int c) { return cageStart[c + 1] - cageStart[c]; };
    const auto& regions = g.regions;

    // Entries below cageCount stand for cages, the others for out[entry - cageCount].
    int studied = 0;  // regions in the range of units asked for
    for (const auto& r : regions)
        studied += static_cast<int>(r.size()) >= minUnits && static_cast<int>(r.size()) <= maxUnits;
    // Cages, the groups given, innies and outies of each region.
    SetIndex index(static_cast<std::size_t>(cageCount + out.size() + 2 * studied + 8));
    for (int c = 0; c < cageCount; ++c)
        index.insert(hashCells(&cageCells[cageStart[c]], cageSize(c)), c);
    for (std::size_t i = 0; i < out.size(); ++i)
        index.insert(hashCells(out[i].cells.data(), static_cast<int>(out[i].cells.size())), cageCount + static_cast<int>(i));
    out.reserve(out.size() + 2 * studied);  // an innie and an outie group per region at most
    // Adds the group unless it is too large, a cage, or known already (then
    // only its kind may become an easier one). cells must be ascending.
    auto add = [&](const int* cells, int n, int sum, GroupKind kind) {
        if (n == 0 || n > maxCells) return;
        auto same = [&](int entry) {
            const int* other;
            int m;
            if (entry < cageCount) {
                other = &cageCells[cageStart[entry]];
                m = cageSize(entry);
            } else {
                other = out[entry - cageCount].cells.data();
                m = static_cast<int>(out[entry - cageCount].cells.size());
            }
            return m == n && std::equal(cells, cells + n, other);
        };
        const std::uint64_t hash = hashCells(cells, n);
        const int found = index.find(hash, same);
        if (found >= 0 && found < cageCount) return;
        if (found >= cageCount) {
            SumGroup& known = out[found - cageCount];
            if (kind < known.kind) known.kind = kind;
            return;
        }
        if (n > maxLoose && !allDiffer(g, k, cells, n)) return;
        SumGroup s;
        s.cells.assign(cells, cells + n);
        s.sum = sum;
        s.kind = kind;
        finish(g, k, s);
        index.insert(hash, cageCount + static_cast<int>(out.size()));
        out.push_back(std::move(s));
    };

    // inside[c]: cells of cage c in the region under study; touched: those cages.
    std::vector<int> inside(cageCount, 0), touched;
    int inn[kMaxCells], outs[kMaxCells];
    int nTouched = 0;
    // Kept as units enter: the cells entered, the sums of the cages touched
    // and of those wholly inside, and the cells of each.
    int entered = 0, allSum = 0, wholeSum = 0, touchedCells = 0, wholeCells = 0;
    touched.resize(cageCount + 1);
    auto enter = [&](int unit) {
        for (int c : g.units[unit]) {
            const int cage = k.cageOf[c];
            touched[nTouched] = cage;
            if (inside[cage]++ == 0) {
                ++nTouched;
                allSum += k.sums[cage];
                touchedCells += cageSize(cage);
            }
            if (inside[cage] == cageSize(cage)) {
                wholeSum += k.sums[cage];
                wholeCells += cageSize(cage);
            }
        }
        entered += static_cast<int>(g.units[unit].size());
    };
    auto leaveAll = [&]() {
        std::fill(inside.begin(), inside.end(), 0);  // a plain sweep: no loop on the touched count to mispredict
        nTouched = entered = allSum = wholeSum = touchedCells = wholeCells = 0;
    };
    // Adds the innies and outies of the region that touched/inside describe;
    // in(c) tells whether a cell lies in it.
    auto study = [&](int units, auto in) {
        const GroupKind kind = units == 1 ? GroupKind::UnitInOut : units == 2 ? GroupKind::PairInOut : GroupKind::WideInOut;
        // The cells of the cages that cross the border, inside and outside it.
        const int countIn = entered - wholeCells, countOut = touchedCells - entered;
        const int partialSum = allSum - wholeSum;
        const bool wantIn = countIn <= maxCells, wantOut = countOut <= maxCells;
        if (!wantIn && !wantOut) return;
        int nIn = 0, nOut = 0;
        for (int t = 0; t < nTouched; ++t) {
            const int cage = touched[t];
            if (inside[cage] == cageSize(cage)) continue;
            for (int i = cageStart[cage]; i < cageStart[cage + 1]; ++i) {
                const int c = cageCells[i];
                const bool isIn = in(c);
                inn[nIn] = c;
                outs[nOut] = c;
                nIn += isIn;
                nOut += !isIn;
            }
        }
        const int innieSum = units * g.unitTotal - wholeSum;
        if (wantIn) {
            std::sort(inn, inn + nIn);
            add(inn, nIn, innieSum, kind);
        }
        if (wantOut) {
            std::sort(outs, outs + nOut);
            add(outs, nOut, partialSum - innieSum, kind);
        }
    };
    const int side = g.side;
    // Single rows first, then columns, boxes, so that the easiest kind wins.
    for (int u = 0; u < 3 * side && minUnits <= 1; ++u) {
        enter(u);
        const int kindOf = u / side, index = u % side;
        study(1, [&](int c) {
            return (kindOf == 0 ? g.row(c) : kindOf == 1 ? g.col(c) : g.box(c)) == index;
        });
        leaveAll();
    }
    // Runs of adjacent rows (columns), grown one line at a time.
    for (int orient = 0; orient < 2; ++orient)
        for (int a = 0; a < side; ++a) {
            for (int b = a; b < side && b - a + 1 < side && b - a < maxUnits; ++b) {
                enter(orient * side + b);
                if (b - a + 1 < std::max(minUnits, 2)) continue;
                study(b - a + 1, [&](int c) {
                    const int line = orient == 0 ? g.row(c) : g.col(c);
                    return line >= a && line <= b;
                });
            }
            leaveAll();
        }
    // Runs of adjacent boxes within a band or stack.
    for (const auto& region : g.regions) {
        const int n = static_cast<int>(region.size());
        if (n < std::max(minUnits, 2) || region.front() < 2 * side || n > maxUnits) continue;
        for (int u : region) enter(u);
        study(static_cast<int>(region.size()), [&](int c) {
            for (int u : region)
                if (g.box(c) == u - 2 * side) return true;
            return false;
        });
        leaveAll();
    }
}

// The loops below avoid branches that depend on the candidates: puzzles
// differ too much for a branch predictor to learn them, and mispredictions
// cost more than the few extra operations.
static inline Mask ifSingle(Mask m) {
    return static_cast<Mask>(m & -static_cast<Mask>((m & (m - 1)) == 0));  // 0 stays 0
}

static Filter filterDistinct(Mask* cand, const SumGroup& s, const ComboTable& table, Mask* required) {
    const int n = static_cast<int>(s.cells.size());
    const int* cells = s.cells.data();
    if (n > kMaxSide) return Filter::Broken;  // more cells than distinct digits
    // The candidates four to a word, 16 bits a cell; spare lanes hold every
    // digit so that they meet any combination.
    constexpr std::uint64_t kLow = 0x0001000100010001ull, kHigh = 0x8000800080008000ull;
    std::uint64_t packed[4] = {~kHigh, ~kHigh, ~kHigh, ~kHigh};
    const int words = (n + 3) / 4;
    Mask fixed = 0, clash = 0, present = 0;
    for (int i = 0; i < n; ++i) {
        const Mask m = cand[cells[i]];
        const Mask single = ifSingle(m);
        clash |= fixed & single;
        fixed |= single;
        present |= m;
        const int shift = 16 * (i % 4);
        packed[i / 4] = (packed[i / 4] & ~(std::uint64_t{0xFFFF} << shift)) | std::uint64_t{m} << shift;
    }
    if (clash) return Filter::Broken;
    Mask allowed = 0, needed = static_cast<Mask>(~0u);
    // A combination fits when it holds the fixed digits, every one of its
    // digits is a candidate somewhere (the cells cover it) and every cell
    // has a candidate in it (no lane of packed & combo is zero).
    auto consider = [&](Mask combo) {
        bool fits = (combo & ~present) == 0;
        const std::uint64_t spread = combo * kLow;
        std::uint64_t zero = 0;
        for (int w = 0; w < words; ++w) {
            const std::uint64_t v = packed[w] & spread;
            zero |= (v - kLow) & ~v & kHigh;
        }
        fits &= zero == 0;
        const Mask take = static_cast<Mask>(-static_cast<Mask>(fits));
        allowed |= combo & take;
        needed &= static_cast<Mask>(combo | ~take);
    };
    // As every combination holds the fixed digits, only the rest of it is
    // looked up: the combinations of the other digits for the sum left.
    int fixedCount = 0, rest = s.sum;
    for (Mask m = fixed; m; m &= m - 1) {
        ++fixedCount;
        rest -= digitOf(m & -m);
    }
    if (fixedCount == n) {
        if (rest == 0) consider(fixed);
    } else {
        for (Mask others : table.combos(n - fixedCount, rest))
            if (!(others & fixed)) consider(static_cast<Mask>(others | fixed));
    }
    if (!allowed) return Filter::Broken;
    if (required) *required = needed;
    bool changed = false, empty = false;
    for (int i = 0; i < n; ++i) {
        const Mask m = cand[cells[i]];
        const Mask keep = static_cast<Mask>(m & ~(fixed & ~ifSingle(m)) & allowed);
        empty |= keep == 0;
        changed |= keep != m;
        cand[cells[i]] = keep;
    }
    if (empty) return Filter::Broken;
    for (Mask rest = needed & static_cast<Mask>(~fixed); rest; rest &= rest - 1) {
        const Mask bit = rest & -rest;
        int where = -1, count = 0;
        for (int i = 0; i < n; ++i) {
            const bool has = (cand[cells[i]] & bit) != 0;
            where = has ? cells[i] : where;
            count += has;
        }
        if (count == 0) return Filter::Broken;
        if (count == 1 && cand[where] != bit) {
            cand[where] = bit;
            changed = true;
        }
    }
    return changed ? Filter::Changed : Filter::Same;
}

static Filter filterBounds(Mask* cand, const SumGroup& s) {
    int lo = 0, hi = 0;
    for (int c : s.cells) {
        if (!cand[c]) return Filter::Broken;
        lo += __builtin_ctz(cand[c]) + 1;
        hi += 32 - __builtin_clz(cand[c]);
    }
    if (s.sum < lo || s.sum > hi) return Filter::Broken;
    Filter result = Filter::Same;
    for (int c : s.cells) {
        const int cmin = __builtin_ctz(cand[c]) + 1, cmax = 32 - __builtin_clz(cand[c]);
        const int low = s.sum - (hi - cmax), high = s.sum - (lo - cmin);
        Mask keep = cand[c];
        if (low > 16) keep = 0;
        else if (low > 1) keep &= static_cast<Mask>(~((1u << (low - 1)) - 1));
        if (high < 16) keep &= static_cast<Mask>((1u << std::max(high, 0)) - 1);
        if (!keep) return Filter::Broken;
        if (keep != cand[c]) {
            cand[c] = keep;
            result = Filter::Changed;
        }
    }
    return result;
}

namespace {
struct Enumerator {
    const SumGroup& s;
    const Mask* cand;
    int n;
    int minRest[33], maxRest[33];
    int value[32];
    Mask support[32];
    bool done = false;

    void run(int pos, int sum) {
        if (pos == n) {
            if (sum != s.sum) return;
            bool full = true;
            for (int i = 0; i < n; ++i) {
                support[i] |= digitBit(value[i]);
                full = full && support[i] == cand[s.cells[i]];
            }
            done = full;
            return;
        }
        for (Mask m = cand[s.cells[pos]]; m && !done; m &= m - 1) {
            const int d = __builtin_ctz(m) + 1;
            if (sum + d + minRest[pos + 1] > s.sum) break;
            if (sum + d + maxRest[pos + 1] < s.sum) continue;
            bool clash = false;
            for (std::uint32_t k = s.conflicts[pos] & ((1u << pos) - 1); k; k &= k - 1)
                if (value[__builtin_ctz(k)] == d) { clash = true; break; }
            if (clash) continue;
            value[pos] = d;
            run(pos + 1, sum + d);
        }
    }
};
}  // namespace

static Filter filterSearch(Mask* cand, const SumGroup& s) {
    Enumerator e{s, cand, static_cast<int>(s.cells.size()), {}, {}, {}, {}, false};
    e.minRest[e.n] = e.maxRest[e.n] = 0;
    for (int i = e.n - 1; i >= 0; --i) {
        const Mask m = cand[s.cells[i]];
        if (!m) return Filter::Broken;
        e.minRest[i] = e.minRest[i + 1] + __builtin_ctz(m) + 1;
        e.maxRest[i] = e.maxRest[i + 1] + 32 - __builtin_clz(m);
        e.support[i] = 0;
    }
    e.run(0, 0);
    Filter result = Filter::Same;
    for (int i = 0; i < e.n; ++i) {
        const int c = s.cells[i];
        if (!e.support[i]) return Filter::Broken;
        if (e.support[i] != cand[c]) {
            cand[c] = e.support[i];
            result = Filter::Changed;
        }
    }
    return result;
}

// Largest number of digit tuples searched through for a group that is not
// distinct; beyond it the bounds of the sum do.
constexpr long kSearchBudget = 512;

Filter filterGroup(Mask* cand, const SumGroup& s, const ComboTable& table, Mask* required) {
    if (s.distinct) return filterDistinct(cand, s, table, required);
    if (required) *required = 0;
    if (s.cells.size() <= 32) {
        long space = 1;
        for (int c : s.cells) {
            space *= popcount(cand[c]);
            if (space > kSearchBudget) break;
        }
        if (space <= kSearchBudget) return filterSearch(cand, s);
    }
    return filterBounds(cand, s);
}

}  // namespace sumgrid::engine
