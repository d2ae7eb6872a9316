#include "grader_singles.h"

namespace sumgrid::engine::grading {

bool nakedSingles(Solve& s) {
    bool progress = false;
    s.singles.any([&](int i) {
        s.singles.drop(i);
        if (s.placed[i] || !singleBit(s.cand[i])) return false;
        if (s.tracing()) s.mark(Place::Kind::Cell, i, {}, digitOf(s.cand[i]));
        s.place(i);
        progress = true;
        for (int p : s.g.peers[i]) s.remove(p, s.cand[i]);
        for (int p : s.cages[s.killer.cageOf[i]].cells)
            if (p != i) s.remove(p, s.cand[i]);
        return false;
    });
    return progress;
}

bool hiddenSingles(Solve& s) {
    bool progress = false;
    s.hidden.any([&](int u) {
        s.hidden.drop(u);
        if (s.tracing()) s.mark(Place::Kind::Unit, u);
        Mask once = 0, twice = 0;
        for (int c : s.g.units[u]) {
            twice |= once & s.cand[c];
            once |= s.cand[c];
        }
        if (once != s.g.all) s.broken = true;
        // The digit of a placed cell is where it belongs already.
        for (Mask hidden = once & static_cast<Mask>(~twice & ~s.placedIn[u]); hidden; hidden &= hidden - 1) {
            const Mask bit = hidden & -hidden;
            for (int c : s.g.units[u])
                if (s.cand[c] & bit) {
                    if (s.cand[c] != bit) {
                        s.write(c, bit);
                        progress = true;
                    }
                    break;
                }
        }
        return false;
    });
    return progress;
}

bool cageCombinations(Solve& s) {
    bool progress = false;
    s.combos.any([&](int cage) {
        s.combos.drop(cage);
        if (s.tracing()) s.mark(Place::Kind::Cage, cage);
        progress = s.filterOne(s.cages[cage], &s.needed[cage]) != Filter::Same || progress;
        return false;
    });
    return progress;
}

}  // namespace sumgrid::engine::grading
