// explain: the grader's path through one puzzle of a book, step by step.
#include <ostream>

#include "commands.h"
#include "explain.h"

namespace sumgrid::tools {

using namespace sumgrid::engine;

namespace {

struct Options {
    std::string path, puzzle, level;
};

int explainPuzzle(const Options& o, const Streams& s) {
    BookContents book;
    if (!loadBook(o.path, book, s.err)) return 1;
    if (!book.headerOk) {
        for (const auto& f : book.faults) s.err << o.path << ": " << f.message << '\n';
        return 1;
    }
    const int n = static_cast<int>(parseNumber(o.puzzle, 1, book.count, "puzzle number"));
    const int stop = o.level.empty() ? 0 : static_cast<int>(parseNumber(o.level, 1, kLevels, "--level"));
    const Record& r = book.records[n - 1];
    std::vector<std::string> faults = r.side ? checkRecord(r) : std::vector<std::string>{};
    for (const auto& f : book.faults)
        if (f.puzzle == n) faults.push_back(f.message);
    for (const auto& f : faults) s.err << o.path << ": puzzle " << n << ": " << f << '\n';
    if (!faults.empty()) return 1;
    s.out << explain(killerOf(r), stop);
    return 0;
}

}  // namespace

Command addExplain(CLI::App& tool) {
    CLI::App* app = tool.add_subcommand("explain", "writes the grader's path through a puzzle, one step a line");
    auto o = std::make_shared<Options>();
    addInput(*app, o->path, "FILE", "the book");
    app->add_option("N", o->puzzle, "the number of the puzzle, from 1")->type_name("")->required();
    app->add_option("--level", o->level, "stops at the first step of level K or above: a hint")->type_name("K");
    return {app, [o](const Streams& s) { return explainPuzzle(*o, s); }};
}

}  // namespace sumgrid::tools
