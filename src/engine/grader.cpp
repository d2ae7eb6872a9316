#include "grader.h"

#include <algorithm>
#include <cstring>

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

// A set of small numbers walked in ascending order: the units, cages or groups
// that a technique still has to look at.
class Pending {
public:
    void fill(int n) {
        words_.assign((n + 63) / 64, ~std::uint64_t{0});
        if (n % 64) words_.back() = (std::uint64_t{1} << (n % 64)) - 1;
    }
    void add(int i) { words_[i >> 6] |= std::uint64_t{1} << (i & 63); }
    // Adds the members of a row of a BitRows table sized for this set.
    void addAll(const std::uint64_t* bits) {
        for (std::size_t w = 0; w < words_.size(); ++w) words_[w] |= bits[w];
    }
    void drop(int i) { words_[i >> 6] &= ~(std::uint64_t{1} << (i & 63)); }
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


// Calls f with every set of exactly k of the n items, as a bit set, until f
// returns true; returns whether it did.
template <class F>
bool anySubset(int n, int k, F f) {
    if (k > n || k < 1) return false;
    for (unsigned set = (1u << k) - 1; set < (1u << n);) {
        if (f(set)) return true;
        const unsigned low = set & -set, ripple = set + low;
        set = (((ripple ^ set) >> 2) / low) | ripple;
    }
    return false;
}

}  // namespace

const char* techniqueName(Technique t) { return kTechniques[static_cast<int>(t)].name; }

int techniqueLevel(Technique t) { return kTechniques[static_cast<int>(t)].level; }

int Grade::steps() const {
    int n = 0;
    for (int t = 0; t < kTechniqueCount; ++t)
        if (techniqueLevel(static_cast<Technique>(t)) == level) n += uses[t];
    return n;
}

// The solver behind the grader. A step of a level-1 technique sweeps the
// grid; a step of any harder technique works at one place (a group, a unit,
// a digit's pattern, a cage, a cell), so that the counts say how often each
// was needed. After every step the solve starts again from the easiest
// technique; pending sets keep the easy techniques to the units, cages and
// groups whose cells changed since they last looked.
class Human {
public:
    explicit Human(const Killer& k) : g_(*geometryFor(k.side)), table_(comboTableFor(k.side)) {
        static_assert(3 * kMaxSide <= 64, "the units of a grid fit one word");
        unitsOf_.assign(g_.cells, 0);
        for (int c = 0; c < g_.cells; ++c)
            for (int u : g_.unitsOfCell[c]) unitsOf_[c] |= std::uint64_t{1} << u;
        restart(k);
    }

    int side() const { return g_.side; }

    // A fresh solve of other clues on a grid of the same side, in the storage
    // of the solve before.
    void restart(const Killer& k) {
        s_.cand.assign(g_.cells, g_.all);
        s_.seen = s_.cand;
        s_.placed.assign(g_.cells, 0);
        s_.placedCount = 0;
        s_.broken = false;
        s_.singles.fill(g_.cells);
        s_.hidden.fill(static_cast<int>(g_.units.size()));
        s_.pointUnits.fill(static_cast<int>(g_.units.size()));
        for (int k = 0; k < 3; ++k) {
            s_.nakedSets[k].fill(static_cast<int>(g_.units.size()));
            s_.hiddenSets[k].fill(static_cast<int>(g_.units.size()));
        }
        s_.fishDigits[0] = s_.fishDigits[1] = g_.all;
        progress_ = Grade{};
        killer_.cageOf.clear();  // nothing is known of any cage
        setClues(k);
    }

    // A solve that starts from given candidates; a single candidate counts as
    // placed once no cell that must differ from it still holds the digit.
    Human(const Killer& k, const std::vector<Mask>& cand) : Human(k) {
        s_.cand = s_.seen = cand;
        for (int i = 0; i < g_.cells; ++i) {
            bool alone = singleBit(cand[i]);
            for (int p : g_.peers[i]) alone = alone && !(cand[p] & cand[i]);
            for (int p : cages_[killer_.cageOf[i]].cells) alone = alone && (p == i || !(cand[p] & cand[i]));
            s_.placed[i] = alone;
            s_.placedCount += alone;
        }
    }

