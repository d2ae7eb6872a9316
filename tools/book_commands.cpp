#include "book_commands.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <ostream>
#include <sstream>
#include <stdexcept>

#include "book.h"
#include "exchange.h"
#include "file_io.h"
#include "figures.h"
#include "generator.h"
#include "geometry.h"
#include "grader.h"
#include "killer.h"
#include "progress.h"
#include "solver.h"

namespace sumgrid::tools {

using namespace sumgrid::engine;

namespace {

constexpr std::size_t kMaxTextBytes = 16u << 20;

const char kUsage[] =
    "usage:\n"
    "  sumgrid-book generate --level N --count K -o FILE [--seed S] [--side G]\n"
    "  sumgrid-book inspect FILE [N]\n"
    "  sumgrid-book validate FILE [--level N]\n"
    "  sumgrid-book import TEXTFILE -o FILE\n"
    "  sumgrid-book export FILE [-o TEXTFILE]\n"
    "  sumgrid-book --version\n"
    "A FILE or TEXTFILE of - is standard input, or standard output after -o.\n"
    "Levels run from 1 (easiest) to 5 (expert). See tools/README.md.\n";

struct UsageError {
    std::string message;
};

template <class Int>
Int parseNumber(const std::string& text, Int low, Int high, const std::string& what) {
    Int value{};
    int base = 10;
    std::size_t start = 0;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        start = 2;
    }
    const char* first = text.data() + start;
    const char* last = text.data() + text.size();
    auto [end, ec] = std::from_chars(first, last, value, base);
    if (text.empty() || ec != std::errc() || end != last || value < low || value > high)
        throw UsageError{what + " must be a number from " + std::to_string(low) + " to " + std::to_string(high) +
                         ", not \"" + text + "\""};
    return value;
}

// Splits the arguments after the command into options with values and plain words.
struct Arguments {
    std::vector<std::string> words;
    std::vector<std::pair<std::string, std::string>> options;

    Arguments(const std::vector<std::string>& args, const std::vector<std::string>& known) {
        for (std::size_t i = 1; i < args.size(); ++i) {
            const std::string& a = args[i];
            if (a.size() > 1 && a[0] == '-') {
                if (std::find(known.begin(), known.end(), a) == known.end())
                    throw UsageError{"unknown option " + a + " for " + args[0]};
                if (i + 1 >= args.size()) throw UsageError{"option " + a + " needs a value"};
                if (has(a)) throw UsageError{"option " + a + " given twice"};
                options.emplace_back(a, args[++i]);
            } else {
                words.push_back(a);
            }
        }
    }
    bool has(const std::string& name) const {
        return std::any_of(options.begin(), options.end(), [&](const auto& o) { return o.first == name; });
    }
    std::string get(const std::string& name) const {
        for (const auto& o : options)
            if (o.first == name) return o.second;
        return {};
    }
};

std::string levelName(int level) { return "LEVEL-" + std::to_string(level); }

// Stops before any work is done when the -o file may not be written.
void checkOutput(const std::string& path, const std::vector<std::string>& inputs) {
    const std::string refusal = outputRefusal(path, inputs);
    if (!refusal.empty()) throw std::runtime_error(refusal);
}

bool save(const std::string& path, const std::vector<std::uint8_t>& bytes, std::ostream& out, std::ostream& err) {
    std::string error;
    if (writeOutput(path, bytes, out, error)) return true;
    err << "sumgrid-book: " << error << '\n';
    return false;
}

// Why a level cannot be made on a grid side, or nothing when it can.
std::string outOfReach(int level, int side) {
    if (level <= maxLevelFor(side)) return "";
    const std::string why = side < 9 ? ", which gives its techniques too little to work on"
                                     : ", where its cage shapes take minutes to reach";
    return ": " + levelName(level) + " is out of reach on a " + std::to_string(side) + "x" + std::to_string(side) +
           " grid" + why + " (up to " + levelName(maxLevelFor(side)) + " there)";
}

// ---------------------------------------------------------------- generate

int generate(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
             const ProgressSettings& settings) {
    Arguments a(args, {"--level", "--count", "-o", "--seed", "--side"});
    if (!a.words.empty()) throw UsageError{"generate takes no file name without -o: " + a.words.front()};
    if (!a.has("--level")) throw UsageError{"generate needs --level N"};
    if (!a.has("--count")) throw UsageError{"generate needs --count K"};
    if (!a.has("-o")) throw UsageError{"generate needs -o FILE"};
    const int level = parseNumber<int>(a.get("--level"), 1, kLevels, "--level");
    const int count = parseNumber<int>(a.get("--count"), 1, kMaxBookPuzzles, "--count");
    const std::uint64_t seed =
        a.has("--seed") ? parseNumber<std::uint64_t>(a.get("--seed"), 0, UINT64_MAX, "--seed") : 1;
    const int side = a.has("--side") ? parseNumber<int>(a.get("--side"), 4, kMaxSide, "--side") : 9;
    if (!geometryFor(side)) throw UsageError{"--side " + std::to_string(side) + " has no box shape"};
    checkOutput(a.get("-o"), {});

    std::vector<Record> records;
    Progress progress(err, settings, "generating " + levelName(level), count);
    for (int i = 0; i < count; ++i) {
        Generator gen(side, puzzleSeed(seed, i));
        const Generated p = gen.generate(level);
        if (p.attempts == 0) {
            progress.clear();
            err << "sumgrid-book: could not make puzzle " << i + 1 << " at " << levelName(level) << " on a "
                << side << "x" << side << " grid" << outOfReach(level, side) << "\n";
            return 1;
        }
        records.push_back(recordOf(p.killer, p.solution));
        progress.step();
    }
    progress.clear();
    if (!save(a.get("-o"), writeBook(records), out, err)) return 1;
    if (a.get("-o") != "-")
        out << "wrote " << count << " " << levelName(level) << " puzzle" << (count == 1 ? "" : "s") << " to "
            << a.get("-o") << " (seed " << seed << ")\n";
    return 0;
}

// ---------------------------------------------------------------- inspect

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

bool loadBook(const std::string& path, BookContents& book, std::ostream& err) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!readInput(path, bytes, error, kMaxBookBytes)) {
        err << "sumgrid-book: " << error << '\n';
        return false;
    }
    book = readBook(bytes);
    return true;
}

