#include "explain.h"

#include <algorithm>

#include "geometry.h"

namespace sumgrid::engine {

namespace {

std::string cellName(int cell, int side) {
    return "r" + std::to_string(cell / side + 1) + "c" + std::to_string(cell % side + 1);
}

std::string unitName(int unit, int side) {
    static const char* const kinds[] = {"row ", "column ", "box "};
    return kinds[unit / side] + std::to_string(unit % side + 1);
}

std::string cageName(const Killer& k, int cage) {
    const auto first = std::find(k.cageOf.begin(), k.cageOf.end(), cage) - k.cageOf.begin();
    return "cage " + std::to_string(k.sums[cage]) + " at " + cellName(static_cast<int>(first), k.side);
}

// "r1c1+r1c2 = 9"
std::string groupName(const std::vector<int>& cells, int sum, int side) {
    std::string text;
    for (int c : cells) text += (text.empty() ? "" : "+") + cellName(c, side);
    return text + " = " + std::to_string(sum);
}

std::string placeName(const Killer& k, const Place& p) {
    switch (p.kind) {
        case Place::Kind::Cell: return cellName(p.index, k.side);
        case Place::Kind::Unit: return unitName(p.index, k.side);
        case Place::Kind::Cage: return cageName(k, p.index);
        case Place::Kind::Group:
            return groupName(p.members, p.value, k.side) + (p.index >= 0 ? " with " + cageName(k, p.index) : "");
        case Place::Kind::Fish: {
            std::string lines;
            for (std::size_t i = 0; i < p.members.size(); ++i)
                lines += (i == 0 ? "" : i + 1 == p.members.size() ? " and " : ", ") +
                         std::to_string(p.members[i] % k.side + 1);
            return std::to_string(p.index) + " in " + (p.members[0] < k.side ? "rows " : "columns ") + lines;
        }
    }
    return "";
}

// "r3c4=7" where the cell is left one digit, else "r3c4<>2,5".
std::string changeText(const Place::Change& c, int side) {
    if (singleBit(c.after)) return cellName(c.cell, side) + "=" + std::to_string(digitOf(c.after));
    std::string digits;
    for (Mask m = c.before & static_cast<Mask>(~c.after); m; m &= m - 1)
        digits += (digits.empty() ? "" : ",") + std::to_string(digitOf(m & -m));
    return cellName(c.cell, side) + "<>" + digits;
}

std::string gridText(const std::vector<int>& grid, int side) {
    static const char digits[] = ".123456789ABCDEF";
    std::string text;
    for (int c = 0; c < side * side; ++c) text += std::string(c % side == 0 && c ? " " : "") + digits[grid[c]];
    return text;
}

}  // namespace

std::string stepText(const Killer& k, const Step& step) {
    std::string text = techniqueName(step.technique);
    std::string sep = ": ";
    for (const Place& p : step.places) {
        if (step.technique == Technique::NakedSingle) {
            text += sep + cellName(p.index, k.side) + "=" + std::to_string(p.value);
            sep = ", ";
            continue;
        }
        text += sep + placeName(k, p) + ":";
        for (std::size_t i = 0; i < p.changes.size(); ++i) text += (i ? ", " : " ") + changeText(p.changes[i], k.side);
        sep = "; ";
    }
    return text;
}

std::string explain(const Killer& k, int stopLevel) {
    std::vector<Step> steps;
    const Grade g = gradeSteps(k, steps);
    std::string text;
    int n = 0;
    for (const Step& s : steps) {
        text += std::to_string(++n) + ". " + stepText(k, s) + "\n";
        const int level = techniqueLevel(s.technique);
        if (stopLevel > 0 && level >= stopLevel)
            return text + "stopped at the first step of LEVEL-" + std::to_string(stopLevel) + " or above\n";
    }
    if (g.solved) return text + "solved: " + gridText(g.grid, k.side) + "\n";
    if (g.contradiction) return text + "the cages admit no solution\n";
    const auto found = std::count_if(g.grid.begin(), g.grid.end(), [](int d) { return d != 0; });
    return text + "beyond the grader, whose techniques stop here with " + std::to_string(found) + " of " +
           std::to_string(g.grid.size()) + " cells: " + gridText(g.grid, k.side) + "\n";
}

}  // namespace sumgrid::engine