    void setClues(const Killer& k) {
        // The cages, keeping the storage of the ones before, which stay in
        // spare_ until the cages kept are matched.
        spare_.swap(cages_);
        cages_.resize(k.cageCount());
        int size[kMaxCells] = {};
        for (int c : k.cageOf) ++size[c];
        for (int c = 0; c < k.cageCount(); ++c) {
            cages_[c].cells.clear();
            cages_[c].cells.reserve(size[c]);
            cages_[c].sum = k.sums[c];
            cages_[c].distinct = true;
            cages_[c].kind = GroupKind::Cage;
        }
        for (int i = 0; i < g_.cells; ++i) cages_[k.cageOf[i]].cells.push_back(i);
        keepWhatIsKnown();
        killer_ = k;
        haveAcross_ = false;
        derived_.clear();
        haveDerived_ = false;
    }

    // A cage that the new clues keep, same cells and sum, keeps what the solve
    // knows of it: the digits it needs, and whether the level-1 and level-2
    // techniques must look at it again. Every other cage is looked at afresh.
    void keepWhatIsKnown() {
        const std::vector<Mask> needed = s_.needed;
        const Pending cages = s_.cages, pointCages = s_.pointCages;
        const int count = static_cast<int>(cages_.size());
        s_.needed.assign(count, 0);
        s_.cages.fill(count);
        s_.pointCages.fill(count);
        if (killer_.cageOf.empty()) return;  // no clues before
        for (int c = 0; c < count; ++c) {
            const int old = killer_.cageOf[cages_[c].cells.front()];
            if (spare_[old].sum != cages_[c].sum || spare_[old].cells != cages_[c].cells) continue;
            s_.needed[c] = needed[old];
            if (!cages.has(old)) s_.cages.drop(c);
            if (!pointCages.has(old)) s_.pointCages.drop(c);
        }
    }

    const std::vector<Mask>& candidates() const { return s_.cand; }

    // Applies the easiest technique up to maxLevel that makes progress; -1 if none does.
    int step(int maxLevel) {
        for (int t = 0; t < kTechniqueCount && !s_.broken; ++t) {
            const auto tech = static_cast<Technique>(t);
            if (techniqueLevel(tech) > maxLevel) break;
            if (apply(tech)) {
                noteChanges();
                return t;
            }
        }
        return -1;
    }

    Grade run(int maxLevel) {
        Grade& out = progress_;
        for (;;) {
            if (s_.placedCount == g_.cells) {
                out.solved = true;
                break;
            }
            const int t = step(maxLevel);
            if (t >= 0) {
                ++out.uses[t];
                out.level = std::max(out.level, techniqueLevel(static_cast<Technique>(t)));
            }
            if (s_.broken || t < 0) break;
        }
        out.contradiction = s_.broken;
        Grade result = out;
        if (!result.solved) result.level = 0;
        result.grid.assign(g_.cells, 0);
        for (int i = 0; i < g_.cells; ++i)
            if (singleBit(s_.cand[i])) result.grid[i] = digitOf(s_.cand[i]);
        return result;
    }

private:
    // Everything a solve changes, so that a forcing chain can try a digit and go back.
    struct State {
        std::vector<Mask> cand, seen;  // candidates now, and when changes were last noted
        std::vector<char> placed;
        int placedCount = 0;
        std::vector<Mask> needed;  // per cage, the digits all its combinations hold
        Pending singles, hidden, cages, derived, pointUnits, pointCages, across, overlap;
        // Per size 2..4, the units that naked (hidden) subsets look at again;
        // per size 2..3, the digits whose fish are looked for again. They look
        // only at candidates, which only shrink, so what found nothing finds
        // nothing again until a candidate of it goes.
        Pending nakedSets[3], hiddenSets[3];
        Mask fishDigits[2] = {0, 0};
        bool broken = false;
    };

