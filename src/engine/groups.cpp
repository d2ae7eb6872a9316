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
    const int n = static_cast<int>(s.cells.size()), m = std::min(n, 32);
    std::uint32_t differ[32];  // the conflict masks of the first 32 cells
    bool distinct = true;
    for (int i = 0; i < m; ++i) {
        const std::uint64_t units = g.unitBits[s.cells[i]];
        const int cage = k.cageOf[s.cells[i]];
        differ[i] = 0;
        for (int j = 0; j < i; ++j) {
            const bool differs = (units & g.unitBits[s.cells[j]]) || cage == k.cageOf[s.cells[j]];
            differ[i] |= static_cast<std::uint32_t>(differs) << j;
            differ[j] |= static_cast<std::uint32_t>(differs) << i;
            distinct = distinct && differs;
        }
    }
    s.distinct = distinct && (n <= 32 || allDiffer(g, k, s.cells.data(), n));
    s.conflicts.clear();
    if (s.distinct) return;
    s.conflicts.assign(differ, differ + m);
    s.conflicts.resize(n, 0);
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
// A set of cells as bits, cell i in word i / 64.
struct CellSet {
    static constexpr int kWords = (kMaxCells + 63) / 64;
    std::uint64_t w[kWords] = {};

    void add(int c) { w[c >> 6] |= std::uint64_t{1} << (c & 63); }
    void operator|=(const CellSet& o) {
        for (int i = 0; i < kWords; ++i) w[i] |= o.w[i];
    }
    // The cells here and not in o.
    CellSet minus(const CellSet& o) const {
        CellSet s;
        for (int i = 0; i < kWords; ++i) s.w[i] = w[i] & ~o.w[i];
        return s;
    }
    bool operator==(const CellSet& o) const { return std::equal(w, w + kWords, o.w); }
    std::uint64_t hash() const {
        std::uint64_t h = 0x9E3779B97F4A7C15ull;
        for (std::uint64_t x : w) h = (h ^ x) * 0xBF58476D1CE4E5B9ull;
        return h ^ (h >> 31);
    }
    // Writes the n cells, ascending.
    void cells(std::vector<int>& out, int n) const {
        out.clear();
        out.reserve(n);
        for (int i = 0; i < kWords; ++i)
            for (std::uint64_t x = w[i]; x; x &= x - 1) out.push_back(64 * i + __builtin_ctzll(x));
    }
};

// Open-addressed table from a cell set's hash to an entry number; the caller
// compares the sets on a hash match. The storage stays with the thread.
class SetIndex {
public:
    explicit SetIndex(std::size_t capacity) {
        std::size_t n = 64;
        while (n <= capacity) n *= 2;
        mask_ = n - 1;
        thread_local std::vector<std::uint64_t> hashes;
        thread_local std::vector<int> values;
        if (hashes.size() < n) hashes.resize(n);
        values.assign(n, -1);
        hashes_ = hashes.data();
        values_ = values.data();
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
    std::uint64_t* hashes_;  // read only where a value is set
    int* values_;
};

// A run of units of one kind (rows, columns or boxes) as it grows: its cells,
// the cells of the cages it touches and of those wholly inside, with their
// counts and sums.
struct Run {
    CellSet cells, touched, whole;
    int count = 0, touchedCount = 0, wholeCount = 0;
    int touchedSum = 0, wholeSum = 0;
    unsigned lines = 0;  // the units of the run, bit i for unit i of its kind
};
}  // namespace

std::vector<SumGroup> derivedGroups(const Geometry& g, const Killer& k, int maxCells, int maxLoose, int minUnits,
                                    int maxUnits) {
    std::vector<SumGroup> out;
    appendDerivedGroups(g, k, maxCells, maxLoose, minUnits, maxUnits, out);
    return out;
}

