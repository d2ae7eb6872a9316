#include "generator.h"

#include <algorithm>
#include <memory>

#include "geometry.h"
#include "solver.h"

namespace sumgrid::engine {

CageProfile profileFor(int level, int side) {
    CageProfile p;
    p.pairShare = 35;
    switch (level) {
        // Cages are grown near the sizes a puzzle of the level ends up with, so
        // that few splits, moved cells and fresh solves are needed to get
        // there; the last weight, even when zero, is the largest size that
        // moved cells and joins may make. A LEVEL-1 puzzle ends up mostly
        // two-cell cages. A grid larger than 9x9 needs a few more digits
        // given: side - 7 one-cell cages.
        case 1: p.weight = {0, 0, 10, 2, 0}; p.lean = 100; p.ones = std::max(2, side - 7); p.pairShare = 100; break;
        case 2: p.weight = {0, 0, 3, 6, 4, 1}; p.lean = 100; break;
        case 3: p.weight = {0, 0, 3, 6, 4, 2, 1}; break;
        case 4: p.weight = {0, 0, 1, 3, 4, 4, 3, 1}; p.spread = 50; p.repair = true; p.minSteps = 6; break;
        default: p.weight = {0, 0, 1, 3, 4, 4, 3, 2}; p.spread = 50; p.repair = true; break;
    }
    // On 14x14 and 15x15 grids a cage of five cells or more, or one that does
    // not lean to low or high digits, allows so many combinations that nearly
    // every layout stalls the grader: there leaning cages of three cells make
    // up most of the grid, and joins stop at four cells.
    if (side >= 14 && level >= 2) {
        p.weight = {0, 0, 1, 6, 2};
        p.lean = 100;
    }
    if (static_cast<int>(p.weight.size()) > side + 1) p.weight.resize(side + 1);
    return p;
}

bool shapeFits(const Killer& k, const CageProfile& profile) {
    const std::vector<int> size = k.cageSizes();
    return std::count(size.begin(), size.end(), 1) <= profile.ones &&
           100 * std::count(size.begin(), size.end(), 2) <= profile.pairShare * k.cageCount();
}

namespace {

// How far a grade of the level has come towards what the profile asks: its
// own steps, up to those asked.
int depthOf(const Grade& grade, const CageProfile& profile) { return std::min(grade.steps(), profile.minSteps); }

// Numbers the cages canonically and sums them from the solution.
void renumber(Killer& k, const std::vector<int>& solution) {
    k.sums.assign(renumberCanonically(k.cageOf), 0);
    for (std::size_t c = 0; c < k.cageOf.size(); ++c) k.sums[k.cageOf[c]] += solution[c];
}

// Orders cages by size, largest first, those of equal size as they were: a
// stable sort, by counting, that keeps its storage in sorted.
void largestFirst(std::vector<int>& cages, const std::vector<int>& size, std::vector<int>& sorted) {
    int at[kMaxSide + 1] = {};  // per size, where its first cage goes
    for (int c : cages) ++at[size[c]];
    for (int n = kMaxSide, next = 0; n >= 0; --n) {
        const int count = at[n];
        at[n] = next;
        next += count;
    }
    sorted.resize(cages.size());
    for (int c : cages) sorted[at[size[c]]++] = c;
    cages.swap(sorted);
}

}  // namespace

bool gradeFits(const Grade& grade, int level, const CageProfile& profile) {
    return grade.level == level && grade.earned() && grade.steps() >= profile.minSteps;
}

int maxLevelFor(int side) {
    switch (side) {
        case 4: return 1;
        case 6: return 3;
        default: return kLevels;
    }
}

int bookLevel(int low, int high, int index, int count) {
    return low + static_cast<int>(static_cast<long>(index) * (high - low + 1) / count);
}

std::uint64_t puzzleSeed(std::uint64_t bookSeed, int index) {
    std::uint64_t s = bookSeed ^ (0xD1B54A32D192ED03ull * static_cast<std::uint64_t>(index + 1));
    return splitmix64(s);
}

Generator::Generator(int side, std::uint64_t seed) : side_(side), rng_(seed) {}

std::vector<int> Generator::randomSolution() {
    const Geometry& g = *geometryFor(side_);
    // Randomised depth-first fill, always at the cell with fewest options.
    std::vector<int> grid(g.cells, 0);
    std::vector<Mask> rowUsed(g.side, 0), colUsed(g.side, 0), boxUsed(g.side, 0);
    struct Frame { int cell; Mask left; };
    std::vector<Frame> stack;
    auto options = [&](int c) {
        return static_cast<Mask>(g.all & ~(rowUsed[g.row(c)] | colUsed[g.col(c)] | boxUsed[g.box(c)]));
    };
    // free[c]: how many digits an empty cell c can take, kept up to date as
    // digits come and go in its peers; more than any for a filled cell.
    constexpr int kFilled = kMaxSide + 1;
    std::vector<int> free(g.cells, g.side);
    auto set = [&](int c, int d) {
        const Mask b = digitBit(d);
        for (int p : g.peers[c])
            if (!grid[p] && (options(p) & b)) --free[p];
        grid[c] = d;
        free[c] = kFilled;
        rowUsed[g.row(c)] |= b;
        colUsed[g.col(c)] |= b;
        boxUsed[g.box(c)] |= b;
    };
    auto unset = [&](int c) {
        const Mask b = digitBit(grid[c]);
        rowUsed[g.row(c)] &= static_cast<Mask>(~b);
        colUsed[g.col(c)] &= static_cast<Mask>(~b);
        boxUsed[g.box(c)] &= static_cast<Mask>(~b);
        grid[c] = 0;
        free[c] = popcount(options(c));
        for (int p : g.peers[c])
            if (!grid[p] && (options(p) & b)) ++free[p];
    };
    auto pick = [&](Mask m) {
        int k = rng_.below(popcount(m));
        while (k--) m &= m - 1;
        return digitOf(m & -m);
    };
    // On 14x14 and 15x15 grids a fill now and then runs into a corner that
    // takes seconds to back out of: past kFillDeadEnds it starts afresh.
    long deadEnds = 0;
    for (;;) {
        if (side_ >= 14 && deadEnds > kFillDeadEnds) {
            deadEnds = 0;
            stack.clear();
            std::fill(grid.begin(), grid.end(), 0);
            std::fill(free.begin(), free.end(), g.side);
            for (auto* used : {&rowUsed, &colUsed, &boxUsed}) std::fill(used->begin(), used->end(), 0);
        }
        int best = -1, bestCount = kFilled;
        for (int c = 0; c < g.cells; ++c)
            if (free[c] < bestCount) {
                best = c;
                bestCount = free[c];
            }
        if (best < 0) return grid;
        Mask m = options(best);
        while (!m) {  // dead end: go back to the last choice that has another option
            ++deadEnds;
            Frame& f = stack.back();
            unset(f.cell);
            if (f.left) {
                best = f.cell;
                m = f.left;
                stack.pop_back();
                break;
            }
            stack.pop_back();
        }
        const int d = pick(m);
        stack.push_back({best, static_cast<Mask>(m & ~digitBit(d))});
        set(best, d);
    }
}

bool Generator::growCages(const std::vector<int>& solution, const CageProfile& profile, Killer& out) {
    const Geometry& g = *geometryFor(side_);
    std::vector<int> owner(g.cells, -1);
    // Per cage: the size it was meant to grow to, its cells and its digits.
    // The cells' lists are kept from one call to the next: the first count are in use.
    std::vector<int>& intended = intended_;
    std::vector<std::vector<int>>& cages = cages_;
    std::vector<Mask>& digits = digits_;
    cages.reserve(g.cells);  // no more cages than cells, so the lists never move
    intended.clear();
    digits.clear();
    int count = 0;
    int total = 0;
    for (int w : profile.weight) total += w;
    // freeNear[c]: the free neighbours of cell c, counted down as cells are
    // taken; byFree[n]: the free cells with n free neighbours (of at most
    // four), as bits.
    std::vector<int>& freeNear = freeNear_;
    freeNear.resize(g.cells);
    constexpr int kWords = (kMaxCells + 63) / 64;
    std::uint64_t byFree[5][kWords] = {};
    auto flip = [&](int n, int c) { byFree[n][c >> 6] ^= std::uint64_t{1} << (c & 63); };
    for (int c = 0; c < g.cells; ++c) {
        freeNear[c] = static_cast<int>(g.neighbours(c).size());
        flip(freeNear[c], c);
    }
    auto take = [&](int c, int id) {
        owner[c] = id;
        flip(freeNear[c], c);
        for (int x : g.neighbours(c)) {
            if (owner[x] < 0) {
                flip(freeNear[x], x);
                flip(freeNear[x] - 1, x);
            }
            --freeNear[x];
        }
    };
    std::vector<int>& candidates = candidates_;
    std::vector<char>& listed = mark_;  // the cells in candidates
    listed.assign(g.cells, 0);
    for (;;) {
        // Start at a free cell with the fewest free neighbours, so few cells get cut off.
        candidates.clear();
        for (int n = 0; n < 5 && candidates.empty(); ++n)
            for (int w = 0; w < kWords; ++w)
                for (std::uint64_t bits = byFree[n][w]; bits; bits &= bits - 1)
                    candidates.push_back(64 * w + __builtin_ctzll(bits));
        if (candidates.empty()) break;
        const int start = candidates[rng_.below(static_cast<int>(candidates.size()))];
        int target = rng_.below(total), size = 0;
        while (target >= profile.weight[size]) target -= profile.weight[size++];
        const int id = count++;
        // A leaning cage takes the lowest (highest) digit it can reach next, so
        // that its sum allows few combinations.
        const bool leans = rng_.below(100) < profile.lean, low = 2 * solution[start] <= side_ + 1;
        intended.push_back(size);
        if (id == static_cast<int>(cages.size())) cages.emplace_back().reserve(side_);  // a cage of every digit
        cages[id].assign(1, start);
        digits.push_back(digitBit(solution[start]));
        take(start, id);
        while (static_cast<int>(cages[id].size()) < size) {
            candidates.clear();
            for (int c : cages[id])
                for (int x : g.neighbours(c))
                    if (owner[x] < 0 && !(digits[id] & digitBit(solution[x])) && !listed[x]) {
                        listed[x] = 1;
                        candidates.push_back(x);
                    }
            for (int c : candidates) listed[c] = 0;
            if (candidates.empty()) break;
            int x = candidates[rng_.below(static_cast<int>(candidates.size()))];
            for (int c : candidates)
                if (leans && (low ? solution[c] < solution[x] : solution[c] > solution[x])) x = c;
            // A spreading cage takes a cell that adds rows, columns or boxes to
            // it: cages across unit borders leave the rule of 45 less to say.
            if (rng_.below(100) < profile.spread) {
                std::uint64_t units = 0;
                for (int c : cages[id]) units |= g.unitBits[c];
                auto adds = [&](int c) { return popcount64(g.unitBits[c] & ~units); };
                for (int c : candidates)
                    if (adds(c) > adds(x)) x = c;
            }
            cages[id].push_back(x);
            digits[id] |= digitBit(solution[x]);
            take(x, id);
        }
    }
    // Join cages below the minimum size, and single cells that were meant to
    // grow, to a neighbour that can take their digits.
    const int maxSize = std::min<int>(side_, static_cast<int>(profile.weight.size()));
    for (int id = 0; id < count; ++id) {
        const int n = static_cast<int>(cages[id].size());
        if (n == 0 || (n >= profile.minSize && !(n == 1 && intended[id] > 1))) continue;
        int best = -1;
        for (int c : cages[id])
            for (int x : g.neighbours(c)) {
                const int o = owner[x];
                if (o == id || (digits[o] & digits[id]) ||
                    static_cast<int>(cages[o].size() + cages[id].size()) > maxSize)
                    continue;
                if (best < 0 || cages[o].size() < cages[best].size()) best = o;
            }
        if (best < 0) return false;
        for (int c : cages[id]) {
            owner[c] = best;
            cages[best].push_back(c);
        }
        digits[best] |= digits[id];
        cages[id].clear();
    }
    out.side = side_;
    out.cageOf = std::move(owner);
    renumber(out, solution);
    return true;
}

bool Generator::splitCage(Killer& k, int cage, int low, int high) {
    const Geometry& g = *geometryFor(side_);
    std::vector<int>& cells = cells_;
    cells.clear();
    for (int c = 0; c < g.cells; ++c)
        if (k.cageOf[c] == cage) cells.push_back(c);
    const int n = static_cast<int>(cells.size());
    high = std::min(high, n - low);
    if (low < 1 || high < low) return false;
    // mark: 0 outside the cage, 1 in the cage, 2 in the part, 3 reached in the rest.
    std::vector<char>& mark = mark_;
    mark.assign(g.cells, 0);
    std::vector<int>&part = part_, &next = next_, &reach = reach_;
    for (int attempt = 0; attempt < 12; ++attempt) {
        for (int c : cells) mark[c] = 1;
        const int want = low + rng_.below(high - low + 1);
        part.assign(1, cells[rng_.below(n)]);
        mark[part[0]] = 2;
        while (static_cast<int>(part.size()) < want) {
            next.clear();
            for (int c : part)
                for (int x : g.neighbours(c))
                    if (mark[x] == 1 && std::find(next.begin(), next.end(), x) == next.end()) next.push_back(x);
            if (next.empty()) break;
            part.push_back(next[rng_.below(static_cast<int>(next.size()))]);
            mark[part.back()] = 2;
        }
        if (static_cast<int>(part.size()) != want) continue;
        // The rest must stay connected.
        const int first = *std::find_if(cells.begin(), cells.end(), [&](int c) { return mark[c] == 1; });
        reach.assign(1, first);
        mark[first] = 3;
        for (std::size_t i = 0; i < reach.size(); ++i)
            for (int x : g.neighbours(reach[i]))
                if (mark[x] == 1) {
                    mark[x] = 3;
                    reach.push_back(x);
                }
        if (static_cast<int>(reach.size()) != n - want) continue;
        // The part becomes a new cage; sums follow from the old cage's sum split.
        const int id = k.cageCount();
        k.sums.push_back(0);  // the caller recomputes every sum from the solution
        for (int c : part) k.cageOf[c] = id;
        return true;
    }
    return false;
}

Grader& Generator::reuse(std::unique_ptr<Grader>& slot, const Killer& k) {
    if (!slot) slot.reset(new Grader());
    slot->restartTrusted(k);
    return *slot;
}

bool Generator::simplifyUntilGraded(Killer& k, const std::vector<int>& solution, const CageProfile& profile,
                                    int level, Grade& result) {
    std::vector<int>& order = order_;
    Grader* grader = &reuse(solving_, k);
    bool fresh = true;  // the solve covers only the present clues
    for (int round = 0; round < 60; ++round) {
        result = grader->run(level);
        if (result.solved) {
            // The continued solve may have used harder steps than a fresh one needs.
            if (!fresh) result = reuse(fresh_, k).run(level);
            return result.solved;
        }
        if (result.contradiction) return false;
        // Split a cage where the solve got stuck, preferring large ones, into
        // parts of at least two cells (three where there is room, if two-cell
        // cages are to be few). Where none can be split and the level allows
        // one-cell cages, a cell is split off a stuck cage.
        std::vector<int>& size = cageSize_;
        k.cageSizes(size);
        order.clear();
        std::vector<char>& stuck = stuckCage_;
        stuck.assign(size.size(), 0);
        for (std::size_t c = 0; c < k.cageOf.size(); ++c)
            if (result.grid[c] == 0 && !stuck[k.cageOf[c]]) {
                stuck[k.cageOf[c]] = 1;
                order.push_back(k.cageOf[c]);
            }
        for (std::size_t i = order.size(); i > 1; --i)
            std::swap(order[i - 1], order[rng_.below(static_cast<int>(i))]);
        largestFirst(order, size, sorted_);
        const bool fewPairs = profile.pairShare < 100;
        bool split = std::any_of(order.begin(), order.end(), [&](int cage) {
            const int low = fewPairs && size[cage] >= 6 ? 3 : std::max(profile.minSize, 2);
            return size[cage] >= 2 * low && splitCage(k, cage, low, side_);
        });
        if (!split && std::count(size.begin(), size.end(), 1) < profile.ones)
            split = std::any_of(order.begin(), order.end(),
                                [&](int cage) { return size[cage] >= 3 && splitCage(k, cage, 1, 1); });
        if (split) {
            renumber(k, solution);
            grader->refine(k);
            fresh = false;
            continue;
        }
        // No stuck cage can be split: move a stuck cell into a neighbouring
        // cage instead. That changes the puzzle rather than tightening it, so
        // the solve starts again.
        if (!moveUnfoundCell(k, solution, result.grid, profile)) return false;
        renumber(k, solution);
        grader->restartTrusted(k);
        fresh = true;
    }
    return false;
}

bool Generator::moveUnfoundCell(Killer& k, const std::vector<int>& solution, const std::vector<int>& found,
                                const CageProfile& profile) {
    const Geometry& g = *geometryFor(side_);
    const int maxSize = std::min<int>(side_, static_cast<int>(profile.weight.size()) - 1);
    std::vector<int>& size = size_;
    std::vector<Mask>& digits = digits_;
    size.assign(k.cageCount(), 0);
    digits.assign(k.cageCount(), 0);
    for (int c = 0; c < g.cells; ++c) {
        ++size[k.cageOf[c]];
        digits[k.cageOf[c]] |= digitBit(solution[c]);
    }
    std::vector<int>& stuck = stuck_;
    stuck.clear();
    for (int c = 0; c < g.cells; ++c)
        if (found[c] == 0) stuck.push_back(c);
    for (std::size_t i = stuck.size(); i > 1; --i)
        std::swap(stuck[i - 1], stuck[rng_.below(static_cast<int>(i))]);
    // Whether cage from stays connected without cell x.
    std::vector<char>& reached = mark_;
    reached.assign(g.cells, 0);
    std::vector<int>& reach = reach_;
    auto staysConnected = [&](int from, int x) {
        std::fill(reached.begin(), reached.end(), 0);
        reach.clear();
        for (int c = 0; c < g.cells && reach.empty(); ++c)
            if (k.cageOf[c] == from && c != x) reach.push_back(c);
        if (reach.empty()) return true;
        reached[reach[0]] = 1;
        for (std::size_t i = 0; i < reach.size(); ++i)
            for (int y : g.neighbours(reach[i]))
                if (k.cageOf[y] == from && y != x && !reached[y]) {
                    reached[y] = 1;
                    reach.push_back(y);
                }
        return static_cast<int>(reach.size()) == size[from] - 1;
    };
    for (int x : stuck) {
        const int from = k.cageOf[x];
        if (size[from] - 1 < profile.minSize) continue;
        int connected = -1;  // not yet known
        for (int n : g.neighbours(x)) {
            const int to = k.cageOf[n];
            if (to == from || size[to] >= maxSize || (digits[to] & digitBit(solution[x]))) continue;
            if (connected < 0) connected = staysConnected(from, x);
            if (!connected) break;
            k.cageOf[x] = to;
            return true;
        }
    }
    return false;
}

bool Generator::joinToLevel(Killer& k, const std::vector<int>& solution, const CageProfile& profile, int level,
                            Grade& result) {
    // First the level, then what more the profile asks of it.
    return joinWhile(k, solution, profile, level, result, false) &&
           (gradeFits(result, level, profile) || joinWhile(k, solution, profile, level, result, true));
}

bool Generator::joinWhile(Killer& k, const std::vector<int>& solution, const CageProfile& profile, int level,
                          Grade& result, bool deepen) {
    const Geometry& g = *geometryFor(side_);
    const int maxSize = std::min<int>(side_, static_cast<int>(profile.weight.size()) - 1);
    auto done = [&] {
        return shapeFits(k, profile) && (deepen ? gradeFits(result, level, profile)
                                                : result.level == level && result.earned());
    };
    // Without repairs a trial's outcome depends on the cages alone, so a join
    // that failed fails again until another join changes them: it is not graded twice.
    std::vector<std::pair<int, int>> pairs, failed;
    noneFound_.assign(g.cells, 0);
    for (int failures = 0, trials = 0; !done(); ++trials) {
        if (failures == (deepen ? kDeepenFailures : kJoinFailures) || trials == (deepen ? kDeepenTrials : kJoinTrials))
            return false;
        // Adjacent cages that can join (no shared digit, not too large),
        // those with the smallest cage first.
        const std::vector<int> size = k.cageSizes();
        std::vector<Mask> digits(k.cageCount(), 0);
        for (int c = 0; c < g.cells; ++c) digits[k.cageOf[c]] |= digitBit(solution[c]);
        pairs.clear();
        int smallest = side_;
        for (int c = 0; c < g.cells; ++c)
            for (int n : g.neighbours(c)) {
                const int a = k.cageOf[c], b = k.cageOf[n];
                if (a >= b || (digits[a] & digits[b]) || size[a] + size[b] > maxSize) continue;
                const int small = std::min(size[a], size[b]);
                if (small > smallest) continue;
                if (small < smallest) pairs.clear();
                smallest = small;
                if (std::find(pairs.begin(), pairs.end(), std::make_pair(a, b)) == pairs.end()) pairs.emplace_back(a, b);
            }
        if (pairs.empty()) return false;
        const auto [a, b] = pairs[rng_.below(static_cast<int>(pairs.size()))];
        if (std::find(failed.begin(), failed.end(), std::make_pair(a, b)) != failed.end()) {
            ++failures;
            continue;
        }
        // Deepening mostly moves a cell of the puzzle into a neighbouring cage
        // instead: a move, repaired like a join, reshapes the clues without
        // using up a cage, and reaches puzzles that need more steps of the
        // level in far fewer trials than joins alone.
        Killer joined = k;
        if (deepen && profile.repair && rng_.below(100) < kMovePercent) {
            if (!moveUnfoundCell(joined, solution, noneFound_, profile)) continue;
        } else {
            for (int& c : joined.cageOf)
                if (c == b) c = a;
        }
        renumber(joined, solution);
        // A join that leaves the puzzle too hard is dropped, or where the
        // profile says so repaired by splitting where the grader gets stuck.
        // Deepening keeps only joins that stay at the level (repaired or not),
        // in its shapes, and come no less far towards what the profile asks.
        Grade trial;
        bool kept = profile.repair ? simplifyUntilGraded(joined, solution, profile, level, trial)
                                     : (trial = reuse(fresh_, joined).run(level)).solved;
        if (deepen)
            kept = kept && trial.level == level && trial.earned() && shapeFits(joined, profile) &&
                   depthOf(trial, profile) >= depthOf(result, profile);
        if (!kept) {
            ++failures;
            if (!profile.repair) failed.emplace_back(a, b);
            continue;
        }
        // A join that comes no nearer counts as a failure too, so that
        // deepening cannot go on sideways for ever.
        if (deepen && depthOf(trial, profile) == depthOf(result, profile)) ++failures;
        failed.clear();
        k = std::move(joined);
        result = std::move(trial);
    }
    return true;
}

Generated Generator::generate(int level, int maxAttempts) {
    Generated out;
    if (level < 1 || level > maxLevelFor(side_)) return out;
    const CageProfile profile = profileFor(level, side_);
    std::vector<int> solution;
    for (int attempt = 1; attempt <= maxAttempts; ++attempt) {
        if (attempt % 8 == 1) solution = randomSolution();
        Killer k;
        Grade g;
        if (!growCages(solution, profile, k)) continue;
        if (!simplifyUntilGraded(k, solution, profile, level, g)) continue;
        if (!joinToLevel(k, solution, profile, level, g)) continue;
        // A solve by sound deductions already implies uniqueness; the search
        // proves it independently.
        Solver proof(k);
        if (proof.count(2) != 1 || proof.solutions()[0] != solution) continue;
        out.killer = std::move(k);
        out.solution = solution;
        out.grade = std::move(g);
        out.attempts = attempt;
        return out;
    }
    return out;
}

}  // namespace sumgrid::engine