    bool apply(Technique t) {
        switch (t) {
            case Technique::NakedSingle: return nakedSingles();
            case Technique::HiddenSingle: return hiddenSingles();
            case Technique::CageCombination: return cageCombinations();
            case Technique::InniesOutiesOneUnit: return inniesOuties(GroupKind::UnitInOut);
            case Technique::Intersection: return intersections();
            case Technique::InniesOutiesTwoUnits: return inniesOuties(GroupKind::PairInOut);
            case Technique::NakedPair: return nakedSubsets(2);
            case Technique::HiddenPair: return hiddenSubsets(2);
            case Technique::InniesOutiesWide: return inniesOuties(GroupKind::WideInOut);
            case Technique::CageSplitting: return cageSplitting();
            case Technique::NakedTriple: return nakedSubsets(3);
            case Technique::HiddenTriple: return hiddenSubsets(3);
            case Technique::XWing: return fish(2);
            case Technique::Swordfish: return fish(3);
            case Technique::NakedQuad: return nakedSubsets(4);
            case Technique::HiddenQuad: return hiddenSubsets(4);
            case Technique::CombinationsAcrossUnits: return combinationsAcrossUnits();
            case Technique::OverlappingCages: return overlappingCages();
            case Technique::ForcingChain: return forcingChains();
        }
        return false;
    }

    // Marks the units, cage and groups of every cell that changed as pending.
    void noteChanges() {
        Mask gone = 0;  // digits that left some cell
        std::uint64_t units = 0;  // units that some changed cell lies in
        for (int c = 0; c < g_.cells; ++c) {
            if (c + 4 <= g_.cells && std::memcmp(&s_.cand[c], &s_.seen[c], 4 * sizeof(Mask)) == 0) {
                c += 3;  // four unchanged cells at once
                continue;
            }
            if (s_.cand[c] == s_.seen[c]) continue;
            gone |= s_.seen[c] & static_cast<Mask>(~s_.cand[c]);
            s_.seen[c] = s_.cand[c];
            s_.singles.add(c);
            units |= unitsOf_[c];
            if (haveAcross_) s_.across.addAll(acrossOf_.row(c));
            s_.cages.add(killer_.cageOf[c]);
            s_.pointCages.add(killer_.cageOf[c]);
            if (haveDerived_) {
                s_.derived.addAll(derivedOf_.row(c));
                s_.overlap.addAll(derivedNear_.row(c));
            }
        }
        for (Pending* p : {&s_.hidden, &s_.pointUnits, &s_.nakedSets[0], &s_.nakedSets[1], &s_.nakedSets[2],
                           &s_.hiddenSets[0], &s_.hiddenSets[1], &s_.hiddenSets[2]})
            p->addAll(&units);
        s_.fishDigits[0] |= gone;
        s_.fishDigits[1] |= gone;
    }

    bool remove(int cell, Mask digits) {
        const Mask m = s_.cand[cell] & static_cast<Mask>(~digits);
        if (m == s_.cand[cell]) return false;
        s_.cand[cell] = m;
        s_.singles.add(cell);
        if (!m) s_.broken = true;
        return true;
    }

    Filter filterOne(const SumGroup& s, Mask* needed = nullptr) {
        const Filter f = filterGroup(s_.cand.data(), s, table_, needed);
        if (f == Filter::Broken) s_.broken = true;
        return f;
    }

    // ------------------------------------------------------------ LEVEL-1

    bool nakedSingles() {
        bool progress = false;
        s_.singles.any([&](int i) {
            s_.singles.drop(i);
            if (s_.placed[i] || !singleBit(s_.cand[i])) return false;
            s_.placed[i] = 1;
            ++s_.placedCount;
            progress = true;
            for (int p : g_.peers[i]) remove(p, s_.cand[i]);
            for (int p : cages_[killer_.cageOf[i]].cells)
                if (p != i) remove(p, s_.cand[i]);
            return false;
        });
        return progress;
    }

