#include "exchange.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "geometry.h"

namespace sumgrid::engine {

static const char kLabels[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
static const char kDigits[] = "123456789ABCDEF";

static bool isLabel(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

static int digitValue(char c) {
    for (int i = 0; kDigits[i]; ++i)
        if (kDigits[i] == c) return i + 1;
    return 0;
}

static std::vector<int> orthogonal(int side, int cell) {
    std::vector<int> out;
    const int r = cell / side, c = cell % side;
    if (r > 0) out.push_back(cell - side);
    if (c > 0) out.push_back(cell - 1);
    if (c + 1 < side) out.push_back(cell + 1);
    if (r + 1 < side) out.push_back(cell + side);
    return out;
}

std::vector<TextPuzzle> parseExchange(const std::string& text, std::vector<std::string>& errors) {
    std::vector<TextPuzzle> out;
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream fields(line);
        std::vector<std::string> f;
        std::string word;
        while (fields >> word) f.push_back(word);
        if (f.empty() || f[0][0] == '#') continue;
        const std::string where = "line " + std::to_string(lineNo) + ": ";
        if (f.size() < 2 || f.size() > 3) {
            errors.push_back(where + "expected 2 or 3 fields (cages, sums, optional solution), found " +
                             std::to_string(f.size()));
            continue;
        }
        const std::string& cages = f[0];
        const int side = static_cast<int>(std::lround(std::sqrt(static_cast<double>(cages.size()))));
        if (side < 1 || side > kMaxSide || static_cast<std::size_t>(side * side) != cages.size()) {
            errors.push_back(where + "cage field has " + std::to_string(cages.size()) +
                             " labels, not the square of a side up to 15");
            continue;
        }
        auto bad = std::find_if(cages.begin(), cages.end(), [](char c) { return !isLabel(c); });
        if (bad != cages.end()) {
            errors.push_back(where + "cage label '" + std::string(1, *bad) + "' is not a letter or digit");
            continue;
        }
        // Cages are the connected areas of equal labels.
        TextPuzzle p;
        p.line = lineNo;
        p.killer.side = side;
        p.killer.cageOf.assign(cages.size(), -1);
        int count = 0;
        for (int start = 0; start < side * side; ++start) {
            if (p.killer.cageOf[start] >= 0) continue;
            std::vector<int> stack{start};
            p.killer.cageOf[start] = count;
            while (!stack.empty()) {
                const int c = stack.back();
                stack.pop_back();
                for (int n : orthogonal(side, c))
                    if (p.killer.cageOf[n] < 0 && cages[n] == cages[start]) {
                        p.killer.cageOf[n] = count;
                        stack.push_back(n);
                    }
            }
            ++count;
        }
        std::vector<int> sums;
        bool sumsOk = true;
        std::istringstream sumList(f[1]);
        std::string item;
        while (std::getline(sumList, item, ',')) {
            if (item.empty() || item.size() > 4 ||
                !std::all_of(item.begin(), item.end(), [](char c) { return c >= '0' && c <= '9'; })) {
                errors.push_back(where + "cage sum \"" + item + "\" is not a number up to 9999");
                sumsOk = false;
                break;
            }
            sums.push_back(std::stoi(item));
        }
        if (!sumsOk) continue;
        if (!f[1].empty() && f[1].back() == ',') {
            errors.push_back(where + "sum list ends with a comma");
            continue;
        }
        if (static_cast<int>(sums.size()) != count) {
            errors.push_back(where + std::to_string(count) + " cages but " + std::to_string(sums.size()) + " sums");
            continue;
        }
        p.killer.sums = sums;
        if (f.size() == 3) {
            const std::string& sol = f[2];
            if (sol.size() != cages.size()) {
                errors.push_back(where + "solution has " + std::to_string(sol.size()) + " digits, not " +
                                 std::to_string(cages.size()));
                continue;
            }
            bool ok = true;
            for (char c : sol) {
                const int d = digitValue(c);
                if (d < 1 || d > side) {
                    errors.push_back(where + "solution digit '" + std::string(1, c) + "' is outside 1.." +
                                     std::to_string(side));
                    ok = false;
                    break;
                }
                p.solution.push_back(d);
            }
            if (!ok) continue;
        }
        out.push_back(std::move(p));
    }
    return out;
}

std::string formatExchange(const Killer& killer, const std::vector<int>& solution, std::string& error) {
    const int side = killer.side;
    const int cells = side * side;
    if (side < 1 || side > kMaxSide || static_cast<int>(killer.cageOf.size()) != cells) {
        error = "grid side " + std::to_string(side) + " cannot be written";
        return {};
    }
    const std::vector<int> cageOf = canonicalNumbers(killer.cageOf);
    std::vector<int> label(cells, -1);  // label index per cage, by canonical number
    std::string cages(cells, '?');
    std::vector<int> order;              // canonical number -> old number, for sums
    for (int c = 0; c < cells; ++c) {
        const int cage = cageOf[c];
        if (cage < static_cast<int>(order.size())) {
            cages[c] = kLabels[label[cage]];
            continue;
        }
        order.push_back(killer.cageOf[c]);
        std::uint64_t used = 0;
        for (int x = 0; x < cells; ++x) {
            if (cageOf[x] != cage) continue;
            for (int n : orthogonal(side, x))
                if (cageOf[n] != cage && label[cageOf[n]] >= 0) used |= 1ull << label[cageOf[n]];
        }
        int pick = 0;
        while (pick < 62 && (used >> pick & 1)) ++pick;
        if (pick == 62) {
            error = "too many neighbouring cages to label";
            return {};
        }
        label[cage] = pick;
        cages[c] = kLabels[pick];
    }
    std::string out = cages + " ";
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (i) out += ',';
        out += std::to_string(killer.sums[order[i]]);
    }
    if (!solution.empty()) {
        out += ' ';
        for (int d : solution) out += (d >= 1 && d <= 15) ? kDigits[d - 1] : '?';
    }
    return out;
}

}  // namespace sumgrid::engine
