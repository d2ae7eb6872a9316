#include "grader.h"

#include <algorithm>

#include "geometry.h"
#include "groups.h"

namespace sumgrid::engine {

const char* techniqueName(Technique t) {
    switch (t) {
        case Technique::NakedSingle: return "naked single";
        case Technique::HiddenSingle: return "hidden single";
        case Technique::CageCombination: return "cage combinations";
        case Technique::InniesOutiesOneUnit: return "innies/outies of one unit";
        case Technique::Intersection: return "pointing and claiming";
        case Technique::NakedPair: return "naked pair";
        case Technique::HiddenPair: return "hidden pair";
        case Technique::InniesOutiesTwoUnits: return "innies/outies of two units";
        case Technique::NakedTriple: return "naked triple";
        case Technique::HiddenTriple: return "hidden triple";
        case Technique::InniesOutiesWide: return "innies/outies of 3+ units";
        case Technique::CageSplitting: return "cage splitting";
        case Technique::XWing: return "x-wing";
        case Technique::Swordfish: return "swordfish";
        case Technique::NakedQuad: return "naked quad";
        case Technique::HiddenQuad: return "hidden quad";
    }
    return "?";
}

int techniqueLevel(Technique t) {
    if (t <= Technique::CageCombination) return 1;
    if (t <= Technique::Intersection) return 2;
    if (t <= Technique::HiddenPair) return 3;
    return 4;
}


class Human {
public:
    explicit Human(const Killer& k)
        : g_(*geometryFor(k.side)), table_(comboTableFor(k.side)) {
        setClues(k);
        cand_.assign(g_.cells, g_.all);
        placed_.assign(g_.cells, 0);
    }

    void setClues(const Killer& k) {
        killer_ = k;
        cages_ = cageGroups(g_, k);
        derived_.clear();
        haveDerived_ = false;
    }

    Grade run(int maxLevel) {
        Grade& out = progress_;
        for (;;) {
            if (std::all_of(placed_.begin(), placed_.end(), [](char p) { return p != 0; })) {
                out.solved = true;
                break;
            }
            bool progress = false;
            for (int t = 0; t < kTechniqueCount && !broken_; ++t) {
                const auto tech = static_cast<Technique>(t);
                if (techniqueLevel(tech) > maxLevel) break;
                if (apply(tech)) {
                    ++out.uses[t];
                    out.level = std::max(out.level, techniqueLevel(tech));
                    progress = true;
                    break;
                }
            }
            if (broken_ || !progress) break;
        }
        out.contradiction = broken_;
        Grade result = out;
        if (!result.solved) result.level = 0;
        result.grid.assign(g_.cells, 0);
        for (int i = 0; i < g_.cells; ++i)
            if (singleBit(cand_[i])) result.grid[i] = digitOf(cand_[i]);
        return result;
    }

private:
    bool apply(Technique t) {
        switch (t) {
            case Technique::NakedSingle: return nakedSingles();
            case Technique::HiddenSingle: return hiddenSingles();
            case Technique::CageCombination: return filter(cages_, GroupKind::Cage);
            case Technique::InniesOutiesOneUnit: return filter(derived(), GroupKind::UnitInOut);
            case Technique::Intersection: return intersections();
            case Technique::NakedPair: return nakedSubsets(2);
            case Technique::HiddenPair: return hiddenSubsets(2);
            case Technique::InniesOutiesTwoUnits: return filter(derived(), GroupKind::PairInOut);
            case Technique::NakedTriple: return nakedSubsets(3);
            case Technique::HiddenTriple: return hiddenSubsets(3);
            case Technique::InniesOutiesWide: return filter(derived(), GroupKind::WideInOut);
            case Technique::CageSplitting: return filter(derived(), GroupKind::CageSplit);
            case Technique::XWing: return fish(2);
            case Technique::Swordfish: return fish(3);
            case Technique::NakedQuad: return nakedSubsets(4);
            case Technique::HiddenQuad: return hiddenSubsets(4);
        }
        return false;
    }

    bool remove(int cell, Mask digits) {
        const Mask m = cand_[cell] & static_cast<Mask>(~digits);
        if (m == cand_[cell]) return false;
        cand_[cell] = m;
        if (!m) broken_ = true;
        return true;
    }

    bool nakedSingles() {
        bool progress = false;
        for (int i = 0; i < g_.cells; ++i) {
            if (placed_[i] || !singleBit(cand_[i])) continue;
            placed_[i] = 1;
            progress = true;
            for (int p : g_.peers[i]) remove(p, cand_[i]);
            for (int p : cages_[killer_.cageOf[i]].cells)
                if (p != i) remove(p, cand_[i]);
        }
        return progress;
    }