    bool hiddenSingles() {
        bool progress = false;
        s_.hidden.any([&](int u) {
            s_.hidden.drop(u);
            Mask once = 0, twice = 0;
            for (int c : g_.units[u]) {
                twice |= once & s_.cand[c];
                once |= s_.cand[c];
            }
            if (once != g_.all) s_.broken = true;
            for (Mask hidden = once & static_cast<Mask>(~twice); hidden; hidden &= hidden - 1) {
                const Mask bit = hidden & -hidden;
                for (int c : g_.units[u])
                    if (s_.cand[c] & bit) {
                        progress = progress || s_.cand[c] != bit;
                        s_.cand[c] = bit;
                        break;
                    }
            }
            return false;
        });
        return progress;
    }

    bool cageCombinations() {
        bool progress = false;
        s_.cages.any([&](int cage) {
            s_.cages.drop(cage);
            progress = filterOne(cages_[cage], &s_.needed[cage]) != Filter::Same || progress;
            return false;
        });
        return progress;
    }

    // ------------------------------------------------------------ LEVEL-2 and 3

    // The innie/outie groups of one kind, up to the first that makes progress.
    bool inniesOuties(GroupKind kind) {
        derived();
        return s_.derived.anyOf(ofKind_.row(static_cast<int>(kind)), [&](int i) {
            s_.derived.drop(i);
            return filterOne(derived_[i]) != Filter::Same;
        });
    }

    // For each digit, the positions within the unit that can hold it.
    void positionsOf(const std::vector<int>& unit, unsigned* pos) const {
        for (int d = 0; d < g_.side; ++d) pos[d] = 0;
        for (std::size_t i = 0; i < unit.size(); ++i)
            for (Mask m = s_.cand[unit[i]]; m; m &= m - 1) pos[__builtin_ctz(m)] |= 1u << i;
    }

    // The bit of a unit in Geometry::unitBits.
    std::uint64_t unitBit(int unit) const {
        return std::uint64_t{1} << (16 * (unit / g_.side) + unit % g_.side);
    }

    // Removes the digit from the units of common (unitBits) other than own,
    // outside own and outside the cage ownCage (-1 for none).
    bool clearAround(std::uint64_t common, Mask bit, std::uint64_t own, int ownCage) {
        bool progress = false;
        for (std::uint64_t m = common & ~own; m; m &= m - 1) {
            const int b = __builtin_ctzll(m);
            for (int c : g_.units[(b / 16) * g_.side + b % 16]) {
                if (!(s_.cand[c] & bit) || (g_.unitBits[c] & own) || (ownCage >= 0 && killer_.cageOf[c] == ownCage))
                    continue;
                remove(c, bit);
                progress = true;
            }
        }
        return progress;
    }

    // Pointing and claiming: a digit whose places in one unit, or in a cage
    // that needs it, all lie in another unit leaves the rest of that unit.
    // Candidates only shrink during a solve, so a unit or cage whose own cells
    // are as they were when it last gave nothing gives nothing again.
    bool intersections() {
        const bool inUnit = s_.pointUnits.any([&](int u) {
            Mask once = 0, twice = 0;
            for (int c : g_.units[u]) {
                twice |= once & s_.cand[c];
                once |= s_.cand[c];
            }
            // Per kind of crossing unit, the digits of two or more places in
            // the unit that lie where it meets just one of them.
            for (int kind = 0; kind < 3; ++kind) {
                Mask seen = 0, again = 0;
                for (const auto& x : g_.crossings[u]) {
                    if (x.unit / g_.side != kind) continue;
                    Mask here = 0;
                    for (int c : x.cells) here |= s_.cand[c];
                    again |= seen & here;
                    seen |= here;
                }
                for (Mask confined = seen & twice & static_cast<Mask>(~again); confined; confined &= confined - 1) {
                    const Mask bit = confined & -confined;
                    for (const auto& x : g_.crossings[u]) {
                        if (x.unit / g_.side != kind) continue;
                        bool here = false;
                        for (int c : x.cells) here = here || (s_.cand[c] & bit);
                        if (here && clearAround(unitBit(x.unit), bit, unitBit(u), -1)) return true;
                    }
                }
            }
            s_.pointUnits.drop(u);
            return false;
        });
        return inUnit || s_.pointCages.any([&](int cage) {
            const SumGroup& s = cages_[cage];
            if (s_.cages.has(cage)) {  // the digits needed are out of date
                s_.cages.drop(cage);
                if (filterOne(s, &s_.needed[cage]) != Filter::Same) return true;
            }
            for (Mask needed = s_.needed[cage]; needed; needed &= needed - 1) {
                const Mask bit = needed & -needed;
                std::uint64_t common = ~std::uint64_t{0};
                for (int c : s.cells)
                    if (s_.cand[c] & bit) common &= g_.unitBits[c];
                if (clearAround(common, bit, 0, cage)) return true;
            }
            s_.pointCages.drop(cage);
            return false;
        });
    }