void appendDerivedGroups(const Geometry& g, const Killer& k, int maxCells, int maxLoose, int minUnits, int maxUnits,
                         std::vector<SumGroup>& out, std::vector<SumGroup>* spare) {
    const int side = g.side, cageCount = k.cageCount();
    // Per cage its cells and the rows, columns and boxes it meets; per unit
    // its cells and the cages that meet it.
    thread_local std::vector<CellSet> cageSet, outSet;
    thread_local std::vector<std::uint16_t> lines[3];
    thread_local std::vector<int> size;
    cageSet.assign(cageCount, CellSet{});
    size.assign(cageCount, 0);
    for (auto& l : lines) l.assign(cageCount, 0);
    CellSet unitSet[3 * kMaxSide];
    int unitCages[3 * kMaxSide][kMaxSide], unitCageCount[3 * kMaxSide] = {};
    for (int c = 0; c < g.cells; ++c) {
        const int cage = k.cageOf[c];
        cageSet[cage].add(c);
        ++size[cage];
        const int at[3] = {g.row(c), g.col(c), g.box(c)};
        for (int kind = 0; kind < 3; ++kind) {
            lines[kind][cage] |= static_cast<std::uint16_t>(1u << at[kind]);
            unitSet[kind * side + at[kind]].add(c);
        }
    }
    for (int cage = 0; cage < cageCount; ++cage)
        for (int kind = 0; kind < 3; ++kind)
            for (unsigned l = lines[kind][cage]; l; l &= l - 1) {
                const int u = kind * side + __builtin_ctz(l);
                unitCages[u][unitCageCount[u]++] = cage;
            }

    // Entries below cageCount stand for cages, the others for out[entry - cageCount].
    const std::size_t capacity = out.size() + 2 * g.regions.size();  // an innie and an outie group per region at most
    SetIndex index(cageCount + capacity);
    for (int c = 0; c < cageCount; ++c) index.insert(cageSet[c].hash(), c);
    outSet.resize(out.size());
    for (std::size_t i = 0; i < out.size(); ++i) {
        outSet[i] = CellSet{};
        for (int c : out[i].cells) outSet[i].add(c);
        index.insert(outSet[i].hash(), cageCount + static_cast<int>(i));
    }
    out.reserve(capacity);
    outSet.reserve(capacity);
    // Adds the group of n cells, 1 to maxCells, unless it is a cage or known
    // already (then only its kind may become an easier one).
    auto add = [&](const CellSet& set, int n, int sum, GroupKind kind) {
        const std::uint64_t hash = set.hash();
        const int found = index.find(hash, [&](int entry) {
            return set == (entry < cageCount ? cageSet[entry] : outSet[entry - cageCount]);
        });
        if (found >= 0 && found < cageCount) return;
        if (found >= cageCount) {
            SumGroup& known = out[found - cageCount];
            if (kind < known.kind) known.kind = kind;
            return;
        }
        SumGroup s;
        if (spare && !spare->empty()) {
            s = std::move(spare->back());
            spare->pop_back();
        }
        set.cells(s.cells, n);
        if (n > maxLoose && !allDiffer(g, k, s.cells.data(), n)) return;
        s.sum = sum;
        s.kind = kind;
        finish(g, k, s);
        index.insert(hash, cageCount + static_cast<int>(out.size()));
        out.push_back(std::move(s));
        outSet.push_back(set);
    };

    // Takes unit i of a kind into a run. A cage joins the cages touched when
    // it meets no unit of the run before, and those wholly inside when it
    // meets none outside the run after.
    auto enter = [&](Run& run, int kind, int i) {
        const int u = kind * side + i;
        const unsigned before = run.lines, after = before | 1u << i;
        for (int j = 0; j < unitCageCount[u]; ++j) {
            const int cage = unitCages[u][j];
            const unsigned meets = lines[kind][cage];
            if (!(meets & before)) {
                run.touchedCount += size[cage];
                run.touchedSum += k.sums[cage];
                run.touched |= cageSet[cage];
            }
            if (!(meets & ~after)) {
                run.wholeCount += size[cage];
                run.wholeSum += k.sums[cage];
                run.whole |= cageSet[cage];
            }
        }
        run.lines = after;
        run.cells |= unitSet[u];
        run.count += side;
    };
    // Adds the innies and outies of a run: the cells of the cages that cross
    // its border, inside and outside it.
    auto study = [&](const Run& run, int units) {
        const GroupKind kind = units == 1 ? GroupKind::UnitInOut : units == 2 ? GroupKind::PairInOut : GroupKind::WideInOut;
        const int total = units * g.unitTotal;
        const int innies = run.count - run.wholeCount, outies = run.touchedCount - run.count;
        if (innies > 0 && innies <= maxCells) add(run.cells.minus(run.whole), innies, total - run.wholeSum, kind);
        if (outies > 0 && outies <= maxCells) add(run.touched.minus(run.cells), outies, run.touchedSum - total, kind);
    };
    // Single rows first, then columns, boxes, so that the easiest kind wins.
    for (int u = 0; u < 3 * side && minUnits <= 1; ++u) {
        Run run;
        enter(run, u / side, u % side);
        study(run, 1);
    }
    // Runs of adjacent rows (columns), grown one line at a time.
    for (int orient = 0; orient < 2; ++orient)
        for (int a = 0; a < side; ++a) {
            Run run;
            for (int b = a; b < side && b - a + 1 < side && b - a < maxUnits; ++b) {
                enter(run, orient, b);
                if (b - a + 1 >= std::max(minUnits, 2)) study(run, b - a + 1);
            }
        }
    // Runs of adjacent boxes within a band or stack.
    for (const auto& region : g.regions) {
        const int n = static_cast<int>(region.size());
        if (n < std::max(minUnits, 2) || region.front() < 2 * side || n > maxUnits) continue;
        Run run;
        for (int u : region) enter(run, 2, u - 2 * side);
        study(run, n);
    }
}