int inspect(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
            const ProgressSettings& settings) {
    Arguments a(args, {});
    if (a.words.empty() || a.words.size() > 2) throw UsageError{"inspect takes FILE and an optional puzzle number"};
    const std::string& path = a.words[0];
    BookContents book;
    if (!loadBook(path, book, err)) return 1;
    if (!book.headerOk) {
        for (const auto& f : book.faults) err << path << ": " << f.message << '\n';
        return 1;
    }
    int from = 1, to = book.count;
    if (a.words.size() == 2) from = to = parseNumber<int>(a.words[1], 1, book.count, "puzzle number");
    out << path << ": magic WOBE, " << book.count << " puzzle" << (book.count == 1 ? "" : "s") << '\n';
    int status = 0;
    BookFigures figures;
    Progress progress(err, settings, "inspecting", to - from + 1);
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
            out << ", " << (g.level ? levelName(g.level) : std::string("beyond the grader"));
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

// ---------------------------------------------------------------- validate

int levelFromName(const std::string& path) {
    std::string name = path.substr(path.find_last_of("/\\") == std::string::npos ? 0 : path.find_last_of("/\\") + 1);
    for (auto& ch : name) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    const auto at = name.find("LEVEL-");
    if (at == std::string::npos || at + 6 >= name.size()) return 0;
    const char d = name[at + 6];
    if (d < '1' || d > '0' + kLevels) return 0;
    if (at + 7 < name.size() && std::isdigit(static_cast<unsigned char>(name[at + 7]))) return 0;
    return d - '0';
}

int validate(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
             const ProgressSettings& settings) {
    Arguments a(args, {"--level"});
    if (a.words.size() != 1) throw UsageError{"validate takes exactly one FILE"};
    const std::string& path = a.words[0];
    const int expected = a.has("--level") ? parseNumber<int>(a.get("--level"), 1, kLevels, "--level")
                                          : levelFromName(path);
    BookContents book;
    if (!loadBook(path, book, err)) return 1;
    int faults = 0;
    Progress progress(err, settings, "validating", book.count);
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
        if (g.level == 0 && expected > 0 && expected < kLevels)
            fault(n, "beyond the grader, expected " + levelName(expected));
        else if (g.level == 0)
            err << path << ": puzzle " << n << ": warning: beyond the grader, which stops with "
                << std::count_if(g.grid.begin(), g.grid.end(), [](int d) { return d != 0; }) << " of "
                << g.grid.size() << " cells; the search proves its one solution in " << solver.nodes()
                << " nodes\n";
        else if (expected && g.level != expected)
            fault(n, "graded " + levelName(g.level) + ", expected " + levelName(expected));
        else if (expected && !g.earned())
            fault(n, "graded " + levelName(g.level) + " with " + std::to_string(g.steps()) +
                         " steps of its level; it earns the level with " + std::to_string(kMinSteps));
    }
    progress.clear();
    if (faults) {
        err << path << ": " << faults << " fault" << (faults == 1 ? "" : "s") << " in " << book.count
            << " puzzles\n";
        return 1;
    }
    out << path << ": " << book.count << " puzzle" << (book.count == 1 ? "" : "s")
        << " valid, each with one solution;";
    for (int l = 1; l <= kLevels; ++l)
        if (levels[l]) out << ' ' << levelName(l) << " x" << levels[l];
    if (levels[0]) out << " beyond the grader x" << levels[0];
    out << '\n';
    return 0;
}