    // k open cells of a unit whose candidates together are k digits: those
    // digits leave the unit's other cells.
    bool nakedSubsets(int k) {
        int small[kMaxSide];
        Pending& pending = s_.nakedSets[k - 2];
        return pending.any([&](int u) {
            const auto& unit = g_.units[u];
            int open = 0, n = 0;
            for (int c : unit) {
                const int count = popcount(s_.cand[c]);
                if (count < 2) continue;
                ++open;
                if (count <= k) small[n++] = c;
            }
            const bool found = open > k && anySubset(n, k, [&](unsigned set) {
                Mask digits = 0;
                for (unsigned b = set; b; b &= b - 1) digits |= s_.cand[small[__builtin_ctz(b)]];
                if (popcount(digits) != k) return false;
                bool progress = false;
                for (int c : unit) {
                    if (popcount(s_.cand[c]) < 2) continue;
                    bool inSet = false;
                    for (unsigned b = set; b; b &= b - 1) inSet = inSet || small[__builtin_ctz(b)] == c;
                    if (!inSet && remove(c, digits)) progress = true;
                }
                return progress;
            });
            if (!found) pending.drop(u);
            return found;
        });
    }

    // k digits of a unit that only k cells can take: those cells lose every
    // other digit.
    bool hiddenSubsets(int k) {
        unsigned pos[kMaxSide];
        int digits[kMaxSide];
        Pending& pending = s_.hiddenSets[k - 2];
        return pending.any([&](int u) {
            const auto& unit = g_.units[u];
            positionsOf(unit, pos);
            int open = 0, n = 0;
            for (int d = 0; d < g_.side; ++d) {
                const int count = popcount(pos[d]);
                if (count < 2) continue;
                ++open;
                if (count <= k) digits[n++] = d;
            }
            const bool found = open > k && anySubset(n, k, [&](unsigned set) {
                unsigned cells = 0;
                Mask keep = 0;
                for (unsigned b = set; b; b &= b - 1) {
                    cells |= pos[digits[__builtin_ctz(b)]];
                    keep |= static_cast<Mask>(1u << digits[__builtin_ctz(b)]);
                }
                if (popcount(cells) != k) return false;
                bool progress = false;
                for (unsigned b = cells; b; b &= b - 1)
                    if (remove(unit[__builtin_ctz(b)], static_cast<Mask>(~keep))) progress = true;
                return progress;
            });
            if (!found) pending.drop(u);
            return found;
        });
    }

    // ------------------------------------------------------------ LEVEL-4