    bool hiddenSingles() {
        bool progress = false;
        for (const auto& unit : g_.units) {
            Mask once = 0, twice = 0;
            for (int c : unit) {
                twice |= once & cand_[c];
                once |= cand_[c];
            }
            if (once != g_.all) broken_ = true;
            for (Mask hidden = once & static_cast<Mask>(~twice); hidden; hidden &= hidden - 1) {
                const Mask bit = hidden & -hidden;
                for (int c : unit)
                    if (cand_[c] & bit) {
                        if (cand_[c] != bit) {
                            cand_[c] = bit;
                            progress = true;
                        }
                        break;
                    }
            }
        }
        return progress;
    }

    // For each digit, the positions within the unit that can hold it.
    void positionsOf(const std::vector<int>& unit, unsigned* pos) const {
        for (int d = 0; d < g_.side; ++d) pos[d] = 0;
        for (std::size_t i = 0; i < unit.size(); ++i)
            for (Mask m = cand_[unit[i]]; m; m &= m - 1) pos[__builtin_ctz(m)] |= 1u << i;
    }

    bool filter(const std::vector<SumGroup>& groups, GroupKind kind) {
        bool progress = false;
        for (const SumGroup& s : groups) {
            if (s.kind != kind) continue;
            const Filter f = filterGroup(cand_.data(), s, table_);
            if (f == Filter::Broken) broken_ = true;
            if (f != Filter::Same) progress = true;
        }
        return progress;
    }

    // Cells of the unit that hold a candidate, as a bit set of unit positions.
    unsigned positions(const std::vector<int>& unit, Mask bit) const {
        unsigned pos = 0;
        for (std::size_t i = 0; i < unit.size(); ++i)
            if (cand_[unit[i]] & bit) pos |= 1u << i;
        return pos;
    }

    bool inUnit(int cell, int unit) const {
        const int kind = unit / g_.side, index = unit % g_.side;
        return (kind == 0 ? g_.row(cell) : kind == 1 ? g_.col(cell) : g_.box(cell)) == index;
    }

    // Removes the digit from every unit that holds all its places, outside the
    // places' own area (a unit, or a cage that needs the digit).
    bool clearAround(const int* places, int n, Mask bit, int ownUnit, int ownCage) {
        bool progress = false;
        for (int u : g_.unitsOfCell[places[0]]) {
            if (u == ownUnit) continue;
            bool all = true;
            for (int i = 1; i < n && all; ++i) all = inUnit(places[i], u);
            if (!all) continue;
            for (int c : g_.units[u]) {
                if (!(cand_[c] & bit)) continue;
                if (ownUnit >= 0 && inUnit(c, ownUnit)) continue;
                if (ownCage >= 0 && killer_.cageOf[c] == ownCage) continue;
                remove(c, bit);
                progress = true;
            }
        }
        return progress;
    }

    // Pointing and claiming: a digit whose places in one unit, or in a cage
    // that needs it, all lie in another unit leaves the rest of that unit.
    bool intersections() {
        bool progress = false;
        int places[kMaxSide];
        unsigned pos[kMaxSide];
        for (int u = 0; u < static_cast<int>(g_.units.size()); ++u) {
            const auto& unit = g_.units[u];
            positionsOf(unit, pos);
            for (int d = 1; d <= g_.side; ++d) {
                if (popcount(pos[d - 1]) < 2) continue;
                int n = 0;
                for (unsigned b = pos[d - 1]; b; b &= b - 1) places[n++] = unit[__builtin_ctz(b)];
                if (clearAround(places, n, digitBit(d), u, -1)) progress = true;
            }
        }
        for (int cage = 0; cage < static_cast<int>(cages_.size()); ++cage) {
            const SumGroup& s = cages_[cage];
            Mask needed = 0;
            if (filterGroup(cand_.data(), s, table_, &needed) == Filter::Broken) broken_ = true;
            for (; needed; needed &= needed - 1) {
                const Mask bit = needed & -needed;
                int n = 0;
                for (int c : s.cells)
                    if ((cand_[c] & bit) && n < kMaxSide) places[n++] = c;
                if (n >= 1 && clearAround(places, n, bit, -1, cage)) progress = true;
            }
        }
        return progress;
    }

    static bool nextCombination(std::vector<int>& pick, int n) {
        const int k = static_cast<int>(pick.size());
        int i = k - 1;
        while (i >= 0 && pick[i] == n - k + i) --i;
        if (i < 0) return false;
        ++pick[i];
        for (int j = i + 1; j < k; ++j) pick[j] = pick[j - 1] + 1;
        return true;
    }

