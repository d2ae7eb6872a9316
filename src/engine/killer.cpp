#include "killer.h"

#include <algorithm>
#include <string>
#include <unordered_map>

#include "geometry.h"

namespace sumgrid::engine {

std::vector<int> canonicalNumbers(const std::vector<int>& cageOf) {
    std::vector<int> out = cageOf;
    renumberCanonically(out);
    return out;
}

int renumberCanonically(std::vector<int>& cageOf) {
    const auto [low, high] = std::minmax_element(cageOf.begin(), cageOf.end());
    const int cells = static_cast<int>(cageOf.size());
    if (low != cageOf.end() && *low >= 0 && *high < 4 * cells && cells <= kMaxCells) {
        // Numbers as small as the cells are renamed through a table.
        int renamed[4 * kMaxCells];
        std::fill_n(renamed, *high + 1, -1);
        int next = 0;
        for (int& c : cageOf) {
            if (renamed[c] < 0) renamed[c] = next++;
            c = renamed[c];
        }
        return next;
    }
    std::unordered_map<int, int> renamed;  // old number -> new number
    for (int& c : cageOf) c = renamed.try_emplace(c, static_cast<int>(renamed.size())).first->second;
    return static_cast<int>(renamed.size());
}

Killer killerOf(const Record& record) {
    Killer k;
    k.side = record.side;
    int cages = 0;
    for (auto c : record.cageOf) cages = std::max(cages, c + 1);
    k.cageOf.assign(record.cageOf.begin(), record.cageOf.end());
    k.sums.assign(cages, 0);
    for (std::size_t i = 0; i < record.cageOf.size(); ++i)
        k.sums[record.cageOf[i]] += record.solution[i];
    return k;
}

Record recordOf(const Killer& killer, const std::vector<int>& solution) {
    Record r;
    r.side = killer.side;
    for (int c : canonicalNumbers(killer.cageOf)) r.cageOf.push_back(static_cast<std::uint8_t>(c));
    for (int d : solution) r.solution.push_back(static_cast<std::uint8_t>(d));
    return r;
}

static std::string cellName(int side, int cell) {
    return "r" + std::to_string(cell / side + 1) + "c" + std::to_string(cell % side + 1);
}

static void checkCages(const Geometry& g, const std::vector<int>& cageOf, int cages,
                       std::vector<std::string>& faults) {
    // Size and first cell of each cage, then one flood fill per cage. Valid
    // clues are checked on every solve, so the work stays on the stack.
    int sizes[2 * kMaxCells], stack[kMaxCells];
    std::vector<int> spill;  // for more cage numbers than any grid has cells
    int* size = sizes;
    if (cages > kMaxCells) {
        spill.resize(2 * static_cast<std::size_t>(cages));
        size = spill.data();
    }
    int* first = size + cages;
    std::fill(size, size + cages, 0);
    std::fill(first, first + cages, -1);
    for (int i = 0; i < g.cells; ++i) {
        if (first[cageOf[i]] < 0) first[cageOf[i]] = i;
        ++size[cageOf[i]];
    }
    bool seen[kMaxCells] = {};
    for (int c = 0; c < cages; ++c) {
        if (size[c] == 0) {
            faults.push_back("cage numbers skip " + std::to_string(c));
            continue;
        }
        if (size[c] > g.side)
            faults.push_back("cage " + std::to_string(c) + " has " + std::to_string(size[c]) +
                             " cells, more than the " + std::to_string(g.side) + " distinct digits");
        int top = 0, reached = 1;
        stack[top++] = first[c];
        seen[first[c]] = true;
        while (top > 0) {
            const int x = stack[--top];
            for (int n : g.neighbours(x))
                if (cageOf[n] == c && !seen[n]) {
                    seen[n] = true;
                    ++reached;
                    stack[top++] = n;
                }
        }
        if (reached != size[c])
            faults.push_back("cage " + std::to_string(c) + " is not connected (it starts at " +
                             cellName(g.side, first[c]) + ")");
    }
}

std::vector<std::string> checkRecord(const Record& record) {
    std::vector<std::string> faults;
    const Geometry* g = geometryFor(record.side);
    if (!g) {
        faults.push_back("grid side " + std::to_string(record.side) + " has no box shape (supported: 4, 6, 8, 9, 10, 12, 14, 15)");
        return faults;
    }
    if (static_cast<int>(record.cageOf.size()) != g->cells ||
        static_cast<int>(record.solution.size()) != g->cells) {
        faults.push_back("record does not hold " + std::to_string(g->cells) + " cells");
        return faults;
    }
    int cages = 0;
    bool numbersOk = true;
    for (int i = 0; i < g->cells; ++i) {
        if (record.cageOf[i] >= g->cells) {
            faults.push_back("cage number " + std::to_string(record.cageOf[i]) + " at " +
                             cellName(record.side, i) + " is not below " + std::to_string(g->cells));
            numbersOk = false;
        }
        cages = std::max(cages, record.cageOf[i] + 1);
    }
    bool digitsOk = true;
    for (int i = 0; i < g->cells; ++i)
        if (record.solution[i] < 1 || record.solution[i] > record.side) {
            faults.push_back("solution digit " + std::to_string(record.solution[i]) + " at " +
                             cellName(record.side, i) + " is outside 1.." + std::to_string(record.side));
            digitsOk = false;
        }
    if (!numbersOk) return faults;
    const std::vector<int> cageOf(record.cageOf.begin(), record.cageOf.end());
    checkCages(*g, cageOf, cages, faults);
    if (!digitsOk) return faults;

    for (std::size_t u = 0; u < g->units.size(); ++u) {
        Mask seen = 0;
        for (int c : g->units[u]) seen |= digitBit(record.solution[c]);
        if (seen != g->all) {
            const char* kind[] = {"row", "column", "box"};
            faults.push_back(std::string("solution repeats a digit in ") + kind[u / g->side] + " " +
                             std::to_string(u % g->side + 1));
        }
    }
    std::vector<Mask> cageDigits(cages, 0);
    std::vector<int> sums(cages, 0);
    for (int i = 0; i < g->cells; ++i) {
        const int c = cageOf[i];
        if (cageDigits[c] & digitBit(record.solution[i]))
            faults.push_back("solution repeats digit " + std::to_string(record.solution[i]) +
                             " in cage " + std::to_string(c) + " (at " + cellName(record.side, i) + ")");
        cageDigits[c] |= digitBit(record.solution[i]);
        sums[c] += record.solution[i];
    }
    for (int c = 0; c < cages; ++c)
        if (sums[c] > 255)
            faults.push_back("cage " + std::to_string(c) + " sums to " + std::to_string(sums[c]) +
                             ", more than 255");
    return faults;
}

std::vector<std::string> checkKiller(const Killer& killer) {
    std::vector<std::string> faults;
    const Geometry* g = geometryFor(killer.side);
    if (!g) {
        faults.push_back("grid side " + std::to_string(killer.side) + " has no box shape (supported: 4, 6, 8, 9, 10, 12, 14, 15)");
        return faults;
    }
    if (static_cast<int>(killer.cageOf.size()) != g->cells) {
        faults.push_back("clues do not cover " + std::to_string(g->cells) + " cells");
        return faults;
    }
    for (int c : killer.cageOf)
        if (c < 0 || c >= killer.cageCount()) {
            faults.push_back("cage number " + std::to_string(c) + " has no sum");
            return faults;
        }
    checkCages(*g, killer.cageOf, killer.cageCount(), faults);
    const std::vector<int> size = killer.cageSizes();
    for (int c = 0; c < killer.cageCount(); ++c) {
        const int n = size[c];
        if (n == 0 || n > killer.side) continue;
        const int lo = n * (n + 1) / 2, hi = n * (2 * killer.side - n + 1) / 2;
        if (killer.sums[c] < lo || killer.sums[c] > hi)
            faults.push_back("cage " + std::to_string(c) + " of " + std::to_string(n) + " cells cannot sum to " +
                             std::to_string(killer.sums[c]) + " (possible " + std::to_string(lo) + ".." +
                             std::to_string(hi) + ")");
    }
    long total = 0;
    for (int s : killer.sums) total += s;
    if (total != static_cast<long>(g->unitTotal) * killer.side)
        faults.push_back("cage sums total " + std::to_string(total) + ", not " +
                         std::to_string(g->unitTotal * killer.side));
    return faults;
}

}  // namespace sumgrid::engine