    // A digit whose places in k rows (columns) lie in k columns (rows) leaves
    // the rest of those columns (rows).
    bool fish(int k) {
        const int side = g_.side;
        int lines[kMaxSide];
        unsigned pos[kMaxSide];
        Mask& pending = s_.fishDigits[k - 2];
        for (int d = 1; d <= side; ++d) {
            const Mask bit = digitBit(d);
            if (!(pending & bit)) continue;
            for (int orient = 0; orient < 2; ++orient) {
                // Base lines: rows (orient 0) or columns (orient 1) with 2..k places.
                int n = 0;
                for (int l = 0; l < side; ++l) {
                    unsigned p = 0;
                    for (int i = 0; i < side; ++i)
                        if (s_.cand[g_.units[orient * side + l][i]] & bit) p |= 1u << i;
                    if (popcount(p) >= 2 && popcount(p) <= k) {
                        lines[n] = l;
                        pos[n++] = p;
                    }
                }
                const bool found = anySubset(n, k, [&](unsigned set) {
                    unsigned cover = 0, base = 0;
                    for (unsigned b = set; b; b &= b - 1) {
                        cover |= pos[__builtin_ctz(b)];
                        base |= 1u << lines[__builtin_ctz(b)];
                    }
                    if (popcount(cover) != k) return false;
                    bool progress = false;
                    for (unsigned b = cover; b; b &= b - 1)
                        for (int l = 0; l < side; ++l)
                            if (!(base >> l & 1u)) {
                                const int cross = __builtin_ctz(b);
                                progress = remove(orient == 0 ? l * side + cross : cross * side + l, bit) || progress;
                            }
                    return progress;
                });
                if (found) return true;
            }
            pending &= static_cast<Mask>(~bit);
        }
        return false;
    }

    // The open cells of a group, ascending, and the sum they still need.
    int openCells(const std::vector<int>& cells, int sum, int* open, int& n) const {
        n = 0;
        for (int c : cells) {
            if (s_.placed[c]) sum -= digitOf(s_.cand[c]);
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
            const int cage = killer_.cageOf[open[i]];
            if (std::any_of(open, open + i, [&](int c) { return killer_.cageOf[c] == cage; })) continue;
            int m = 0;
            const int need = openCells(cages_[cage].cells, cages_[cage].sum, cageOpen, m);
            const int shared = static_cast<int>(std::count_if(open, open + n, [&](int c) { return killer_.cageOf[c] == cage; }));
            if (f(cage, cageOpen, m, need, shared)) return true;
        }
        return false;
    }

    // Cage splitting: once placed digits are set aside, a rule-of-45 group
    // that lies inside a cage leaves the rest of the cage with the rest of its
    // sum, and a cage that lies inside such a group leaves the rest of the group.
    bool cageSplitting() {
        int open[kMaxCells], rest[kMaxCells];
        for (const SumGroup& s : derived()) {
            int n = 0;
            const int need = openCells(s.cells, s.sum, open, n);
            const bool found = eachCageOf(open, n, [&](int, const int* cageOpen, int m, int cageNeed, int shared) {
                int r = 0, sum = 0;
                if (shared == n && m > n) {
                    r = static_cast<int>(std::set_difference(cageOpen, cageOpen + m, open, open + n, rest) - rest);
                    sum = cageNeed - need;
                } else if (shared == m && n > m) {
                    r = static_cast<int>(std::set_difference(open, open + n, cageOpen, cageOpen + m, rest) - rest);
                    sum = need - cageNeed;
                } else {
                    return false;
                }
                return filterOne(makeGroup(g_, killer_, std::vector<int>(rest, rest + r), sum, GroupKind::CageSplit)) !=
                       Filter::Same;
            });
            if (found) return true;
        }
        return false;
    }

    // ------------------------------------------------------------ LEVEL-5

    // Narrows each cell to the digits of the fillings found; true on a change.
    // No filling at all is a contradiction.
    bool keepSupported(const Fillings& f, const int* cells) {
        bool progress = false;
        for (int i = 0; i < f.n; ++i) {
            const Mask m = s_.cand[cells[i]] & f.support[i];
            if (!m) s_.broken = true;
            progress = progress || m != s_.cand[cells[i]];
            s_.cand[cells[i]] = m;
        }
        return progress;
    }