// The loops below avoid branches that depend on the candidates: puzzles
// differ too much for a branch predictor to learn them, and mispredictions
// cost more than the few extra operations.
static Filter filterDistinct(Mask* cand, const SumGroup& s, const ComboTable& table, Mask* required) {
    const int n = static_cast<int>(s.cells.size());
    const int* cells = s.cells.data();
    if (n > kMaxSide) return Filter::Broken;  // more cells than distinct digits
    // The candidates four to a word, 16 bits a cell; spare lanes hold every
    // digit so that they meet any combination.
    std::uint64_t packed[4] = {};
    const int words = (n + 3) / 4;
    if (n % 4) packed[n / 4] = ~kLaneHigh << 16 * (n % 4);
    Mask fixed = 0, clash = 0, present = 0;
    for (int i = 0; i < n; ++i) {
        const Mask m = cand[cells[i]];
        const Mask single = ifSingle(m);
        clash |= fixed & single;
        fixed |= single;
        present |= m;
        packed[i / 4] |= std::uint64_t{m} << 16 * (i % 4);
    }
    if (clash) return Filter::Broken;
    Mask allowed = 0, needed = static_cast<Mask>(~0u);
    // A combination fits when it holds the fixed digits, every one of its
    // digits is a candidate somewhere (the cells cover it) and every cell
    // has a candidate in it (no lane of packed & combo is zero).
    auto consider = [&](Mask combo) {
        bool fits = (combo & ~present) == 0;
        fits &= lanesWithout(packed, words, combo) == 0;
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
    if (fixedCount == n) {  // every cell fixed: the group is filled, rightly or not
        if (rest != 0) return Filter::Broken;
        if (required) *required = fixed;
        return Filter::Same;
    }
    for (Mask others : table.combos(n - fixedCount, rest))
        if (!(others & fixed)) consider(static_cast<Mask>(others | fixed));
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
