#include "grader_subsets.h"

namespace sumgrid::engine::grading {

namespace {

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

// For each digit, the positions within the unit that can hold it. Pairs,
// triples and quads often look at a unit that has not changed in between,
// so the places are kept with the candidates they were taken from.
const unsigned* positionsOf(Solve& s, int u) {
    const int side = s.g.side;
    const std::size_t all = s.g.units.size() * side;
    if (s.places.size() != all) {
        s.placesFrom.assign(all, static_cast<Mask>(~0u));  // no cell holds every bit
        s.places.assign(all, 0);
    }
    const auto& unit = s.g.units[u];
    Mask* from = &s.placesFrom[u * side];
    unsigned* pos = &s.places[u * side];
    bool same = true;
    for (int i = 0; i < side; ++i) same &= from[i] == s.cand[unit[i]];
    if (same) return pos;
    for (int d = 0; d < side; ++d) pos[d] = 0;
    for (int i = 0; i < side; ++i) {
        from[i] = s.cand[unit[i]];
        for (Mask m = from[i]; m; m &= m - 1) pos[__builtin_ctz(m)] |= 1u << i;
    }
    return pos;
}

// The bit of a unit in Geometry::unitBits.
std::uint64_t unitBit(const Geometry& g, int unit) {
    return std::uint64_t{1} << (16 * (unit / g.side) + unit % g.side);
}

// Removes the digit from the units of common (unitBits) other than own,
// outside own and outside the cage ownCage (-1 for none).
bool clearAround(Solve& s, std::uint64_t common, Mask bit, std::uint64_t own, int ownCage) {
    bool progress = false;
    for (std::uint64_t m = common & ~own; m; m &= m - 1) {
        const int b = __builtin_ctzll(m);
        for (int c : s.g.units[(b / 16) * s.g.side + b % 16]) {
            if (!(s.cand[c] & bit) || (s.g.unitBits[c] & own) || (ownCage >= 0 && s.killer.cageOf[c] == ownCage))
                continue;
            s.remove(c, bit);
            progress = true;
        }
    }
    return progress;
}

// The units of the lines in base (bits), rows (orient 0) or columns.
std::vector<int> unitsOf(int side, int orient, unsigned base) {
    std::vector<int> units;
    for (unsigned b = base; b; b &= b - 1) units.push_back(orient * side + __builtin_ctz(b));
    return units;
}

}  // namespace

// Candidates only shrink during a solve, so a unit or cage whose own cells
// are as they were when it last gave nothing gives nothing again.
bool intersections(Solve& s) {
    const Geometry& g = s.g;
    const bool inUnit = s.pointUnits.any([&](int u) {
        if (s.tracing()) s.mark(Place::Kind::Unit, u);
        Mask once = 0, twice = 0;
        for (int c : g.units[u]) {
            twice |= once & s.cand[c];
            once |= s.cand[c];
        }
        // The candidates where the unit meets each crossing unit; they stay
        // as they are until a digit is cleared, which ends the step.
        const auto& crossings = g.crossings[u];
        const int count = static_cast<int>(crossings.size());
        Mask here[kMaxSide];
        for (int x = 0; x < count; ++x) {
            here[x] = 0;
            for (int c : crossings[x].cells) here[x] |= s.cand[c];
        }
        // Per kind of crossing unit (they come in order of kind), the digits
        // of two or more places in the unit that lie where it meets just one of them.
        for (int from = 0, to = 0; from < count; from = to) {
            const int kind = crossings[from].unit / g.side;
            Mask seen = 0, again = 0;
            for (to = from; to < count && crossings[to].unit / g.side == kind; ++to) {
                again |= seen & here[to];
                seen |= here[to];
            }
            for (Mask confined = seen & twice & static_cast<Mask>(~again); confined; confined &= confined - 1) {
                const Mask bit = confined & -confined;
                for (int x = from; x < to; ++x)
                    if ((here[x] & bit) && clearAround(s, unitBit(g, crossings[x].unit), bit, unitBit(g, u), -1))
                        return true;
            }
        }
        s.pointUnits.drop(u);
        return false;
    });
    return inUnit || s.pointCages.any([&](int cage) {
        const SumGroup& group = s.cages[cage];
        if (s.tracing()) s.mark(Place::Kind::Cage, cage);
        if (s.combos.has(cage)) {  // the digits needed are out of date
            s.combos.drop(cage);
            if (s.filterOne(group, &s.needed[cage]) != Filter::Same) return true;
        }
        for (Mask needed = s.needed[cage]; needed; needed &= needed - 1) {
            const Mask bit = needed & -needed;
            std::uint64_t common = ~std::uint64_t{0};
            for (int c : group.cells)
                if (s.cand[c] & bit) common &= g.unitBits[c];
            if (clearAround(s, common, bit, 0, cage)) return true;
        }
        s.pointCages.drop(cage);
        return false;
    });
}

bool nakedSubsets(Solve& s, int k) {
    int small[kMaxSide];
    Pending& pending = s.nakedSets[k - 2];
    return pending.any([&](int u) {
        const auto& unit = s.g.units[u];
        if (s.tracing()) s.mark(Place::Kind::Unit, u);
        int open = 0, n = 0;
        for (int c : unit) {
            const int count = popcount(s.cand[c]);
            if (count < 2) continue;
            ++open;
            if (count <= k) small[n++] = c;
        }
        const bool found = open > k && anySubset(n, k, [&](unsigned set) {
            Mask digits = 0;
            for (unsigned b = set; b; b &= b - 1) digits |= s.cand[small[__builtin_ctz(b)]];
            if (popcount(digits) != k) return false;
            bool progress = false;
            for (int c : unit) {
                if (popcount(s.cand[c]) < 2) continue;
                bool inSet = false;
                for (unsigned b = set; b; b &= b - 1) inSet = inSet || small[__builtin_ctz(b)] == c;
                if (!inSet && s.remove(c, digits)) progress = true;
            }
            return progress;
        });
        if (!found) pending.drop(u);
        return found;
    });
}

bool hiddenSubsets(Solve& s, int k) {
    int digits[kMaxSide];
    Pending& pending = s.hiddenSets[k - 2];
    return pending.any([&](int u) {
        const auto& unit = s.g.units[u];
        if (s.tracing()) s.mark(Place::Kind::Unit, u);
        const unsigned* pos = positionsOf(s, u);
        int open = 0, n = 0;
        for (int d = 0; d < s.g.side; ++d) {
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
                if (s.remove(unit[__builtin_ctz(b)], static_cast<Mask>(~keep))) progress = true;
            return progress;
        });
        if (!found) pending.drop(u);
        return found;
    });
}

