// inspect: a book's puzzles drawn as text, with their levels and steps.
#include <algorithm>
#include <ostream>

#include "commands.h"
#include "figures.h"
#include "geometry.h"
#include "grader.h"
#include "killer.h"

namespace sumgrid::tools {

using namespace sumgrid::engine;

namespace {

struct Options {
    std::string path, puzzle;
};

// The cages drawn with their sums in each cage's first cell, borders only
// where cages meet.
void drawPuzzle(const Record& r, std::ostream& out) {
    const int side = r.side;
    const int width = 4;
    auto cage = [&](int row, int col) {
        if (row < 0 || col < 0 || row >= side || col >= side) return -1;
        return static_cast<int>(r.cageOf[row * side + col]);
    };
    std::vector<int> sum(side * side, 0), first(side * side, -1);
    for (int i = 0; i < side * side; ++i) {
        sum[r.cageOf[i]] += r.solution[i];
        if (first[r.cageOf[i]] < 0) first[r.cageOf[i]] = i;
    }
    for (int row = 0; row <= side; ++row) {
        std::string line;
        for (int col = 0; col <= side; ++col) {
            const bool up = cage(row - 1, col - 1) != cage(row - 1, col);
            const bool down = cage(row, col - 1) != cage(row, col);
            const bool left = cage(row - 1, col - 1) != cage(row, col - 1);
            const bool right = cage(row - 1, col) != cage(row, col);
            line += (up || down || left || right) ? '+' : ' ';
            if (col < side) line += std::string(width, right ? '-' : ' ');
        }
        out << line << '\n';
        if (row == side) break;
        line.clear();
        for (int col = 0; col <= side; ++col) {
            line += cage(row, col - 1) != cage(row, col) ? '|' : ' ';
            if (col == side) break;
            const int c = cage(row, col);
            std::string text = first[c] == row * side + col ? std::to_string(sum[c]) : "";
            line += text + std::string(width - text.size(), ' ');
        }
        out << line << '\n';
    }
}

void drawSolution(const Record& r, std::ostream& out) {
    const char* digits = "123456789ABCDEF";
    for (int row = 0; row < r.side; ++row) {
        out << "  ";
        for (int col = 0; col < r.side; ++col) {
            const int d = r.solution[row * r.side + col];
            out << (d >= 1 && d <= 15 ? digits[d - 1] : '?') << (col + 1 < r.side ? " " : "");
        }
        out << '\n';
    }
}

int inspect(const Options& o, const Streams& s) {
    std::ostream &out = s.out, &err = s.err;
    const std::string& path = o.path;
    BookContents book;
    if (!loadBook(path, book, err)) return 1;
    if (!book.headerOk) {
        for (const auto& f : book.faults) err << path << ": " << f.message << '\n';
        return 1;
    }
    int from = 1, to = book.count;
    if (!o.puzzle.empty()) from = to = static_cast<int>(parseNumber(o.puzzle, 1, book.count, "puzzle number"));
    out << path << ": magic WOBE, " << plural(book.count, "puzzle") << '\n';
    int status = 0;
    BookFigures figures;
    Progress progress(err, s.progress, "inspecting", to - from + 1);
    for (int n = from; n <= to; ++n, progress.step()) {
        progress.clear();
        const Record& r = book.records[n - 1];
        out << "\npuzzle " << n << " at offset " << book.offsets[n - 1];
        bool readable = r.side != 0;
        for (const auto& f : book.faults)
            if (f.puzzle == n) err << path << ": puzzle " << n << ": " << f.message << '\n';
        if (!readable) {
            out << '\n';
            status = 1;
            continue;
        }
        const auto faults = checkRecord(r);
        int cages = 0;
        for (auto c : r.cageOf) cages = std::max(cages, c + 1);
        out << ", " << r.side << "x" << r.side << ", " << cages << " cages";
        std::string steps;
        if (faults.empty()) {
            const Killer k = killerOf(r);
            const Grade g = grade(k);
            out << ", " << (g.level ? levelName(g.level) + ", score " + scoreText(scoreTenths(g)) : std::string("beyond the grader"));
            steps = "steps: " + stepsText(g) + "\n";
            figures.add(k, g);
        }
        out << '\n' << steps;
        for (const auto& f : faults) err << path << ": puzzle " << n << ": " << f << '\n';
        if (!faults.empty()) {
            status = 1;
            if (geometryFor(r.side) == nullptr) continue;
            bool drawable = true;
            for (auto c : r.cageOf) drawable = drawable && c < r.side * r.side;
            if (!drawable) continue;
        }
        drawPuzzle(r, out);
        out << "solution:\n";
        drawSolution(r, out);
    }
    if (from != to) out << "\nfigures of the book\n" << figures.text();
    return status;
}

}  // namespace

Command addInspect(CLI::App& tool) {
    CLI::App* app = tool.add_subcommand("inspect", "draws a book's puzzles as text, with their levels and steps");
    auto o = std::make_shared<Options>();
    addInput(*app, o->path, "FILE", "the book");
    app->add_option("N", o->puzzle, "the number of one puzzle, from 1")->type_name("");
    return {app, [o](const Streams& s) { return inspect(*o, s); }};
}

}  // namespace sumgrid::tools
