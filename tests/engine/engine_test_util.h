// Helpers shared by the engine tests.
#pragma once

#include <vector>

#include "generator.h"
#include "geometry.h"
#include "killer.h"

namespace sumgrid::engine::testing {

// Every valid solution grid of a side, by plain backtracking (use on 4x4 only).
inline void allGrids(const Geometry& g, std::vector<int>& grid, int cell, std::vector<std::vector<int>>& out) {
    if (cell == g.cells) {
        out.push_back(grid);
        return;
    }
    for (int d = 1; d <= g.side; ++d) {
        bool ok = true;
        for (int p : g.peers[cell])
            if (p < cell && grid[p] == d) ok = false;
        if (!ok) continue;
        grid[cell] = d;
        allGrids(g, grid, cell + 1, out);
    }
    grid[cell] = 0;
}

// Solutions of a killer by testing every grid: the reference the solver is
// held against.
inline int bruteForceCount(const Killer& k, const std::vector<std::vector<int>>& grids) {
    int count = 0;
    for (const auto& grid : grids) {
        std::vector<int> sums(k.cageCount(), 0);
        std::vector<unsigned> seen(k.cageCount(), 0);
        bool ok = true;
        for (std::size_t c = 0; c < grid.size(); ++c) {
            const int cage = k.cageOf[c];
            sums[cage] += grid[c];
            if (seen[cage] & (1u << grid[c])) ok = false;
            seen[cage] |= 1u << grid[c];
        }
        if (ok && sums == k.sums) ++count;
    }
    return count;
}

// A killer whose cages are the given numbering, with sums from the solution.
inline Killer killerFrom(int side, const std::vector<int>& cageOf, const std::vector<int>& solution) {
    Killer k;
    k.side = side;
    k.cageOf = canonicalNumbers(cageOf);
    int count = 0;
    for (int c : k.cageOf) count = std::max(count, c + 1);
    k.sums.assign(count, 0);
    for (std::size_t i = 0; i < solution.size(); ++i) k.sums[k.cageOf[i]] += solution[i];
    return k;
}

}  // namespace sumgrid::engine::testing