    // Combinations across units: every filling of a cage is held against the
    // rows, columns and boxes it crosses. A filling that leaves a cell outside
    // the cage without a candidate, or a unit without a place for a digit it
    // still needs, is impossible.
    bool combinationsAcrossUnits() {
        // The check: the open cells outside the cage that see a cage cell
        // (watched) lose each digit placed in a cage cell they see.
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
        if (!haveAcross_) {  // per cell, the cages of its units, for the pending set
            acrossOf_.reset(g_.cells, killer_.cageCount());
            for (int c = 0; c < g_.cells; ++c)
                for (int u : g_.unitsOfCell[c])
                    for (int x : g_.units[u]) acrossOf_.set(c, killer_.cageOf[x]);
            s_.across.fill(killer_.cageCount());
            haveAcross_ = true;
        }
        Fillings f;
        AcrossUnits check;
        int open[kMaxSide];
        std::vector<int> watchIndex(g_.cells);
        return s_.across.any([&](int id) {
            const SumGroup& cage = cages_[id];
            int n = 0;
            f.target[0] = openCells(cage.cells, cage.sum, open, n);
            s_.across.drop(id);
            if (n < 2) return false;
            std::stable_sort(open, open + n, [&](int a, int b) { return popcount(s_.cand[a]) < popcount(s_.cand[b]); });
            f.n = n;
            f.member[0] = (1u << n) - 1;
            for (int i = 0; i < n; ++i) {
                f.cand[i] = s_.cand[open[i]];
                f.differ[i] = f.member[0] & ~(1u << i);
            }
            check.watched = check.units = 0;
            std::fill(watchIndex.begin(), watchIndex.end(), -1);
            for (int i = 0; i < n; ++i) {
                check.seers[i].clear();
                for (int p : g_.peers[open[i]]) {
                    if (s_.placed[p] || killer_.cageOf[p] == id) continue;
                    if (watchIndex[p] < 0) {
                        watchIndex[p] = check.watched;
                        check.left[check.watched++] = s_.cand[p];
                    }
                    check.seers[i].push_back(watchIndex[p]);
                }
            }
            for (int u = 0; u < 3 * g_.side; ++u) {
                const int k = check.units;
                check.need[k] = g_.all;
                check.cageCells[k] = 0;
                check.unitWatched[k].clear();
                for (int c : g_.units[u]) {
                    if (s_.placed[c]) check.need[k] &= static_cast<Mask>(~s_.cand[c]);
                    else if (watchIndex[c] >= 0) check.unitWatched[k].push_back(watchIndex[c]);
                    for (int i = 0; i < n; ++i)
                        if (open[i] == c) check.cageCells[k] |= 1u << i;
                }
                check.units += check.cageCells[k] && !check.unitWatched[k].empty();
            }
            if (!f.small()) return false;
            f.run(check);
            if (!keepSupported(f, open)) return false;
            s_.across.add(id);
            return true;
        });
    }

    // Overlapping cages: a rule-of-45 group and a cage that share cells are
    // filled together, both sums at once and every two cells that see each
    // other or share a cage different.
    bool overlappingCages() {
        Fillings f;
        AnyFilling any;
        int open[kMaxCells], cells[Fillings::kMax];
        derived();
        return s_.overlap.any([&](int i) {
            const SumGroup& s = derived_[i];
            int n = 0;
            const int need = openCells(s.cells, s.sum, open, n);
            const bool found = eachCageOf(open, n, [&](int cage, const int* cageOpen, int m, int cageNeed, int shared) {
                if (shared == n || shared == m) return false;  // one inside the other: cage splitting
                // The shared cells first, then the rest of the smaller side,
                // so that one sum is complete early in the search.
                auto inCage = [&](int c) { return killer_.cageOf[c] == cage; };
                auto inGroup = [&](int c) { return std::binary_search(open, open + n, c); };
                f.n = 0;
                for (int j = 0; j < n; ++j)
                    if (inCage(open[j])) cells[f.n++] = open[j];
                const bool groupFirst = n <= m;
                for (int side = 0; side < 2; ++side) {
                    const bool group = (side == 0) == groupFirst;
                    for (int j = 0; j < (group ? n : m); ++j) {
                        const int c = group ? open[j] : cageOpen[j];
                        if (!(inCage(c) && inGroup(c))) cells[f.n++] = c;
                    }
                }
                f.member[0] = f.member[1] = 0;
                for (int j = 0; j < f.n; ++j) {
                    f.cand[j] = s_.cand[cells[j]];
                    f.member[0] |= static_cast<std::uint32_t>(inGroup(cells[j])) << j;
                    f.member[1] |= static_cast<std::uint32_t>(inCage(cells[j])) << j;
                    f.differ[j] = 0;
                    for (int k = 0; k < f.n; ++k)
                        if (k != j && ((g_.unitBits[cells[j]] & g_.unitBits[cells[k]]) ||
                                       killer_.cageOf[cells[j]] == killer_.cageOf[cells[k]]))
                            f.differ[j] |= 1u << k;
                }
                f.target[0] = need;
                f.target[1] = cageNeed;
                if (!f.small()) return false;
                f.run(any);
                return keepSupported(f, cells);
            });
            if (!found) s_.overlap.drop(i);
            return found;
        });
    }

