#include "geometry.h"

#include <algorithm>
#include <array>
#include <memory>
#include <mutex>

namespace sumgrid::engine {

bool boxShape(int side, int& boxRows, int& boxCols) {
    if (side < 4 || side > kMaxSide) return false;
    int best = 0;
    for (int r = 2; r * r <= side; ++r)
        if (side % r == 0) best = r;
    if (best == 0) return false;
    boxRows = best;
    boxCols = side / best;
    return true;
}

static std::unique_ptr<Geometry> build(int side, int boxRows, int boxCols) {
    auto g = std::make_unique<Geometry>();
    g->side = side;
    g->boxRows = boxRows;
    g->boxCols = boxCols;
    g->cells = side * side;
    g->all = static_cast<Mask>((1u << side) - 1);
    g->unitTotal = side * (side + 1) / 2;
    for (int cell = 0; cell < g->cells; ++cell) {
        const int r = cell / side, c = cell % side;
        g->rowOf.push_back(static_cast<std::uint8_t>(r));
        g->colOf.push_back(static_cast<std::uint8_t>(c));
        g->boxOf.push_back(static_cast<std::uint8_t>((r / boxRows) * (side / boxCols) + c / boxCols));
        g->unitBits.push_back(1ull << r | 1ull << (16 + c) | 1ull << (32 + g->boxOf.back()));
    }
    g->units.assign(3 * side, {});
    g->unitsOfCell.assign(g->cells, {});
    for (int cell = 0; cell < g->cells; ++cell) {
        const int u[3] = {g->row(cell), side + g->col(cell), 2 * side + g->box(cell)};
        for (int k : u) {
            g->units[k].push_back(cell);
            g->unitsOfCell[cell].push_back(k);
        }
    }
    g->adjacent.assign(g->cells, {});
    for (int cell = 0; cell < g->cells; ++cell) {
        const int r = cell / side, c = cell % side;
        auto& out = g->adjacent[cell];
        if (r > 0) out.push_back(cell - side);
        if (c > 0) out.push_back(cell - 1);
        if (c + 1 < side) out.push_back(cell + 1);
        if (r + 1 < side) out.push_back(cell + side);
    }
    g->peers.assign(g->cells, {});
    for (int a = 0; a < g->cells; ++a)
        for (int b = 0; b < g->cells; ++b)
            if (g->sees(a, b)) g->peers[a].push_back(b);
    for (int u = 0; u < 3 * side; ++u) g->regions.push_back({u});
    for (int base : {0, side})
        for (int a = 0; a < side; ++a)
            for (int b = a + 1; b < side && b - a + 1 < side; ++b) {
                std::vector<int> list;
                for (int u = a; u <= b; ++u) list.push_back(base + u);
                g->regions.push_back(std::move(list));
            }
    g->crossings.assign(3 * side, {});
    for (int u = 0; u < 3 * side; ++u)
        for (int v = 0; v < 3 * side; ++v) {
            if (u / side == v / side) continue;
            std::vector<int> shared;
            for (int c : g->units[u])
                if (std::find(g->units[v].begin(), g->units[v].end(), c) != g->units[v].end()) shared.push_back(c);
            if (shared.size() > 1) g->crossings[u].push_back({v, std::move(shared)});
        }
    const int across = side / boxCols, down = side / boxRows;
    for (int band = 0; band < down; ++band)
        for (int a = 0; a < across; ++a)
            for (int b = a + 1; b < across && b - a + 1 < across; ++b) {
                std::vector<int> list;
                for (int x = a; x <= b; ++x) list.push_back(2 * side + band * across + x);
                g->regions.push_back(std::move(list));
            }
    for (int stack = 0; stack < across; ++stack)
        for (int a = 0; a < down; ++a)
            for (int b = a + 1; b < down && b - a + 1 < down; ++b) {
                std::vector<int> list;
                for (int y = a; y <= b; ++y) list.push_back(2 * side + y * across + stack);
                g->regions.push_back(std::move(list));
            }
    return g;
}

const Geometry* geometryFor(int side) {
    static std::array<std::unique_ptr<Geometry>, kMaxSide + 1> cache;
    static std::mutex lock;
    int boxRows = 0, boxCols = 0;
    if (!boxShape(side, boxRows, boxCols)) return nullptr;
    std::lock_guard<std::mutex> guard(lock);
    if (!cache[side]) cache[side] = build(side, boxRows, boxCols);
    return cache[side].get();
}

}  // namespace sumgrid::engine
