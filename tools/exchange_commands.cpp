// import and export: books to and from the text exchange format.
#include <ostream>
#include <sstream>

#include "commands.h"
#include "exchange.h"
#include "file_io.h"
#include "killer.h"
#include "solver.h"

namespace sumgrid::tools {

using namespace sumgrid::engine;

namespace {

constexpr std::size_t kMaxTextBytes = 16u << 20;

struct Options {
    std::string path, output;
};

// Nothing is written unless every line makes a puzzle; all faults are told, each escaped.
int refuse(const std::string& path, const std::vector<std::string>& errors, std::ostream& err) {
    for (const auto& e : errors) err << path << ": " << escaped(e) << '\n';
    err << "sumgrid-book: nothing written\n";
    return 1;
}

int importText(const Options& o, const Streams& s) {
    checkOutput(o.output, {o.path}, true, s);
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!readInput(o.path, bytes, error, kMaxTextBytes)) {
        s.err << "sumgrid-book: " << error << '\n';
        return 1;
    }
    std::vector<std::string> errors;
    const auto puzzles = parseExchange(std::string(bytes.begin(), bytes.end()), errors);
    if (puzzles.size() > static_cast<std::size_t>(kMaxBookPuzzles))
        return refuse(o.path, {"more than " + std::to_string(kMaxBookPuzzles) + " puzzles"}, s.err);
    if (puzzles.empty() && errors.empty()) errors.push_back("no puzzle lines");
    std::vector<Record> records;
    Progress progress(s.err, s.progress, "importing", static_cast<int>(puzzles.size()));
    for (const TextPuzzle& p : puzzles) {
        progress.step();
        const std::string where = "line " + std::to_string(p.line) + ": ";
        const auto problems = checkKiller(p.killer);
        for (const auto& f : problems) errors.push_back(where + f);
        if (!problems.empty()) continue;
        Solver solver(p.killer);
        const int n = solver.count(2);
        if (n != 1) {
            errors.push_back(where + (n == 0 ? "the cages admit no solution" : "more than one solution"));
            continue;
        }
        const auto& found = solver.solutions()[0];
        if (!p.solution.empty() && p.solution != found) {
            errors.push_back(where + "the given solution is not the cages' solution");
            continue;
        }
        Record r = recordOf(p.killer, found);
        for (const auto& f : checkRecord(r)) errors.push_back(where + f);
        records.push_back(std::move(r));
    }
    progress.clear();
    if (!errors.empty()) return refuse(o.path, errors, s.err);
    if (!save(o.output, writeBook(records), s)) return 1;
    if (o.output != "-") s.out << "wrote " << plural(static_cast<long long>(records.size()), "puzzle") << " to " << o.output << '\n';
    return 0;
}

int exportText(const Options& o, const Streams& s) {
    std::ostream& err = s.err;
    const std::string& path = o.path;
    checkOutput(o.output, {path}, false, s);
    BookContents book;
    if (!loadBook(path, book, err)) return 1;
    bool bad = !book.headerOk;
    for (const auto& f : book.faults)
        err << path << ": " << (f.puzzle ? "puzzle " + std::to_string(f.puzzle) + ": " : "") << f.message << '\n';
    std::ostringstream text;
    text << "# killer puzzles: cage labels, cage sums, solution (see sumgrid-book(6))\n";
    Progress progress(err, s.progress, "exporting", book.count);
    for (int n = 1; n <= book.count && book.headerOk; ++n, progress.step()) {
        const Record& r = book.records[n - 1];
        if (r.side == 0) {
            bad = true;
            continue;
        }
        const auto problems = checkRecord(r);
        if (!problems.empty()) progress.clear();
        for (const auto& p : problems) err << path << ": puzzle " << n << ": " << p << '\n';
        if (!problems.empty()) {
            bad = true;
            continue;
        }
        std::string error;
        const std::string line =
            formatExchange(killerOf(r), std::vector<int>(r.solution.begin(), r.solution.end()), error);
        if (line.empty()) {
            progress.clear();
            err << path << ": puzzle " << n << ": " << error << '\n';
            bad = true;
            continue;
        }
        text << line << '\n';
    }
    progress.clear();
    if (bad) {
        err << "sumgrid-book: nothing exported\n";
        return 1;
    }
    const std::string bytes = text.str();
    return save(o.output, std::vector<std::uint8_t>(bytes.begin(), bytes.end()), s) ? 0 : 1;
}

}  // namespace

Command addImport(CLI::App& tool) {
    CLI::App* app = tool.add_subcommand("import", "makes a book of puzzles written as text, one a line");
    auto o = std::make_shared<Options>();
    addInput(*app, o->path, "TEXTFILE", "the text");
    addOutput(*app, o->output, "the book to write, - for standard output")->required();
    return {app, [o](const Streams& s) { return importText(*o, s); }};
}

Command addExport(CLI::App& tool) {
    CLI::App* app = tool.add_subcommand("export", "writes a book's puzzles as text, one a line");
    auto o = std::make_shared<Options>();
    o->output = "-";
    addInput(*app, o->path, "FILE", "the book");
    addOutput(*app, o->output, "the text to write, standard output by default")->type_name("TEXTFILE");
    return {app, [o](const Streams& s) { return exportText(*o, s); }};
}

}  // namespace sumgrid::tools
