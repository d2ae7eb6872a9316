#include "grader_innies.h"

#include <algorithm>

namespace sumgrid::engine::grading {

bool inniesOuties(Solve& s, GroupKind kind) {
    s.makeDerived(kind == GroupKind::UnitInOut ? 1 : kMaxSide);
    return s.inOut.anyOf(s.ofKind.row(static_cast<int>(kind)), [&](int i) {
        s.inOut.drop(i);
        if (s.tracing()) s.mark(Place::Kind::Group, -1, s.derived[i].cells, s.derived[i].sum);
        return s.filterOne(s.derived[i]) != Filter::Same;
    });
}

bool cageSplitting(Solve& s) {
    int open[kMaxCells], rest[kMaxCells];
    s.makeDerived();
    for (const SumGroup& group : s.derived) {
        int n = 0;
        const int need = s.openCells(group.cells, group.sum, open, n);
        const bool found = s.eachCageOf(open, n, [&](int, const int* cageOpen, int m, int cageNeed, int shared) {
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
            if (s.tracing()) s.mark(Place::Kind::Group, -1, std::vector<int>(rest, rest + r), sum);
            return s.filterOne(makeGroup(s.g, s.killer, std::vector<int>(rest, rest + r), sum, GroupKind::CageSplit)) !=
                   Filter::Same;
        });
        if (found) return true;
    }
    return false;
}

}  // namespace sumgrid::engine::grading