    // Calls f with every set of exactly k of the n items, as a bit set.
    template <class F>
    static void eachSubset(int n, int k, F f) {
        if (k > n || k < 1) return;
        for (unsigned set = (1u << k) - 1; set < (1u << n);) {
            f(set);
            const unsigned low = set & -set, ripple = set + low;
            set = (((ripple ^ set) >> 2) / low) | ripple;
        }
    }

    // k open cells of a unit whose candidates together are k digits: those
    // digits leave the unit's other cells.
    bool nakedSubsets(int k) {
        bool progress = false;
        int small[kMaxSide];
        for (const auto& unit : g_.units) {
            int open = 0, n = 0;
            for (int c : unit) {
                const int count = popcount(cand_[c]);
                if (count < 2) continue;
                ++open;
                if (count <= k) small[n++] = c;
            }
            if (open <= k) continue;
            eachSubset(n, k, [&](unsigned set) {
                Mask u = 0;
                for (unsigned b = set; b; b &= b - 1) u |= cand_[small[__builtin_ctz(b)]];
                if (popcount(u) != k) return;
                for (int c : unit) {
                    if (popcount(cand_[c]) < 2) continue;
                    bool inSet = false;
                    for (unsigned b = set; b; b &= b - 1) inSet = inSet || small[__builtin_ctz(b)] == c;
                    if (!inSet && remove(c, u)) progress = true;
                }
            });
        }
        return progress;
    }

    // k digits of a unit that only k cells can take: those cells lose every
    // other digit.
    bool hiddenSubsets(int k) {
        bool progress = false;
        unsigned pos[kMaxSide];
        int digits[kMaxSide];
        for (const auto& unit : g_.units) {
            positionsOf(unit, pos);
            int open = 0, n = 0;
            for (int d = 0; d < g_.side; ++d) {
                const int count = popcount(pos[d]);
                if (count < 2) continue;
                ++open;
                if (count <= k) digits[n++] = d;
            }
            if (open <= k) continue;
            eachSubset(n, k, [&](unsigned set) {
                unsigned cells = 0;
                Mask keep = 0;
                for (unsigned b = set; b; b &= b - 1) {
                    cells |= pos[digits[__builtin_ctz(b)]];
                    keep |= static_cast<Mask>(1u << digits[__builtin_ctz(b)]);
                }
                if (popcount(cells) != k) return;
                for (unsigned b = cells; b; b &= b - 1)
                    if (remove(unit[__builtin_ctz(b)], static_cast<Mask>(~keep))) progress = true;
            });
        }
        return progress;
    }

    bool fish(int k) {
        bool progress = false;
        const int side = g_.side;
        for (int d = 1; d <= side; ++d) {
            const Mask bit = digitBit(d);
            for (int orient = 0; orient < 2; ++orient) {
                // base lines: rows (orient 0) or columns (orient 1)
                std::vector<int> lines;
                std::vector<unsigned> pos;
                for (int l = 0; l < side; ++l) {
                    const unsigned p = positions(g_.units[orient * side + l], bit);
                    if (popcount(p) >= 2 && popcount(p) <= k) {
                        lines.push_back(l);
                        pos.push_back(p);
                    }
                }
                const int n = static_cast<int>(lines.size());
                if (n < k) continue;
                std::vector<int> pick(k);
                for (int i = 0; i < k; ++i) pick[i] = i;
                do {
                    unsigned cover = 0;
                    for (int i : pick) cover |= pos[i];
                    if (popcount(cover) != k) continue;
                    for (unsigned b = cover; b; b &= b - 1) {
                        const int cross = __builtin_ctz(b);
                        for (int l = 0; l < side; ++l) {
                            bool base = false;
                            for (int i : pick) base = base || lines[i] == l;
                            if (base) continue;
                            const int cell = orient == 0 ? l * side + cross : cross * side + l;
                            if (remove(cell, bit)) progress = true;
                        }
                    }
                } while (nextCombination(pick, n));
            }
        }
        return progress;
    }

    const Geometry& g_;
    const ComboTable& table_;
    Killer killer_;
    Grade progress_;  // level and technique counts so far
    std::vector<SumGroup> cages_, derived_;
    bool haveDerived_ = false;

    // The innie/outie groups, made when a technique first needs them.
    const std::vector<SumGroup>& derived() {
        if (!haveDerived_) {
            derived_ = derivedGroups(g_, killer_, 5, 5);
            haveDerived_ = true;
        }
        return derived_;
    }
    std::vector<Mask> cand_;
    std::vector<char> placed_;
    bool broken_ = false;
};

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

void Grader::refine(const Killer& killer) {
    if (human_ && checkKiller(killer).empty()) human_->setClues(killer);
    else human_.reset();
}

Grade Grader::run(int maxLevel) {
    return human_ ? human_->run(maxLevel) : Grade{};
}

}  // namespace sumgrid::engine