    // Forcing chain: a cell with two candidates is tried with each, and the
    // level-1 techniques followed to their end. A digit that breaks the grid
    // is out; a candidate that neither way keeps is out.
    bool forcingChains() {
        derived();
        const State start = s_;
        std::vector<Mask> after[2];
        bool broke[2];
        for (int x = 0; x < g_.cells; ++x) {
            if (popcount(start.cand[x]) != 2) continue;
            const Mask low = start.cand[x] & -start.cand[x];
            for (int pick = 0; pick < 2; ++pick) {
                s_.cand[x] = pick == 0 ? low : static_cast<Mask>(start.cand[x] ^ low);
                noteChanges();
                while (!s_.broken && step(1) >= 0) {
                }
                broke[pick] = s_.broken;
                after[pick] = s_.cand;
                s_ = start;
            }
            if (broke[0] || broke[1]) {
                s_.broken = broke[0] && broke[1];
                s_.cand[x] = broke[0] ? static_cast<Mask>(start.cand[x] ^ low) : low;
                return true;
            }
            bool progress = false;
            for (int c = 0; c < g_.cells; ++c) {
                s_.cand[c] = start.cand[c] & (after[0][c] | after[1][c]);
                progress = progress || s_.cand[c] != start.cand[c];
            }
            if (progress) return true;
        }
        return false;
    }

    // The innie/outie groups, made when a technique first needs them.
    const std::vector<SumGroup>& derived() {
        if (!haveDerived_) {
            derived_ = derivedGroups(g_, killer_, 5, 5);
            const int n = static_cast<int>(derived_.size());
            derivedOf_.reset(g_.cells, n);
            derivedNear_.reset(g_.cells, n);
            ofKind_.reset(static_cast<int>(GroupKind::CageSplit) + 1, n);
            for (int i = 0; i < n; ++i) ofKind_.set(static_cast<int>(derived_[i].kind), i);
            for (int i = 0; i < n; ++i)
                for (int c : derived_[i].cells) {
                    derivedOf_.set(c, i);
                    for (int x : cages_[killer_.cageOf[c]].cells) derivedNear_.set(x, i);
                }
            s_.derived.fill(static_cast<int>(derived_.size()));
            s_.overlap.fill(static_cast<int>(derived_.size()));
            haveDerived_ = true;
        }
        return derived_;
    }

    const Geometry& g_;
    const ComboTable& table_;
    Killer killer_;
    std::vector<SumGroup> cages_, derived_;
    std::vector<SumGroup> spare_;  // the cages of the clues before
    std::vector<std::uint64_t> unitsOf_;  // per cell, its units as bits
    BitRows derivedOf_;    // per cell, the derived groups holding it
    BitRows derivedNear_;  // per cell, the derived groups sharing a cage with it
    BitRows ofKind_;       // per group kind, the derived groups of that kind
    BitRows acrossOf_;     // per cell, the cages with a cell in one of its units
    bool haveDerived_ = false;
    bool haveAcross_ = false;
    State s_;
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
