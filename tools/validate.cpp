// validate: everything the player relies on in a book, and its levels.
#include <algorithm>
#include <cctype>
#include <ostream>

#include "commands.h"
#include "grader.h"
#include "killer.h"
#include "solver.h"

namespace sumgrid::tools {

using namespace sumgrid::engine;

namespace {

struct Options {
    std::string path, level;
};

// The level a file name claims, LEVEL-N, or the span of a book that mixes
// levels, LEVELS-A-B; low stays 0 when it claims none.
void levelsFromName(const std::string& path, int& low, int& high) {
    std::string name = path.substr(path.find_last_of("/\\") == std::string::npos ? 0 : path.find_last_of("/\\") + 1);
    for (auto& ch : name) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    auto level = [&](std::size_t at) {  // a lone digit 1..kLevels at name[at], else 0
        if (at >= name.size() || name[at] < '1' || name[at] > '0' + kLevels) return 0;
        return at + 1 < name.size() && std::isdigit(static_cast<unsigned char>(name[at + 1])) ? 0 : name[at] - '0';
    };
    const auto span = name.find("LEVELS-"), one = name.find("LEVEL-");
    if (span != std::string::npos && span + 8 < name.size() && name[span + 8] == '-') {
        low = level(span + 7);
        high = level(span + 9);
        if (!low || high < low) low = high = 0;
    } else if (one != std::string::npos) {
        low = high = level(one + 6);
    }
}

int validate(const Options& o, const Streams& s) {
    std::ostream &out = s.out, &err = s.err;
    const std::string& path = o.path;
    int low = 0, high = 0;  // the levels asked, 0 for none
    if (o.level.empty()) levelsFromName(path, low, high);
    else low = high = static_cast<int>(parseNumber(o.level, 1, kLevels, "--level"));
    const std::string expected = levelName(low) + (high > low ? " to " + levelName(high) : "");
    BookContents book;
    if (!loadBook(path, book, err)) return 1;
    int faults = 0;
    Progress progress(err, s.progress, "validating", book.count);
    auto fault = [&](int n, const std::string& message) {
        progress.clear();
        ++faults;
        err << path << ": ";
        if (n) err << "puzzle " << n << ": ";
        err << message << '\n';
    };
    for (const auto& f : book.faults) fault(f.puzzle, f.message);
    if (!book.headerOk) return 1;
    std::vector<int> levels(kLevels + 1, 0);
    for (int n = 1; n <= book.count; ++n, progress.step()) {
        const Record& r = book.records[n - 1];
        if (r.side == 0) continue;  // already reported
        const auto problems = checkRecord(r);
        for (const auto& p : problems) fault(n, p);
        if (!problems.empty()) continue;
        const Killer k = killerOf(r);
        Solver solver(k);
        const int solutions = solver.count(2);
        if (solutions == 0) {
            fault(n, "the cages admit no solution");
            continue;
        }
        if (solutions > 1) {
            fault(n, "more than one solution");
            continue;
        }
        if (solver.solutions()[0] != std::vector<int>(r.solution.begin(), r.solution.end())) {
            fault(n, "the stored solution is not the cages' solution");
            continue;
        }
        const Grade g = grade(k);
        ++levels[g.level];
        if (g.level == 0 && low > 0 && high < kLevels)
            fault(n, "beyond the grader, expected " + expected);
        else if (g.level == 0)
            err << path << ": puzzle " << n << ": warning: beyond the grader, which stops with "
                << std::count_if(g.grid.begin(), g.grid.end(), [](int d) { return d != 0; }) << " of "
                << g.grid.size() << " cells; the search proves its one solution in " << solver.nodes()
                << " nodes\n";
        else if (low && (g.level < low || g.level > high))
            fault(n, "graded " + levelName(g.level) + ", expected " + expected);
        else if (low && !g.earned())
            fault(n, "graded " + levelName(g.level) + " with " + std::to_string(g.steps()) +
                         " steps of its level; it earns the level with " + std::to_string(kMinSteps));
    }
    progress.clear();
    if (faults) {
        err << path << ": " << plural(faults, "fault") << " in " << book.count << " puzzles\n";
        return 1;
    }
    out << path << ": " << plural(book.count, "puzzle") << " valid, each with one solution;";
    for (int l = 1; l <= kLevels; ++l)
        if (levels[l]) out << ' ' << levelName(l) << " x" << levels[l];
    if (levels[0]) out << " beyond the grader x" << levels[0];
    out << '\n';
    return 0;
}

}  // namespace

Command addValidate(CLI::App& tool) {
    CLI::App* app = tool.add_subcommand("validate", "checks every puzzle of a book, its one solution and its level");
    auto o = std::make_shared<Options>();
    addInput(*app, o->path, "FILE", "the book");
    app->add_option("--level", o->level,
                    "the level every puzzle must have; by default LEVEL-N in the file name, or each its own "
                    "level of LEVELS-A-B")
        ->type_name("N");
    return {app, [o](const Streams& s) { return validate(*o, s); }};
}

}  // namespace sumgrid::tools
