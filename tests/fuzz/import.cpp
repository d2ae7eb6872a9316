// The exchange-format import on any text: each line is read as written, each puzzle imported is well formed with
// the sums its solution makes, and the book made of them exports to text that imports to the same bytes.
#include "book.h"
#include "checks.h"
#include "exchange.h"
#include "solver.h"
#include <cctype>
#include <iterator>
#include <sstream>
using namespace sumgrid::engine;
// Touching cells share a cage exactly when they share a label; the sums and digits are those written.
static bool readAsWritten(const TextPuzzle& p, const std::string& text) {
    std::istringstream lines(text), fields, list;
    std::string line, labels, sums, digits, extra;
    for (int n = 0; n < p.line; ++n) std::getline(lines, line);
    fields.str(line), fields >> labels >> sums >> digits >> extra, std::replace(sums.begin(), sums.end(), ',', ' '), list.str(sums);
    const Killer& k = p.killer;
    const size_t side = size_t(k.side), cells = side * side;
    bool ok = !lines.fail() && p.line >= 1 && labels[0] != '#' && extra.empty() && side >= 1 && side <= 15 && cells == labels.size() &&
              k.cageOf.size() == cells && std::vector<int>(std::istream_iterator<int>(list), {}) == k.sums &&
              p.solution.size() == digits.size() && (digits.empty() || digits.size() == cells);
    for (size_t i = 0; ok && i < cells; ++i)
        for (const size_t j : {(i + 1) % side ? i + 1 : cells, i + side})  // the cells to the right and below
            ok = ok && std::isalnum(uint8_t(labels[i])) && (j >= cells || (labels[i] == labels[j]) == (k.cageOf[i] == k.cageOf[j])) &&
                 (digits.empty() || (p.solution[i] >= 1 && size_t(p.solution[i]) <= side && digits[i] == "123456789ABCDEF"[p.solution[i] - 1]));
    return ok;
}
// The records `sumgrid-book import` makes of a text: each line read, its clues checked, solved once, as given.
static std::vector<Record> importLines(const std::string& text, std::string& fails) {
    std::vector<std::string> errors;  // the reader's own complaints, not looked at here
    std::vector<Record> records;
    for (const TextPuzzle& p : parseExchange(text, errors)) {
        Solver solver(p.killer);
        if (!FUZZ_CHECK(fails, readAsWritten(p, text), "line " + std::to_string(p.line) + " was read otherwise than written") ||
            !checkKiller(p.killer).empty() || solver.count(2) != 1 || (!p.solution.empty() && p.solution != solver.solutions()[0]))
            continue;
        records.push_back(recordOf(p.killer, solver.solutions()[0]));
        FUZZ_CHECK(fails, checkRecord(records.back()).empty() && killerOf(records.back()).sums == p.killer.sums,
                   "line " + std::to_string(p.line) + " was imported with a solution that does not solve it");
    }
    return records;
}
std::string fuzzchecks::import(std::string_view input, int& accepted) {
    std::string fails, text, error;
    const std::vector<Record> records = importLines(std::string(input), fails);
    if ((accepted += int(records.size())) == 0 || records.size() > 32767) return fails;
    const std::vector<uint8_t> bytes = writeBook(records);
    for (const Record& r : readBook(bytes).records)
        text += formatExchange(killerOf(r), {r.solution.begin(), r.solution.end()}, error) + "\n";
    const std::vector<Record> again = importLines(text, fails);
    FUZZ_CHECK(fails, !again.empty() && writeBook(again) == bytes, "the book exported and imported again differs: " + error + "\n" + text);
    return fails;
}