// ---------------------------------------------------------------- import / export

int importText(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               const ProgressSettings& settings) {
    Arguments a(args, {"-o"});
    if (a.words.size() != 1 || !a.has("-o")) throw UsageError{"import takes TEXTFILE and -o FILE"};
    checkOutput(a.get("-o"), a.words);
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!readInput(a.words[0], bytes, error, kMaxTextBytes)) {
        err << "sumgrid-book: " << error << '\n';
        return 1;
    }
    std::vector<std::string> errors;
    const auto puzzles = parseExchange(std::string(bytes.begin(), bytes.end()), errors);
    std::vector<Record> records;
    Progress progress(err, settings, "importing", static_cast<int>(puzzles.size()));
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
    if (puzzles.empty() && errors.empty()) errors.push_back("no puzzle lines");
    if (records.size() > static_cast<std::size_t>(kMaxBookPuzzles))
        errors.push_back("more than " + std::to_string(kMaxBookPuzzles) + " puzzles");
    progress.clear();
    if (!errors.empty()) {
        for (const auto& e : errors) err << a.words[0] << ": " << e << '\n';
        err << "sumgrid-book: nothing written\n";
        return 1;
    }
    if (!save(a.get("-o"), writeBook(records), out, err)) return 1;
    if (a.get("-o") != "-")
        out << "wrote " << records.size() << " puzzle" << (records.size() == 1 ? "" : "s") << " to "
            << a.get("-o") << '\n';
    return 0;
}

int exportText(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               const ProgressSettings& settings) {
    Arguments a(args, {"-o"});
    if (a.words.size() != 1) throw UsageError{"export takes one FILE and an optional -o TEXTFILE"};
    const std::string& path = a.words[0];
    if (a.has("-o")) checkOutput(a.get("-o"), a.words);
    BookContents book;
    if (!loadBook(path, book, err)) return 1;
    bool bad = !book.headerOk;
    for (const auto& f : book.faults) err << path << ": " << (f.puzzle ? "puzzle " + std::to_string(f.puzzle) + ": " : "") << f.message << '\n';
    std::ostringstream text;
    text << "# killer puzzles: cage labels, cage sums, solution (see tools/README.md)\n";
    Progress progress(err, settings, "exporting", book.count);
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
    const std::string s = text.str();
    return save(a.has("-o") ? a.get("-o") : "-", std::vector<std::uint8_t>(s.begin(), s.end()), out, err) ? 0 : 1;
}

}  // namespace

int runBookTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                ProgressSettings progress) {
    try {
        if (args.empty()) throw UsageError{"no command given"};
        const std::string& cmd = args[0];
        if (cmd == "-h" || cmd == "--help" || cmd == "help") {
            out << kUsage;
            return 0;
        }
        if (cmd == "--version") {
            out << "sumgrid-book " << SUMGRID_VERSION << '\n';
            return 0;
        }
        if (cmd == "generate") return generate(args, out, err, progress);
        if (cmd == "inspect") return inspect(args, out, err, progress);
        if (cmd == "validate") return validate(args, out, err, progress);
        if (cmd == "import") return importText(args, out, err, progress);
        if (cmd == "export") return exportText(args, out, err, progress);
        throw UsageError{"unknown command \"" + cmd + "\""};
    } catch (const UsageError& e) {
        err << "sumgrid-book: " << e.message << '\n' << kUsage;
        return 2;
    } catch (const std::exception& e) {
        err << "sumgrid-book: " << e.what() << '\n';
        return 1;
    }
}

}  // namespace sumgrid::tools