bool fish(Solve& s, int k) {
    const int side = s.g.side;
    int lines[kMaxSide];
    unsigned pos[kMaxSide];
    Mask& pending = s.fishDigits[k - 2];
    for (int d = 1; d <= side; ++d) {
        const Mask bit = digitBit(d);
        if (!(pending & bit)) continue;
        // The places of the digit in each row (at[0]) and column (at[1]).
        unsigned at[2][kMaxSide] = {};
        for (int r = 0; r < side; ++r)
            for (int c = 0; c < side; ++c) {
                const unsigned has = s.cand[r * side + c] >> (d - 1) & 1u;
                at[0][r] |= has << c;
                at[1][c] |= has << r;
            }
        for (int orient = 0; orient < 2; ++orient) {
            // Base lines: rows (orient 0) or columns (orient 1) with 2..k places.
            int n = 0;
            for (int l = 0; l < side; ++l) {
                const unsigned p = at[orient][l];
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
                if (s.tracing()) s.mark(Place::Kind::Fish, d, unitsOf(side, orient, base));
                bool progress = false;
                for (unsigned b = cover; b; b &= b - 1)
                    for (int l = 0; l < side; ++l)
                        if (!(base >> l & 1u)) {
                            const int cross = __builtin_ctz(b);
                            progress = s.remove(orient == 0 ? l * side + cross : cross * side + l, bit) || progress;
                        }
                return progress;
            });
            if (found) return true;
        }
        pending &= static_cast<Mask>(~bit);
    }
    return false;
}

}  // namespace sumgrid::engine::grading
