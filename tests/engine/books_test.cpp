#include <unistd.h>
#include <numeric>
#include <regex>
#include <set>
#include "book.h"
#include "explain.h"
#include "engine_test_util.h"
#include "figures.h"
#include "generator.h"
#include "solver.h"

using namespace sumgrid::engine;
using namespace sumgrid::engine::testing;

namespace {

std::vector<Record> samples() {  // the puzzles of puzzles.txt as book records
    std::vector<std::string> errors;
    std::vector<Record> out;
    for (const TextPuzzle& p : parseExchange(dataFile("puzzles.txt"), errors)) out.push_back(recordOf(p.killer, p.solution));
    EXPECT_TRUE(errors.empty() && out.size() == 4u);
    return out;
}

std::int32_t read32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::int32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24);
}

}  // namespace

TEST(Book, WriterLayoutIsTheReadersFormat) {
    const std::vector<Record> r = samples();
    const auto one = writeBook({r[0]}), four = writeBook(r);
    ASSERT_EQ(std::make_pair(one.size(), four.size()), std::make_pair(std::size_t{179}, std::size_t{24 + 4 * 167}));
    EXPECT_EQ(std::string(one.begin(), one.begin() + 4) + std::string(one.begin() + 12, one.begin() + 16), "WOBEPLIX");
    EXPECT_EQ(std::make_tuple(read32(one, 4), read32(one, 8), int{one[16]}), std::make_tuple(1, 12, 9));
    EXPECT_TRUE(std::equal(r[0].cageOf.begin(), r[0].cageOf.end(), one.begin() + 17));
    EXPECT_TRUE(std::equal(r[0].solution.begin(), r[0].solution.end(), one.begin() + 17 + 81));
    EXPECT_EQ(std::make_tuple(read32(four, 4), read32(four, 8), read32(four, 12), read32(four, 20)), std::make_tuple(4, 24, 191, 525));
    const BookContents back = readBook(four);
    EXPECT_TRUE(back.headerOk && back.faults.empty());
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(back.records[i].cageOf == r[i].cageOf && back.records[i].solution == r[i].solution);
    EXPECT_THROW(writeBook({}), std::invalid_argument);
    EXPECT_THROW(writeBook(std::vector<Record>(32768, r[0])), std::invalid_argument);
    EXPECT_THROW(writeBook({Record{16, std::vector<std::uint8_t>(256, 0), std::vector<std::uint8_t>(256, 1)}}), std::invalid_argument);
}

// Each change of broken-books.txt to a good book, and the fault it causes.
TEST(Book, ReaderNamesEveryBrokenPart) {
    const auto good = writeBook({samples()[0], samples()[1]});
    for (const std::string& line : dataLines("broken-books.txt")) {
        std::istringstream change(line.substr(0, line.find(" | ")));
        std::string how, hex;
        std::size_t at = 0;
        auto bytes = good;
        change >> how >> at >> hex;
        if (how == "size") bytes.resize(at);
        for (std::size_t i = 0; i < hex.size() / 2; ++i)
            bytes[at + i] = static_cast<std::uint8_t>(std::stoi(hex.substr(2 * i, 2), nullptr, 16));
        const std::string fault = line.substr(line.find(" | ") + 3), words = fault.substr(fault.find('|') + 2);
        const auto faults = readBook(bytes).faults;
        EXPECT_TRUE(std::any_of(faults.begin(), faults.end(), [&](const BookFault& f) {
            return f.puzzle == std::stoi(fault) && f.message.find(words) != std::string::npos;
        })) << line;
    }
}

// Each record of broken-records.txt, and its fault (or none).
TEST(Record, CheckFindsEveryStructuralFault) {
    for (const std::string& line : dataLines("broken-records.txt")) {
        std::istringstream in(line);
        std::string cages, digits, all;
        Record r;
        in >> r.side >> cages >> digits;
        std::istringstream numbers(cages);
        for (std::string n; std::getline(numbers, n, ',');) r.cageOf.push_back(static_cast<std::uint8_t>(std::stoi(n)));
        for (char d : digits) r.solution.push_back(static_cast<std::uint8_t>(std::string("0123456789ABCDEF").find(d)));
        for (const auto& f : checkRecord(r)) all += f + "\n";
        const std::string words = line.substr(line.find("| ") + 2);
        EXPECT_TRUE(words.empty() ? all.empty() : all.find(words) != std::string::npos) << words << ":\n" << all;
    }
}

// puzzles.txt (labels used again for cages apart) comes back line for line;
// each bad line of bad-exchange.txt is named by its number.
TEST(Exchange, RoundTripsAndNamesEachBadLine) {
    const std::vector<Record> records = samples();
    for (std::size_t i = 0; i < records.size(); ++i) {
        std::string error;
        const std::vector<int> solution(records[i].solution.begin(), records[i].solution.end());
        EXPECT_EQ(formatExchange(killerOf(records[i]), solution, error), dataLines("puzzles.txt")[i]) << error;
    }
    std::string error;  // the smallest grid there is
    EXPECT_EQ(formatExchange(Killer{1, {0}, {1}}, {1}, error) + error, "A 1 1");
    std::vector<std::string> errors;
    const auto ok = parseExchange("# comment\n\n" + dataFile("bad-exchange.txt"), errors);
    ASSERT_EQ(ok.size(), 1u);  // side 2 parses; checkKiller refuses it
    EXPECT_FALSE(ok[0].line != 3 || checkKiller(ok[0].killer).empty());
    ASSERT_EQ(errors.size(), 10u);
    for (std::size_t i = 0; i < errors.size(); ++i) EXPECT_EQ(errors[i].rfind("line " + std::to_string(i + 4) + ":", 0), 0u) << errors[i];
}

// The figures of puzzles.txt and beyond-the-grader.txt as inspect prints
// them, against figures.txt; the order a book's scores rise in.
TEST(BookFigures, CountCagesLevelsAndSteps) {
    std::vector<std::string> errors;
    BookFigures figures;
    std::string steps;
    for (const TextPuzzle& p : parseExchange(dataFile("puzzles.txt") + dataFile("beyond-the-grader.txt"), errors)) {
        const Grade g = grade(p.killer);
        figures.add(p.killer, g);
        steps += "steps: " + stepsText(g) + "\n";
    }
    EXPECT_EQ(steps + figures.text(), dataFile("figures.txt"));
    EXPECT_EQ(risingOrder({415, 20, 415, 20, 7}), (std::vector<int>{4, 1, 3, 0, 2})) << "equal scores as given";
}

// explain on a puzzle: every rXcY=d agrees with the solution, every rXcY<>...
// removes only other digits, the = together cover every cell, and the last
// line is the solution; asked to stop at the puzzle's level, it stops at the
// first step of that level, and so far it says what the whole path says.
void checkExplain(const Record& r, int level) {
    const std::string text = explain(killerOf(r)), hint = explain(killerOf(r), level);
    const std::regex change("r(\\d+)c(\\d+)(=|<>)([\\d,]+)");
    std::set<int> placed;
    for (std::sregex_iterator m(text.begin(), text.end(), change), end; m != end; ++m) {
        const int cell = (std::stoi((*m)[1]) - 1) * r.side + std::stoi((*m)[2]) - 1;
        std::istringstream digits((*m)[4]);
        for (std::string d; std::getline(digits, d, ',');) EXPECT_EQ(std::stoi(d) == r.solution[cell], (*m)[3] == "=") << m->str();
        if ((*m)[3] == "=") placed.insert(cell);
    }
    std::string grid;
    for (int c = 0; c < r.side * r.side; ++c) grid += std::string(c % r.side || !c ? "" : " ") + ".123456789ABCDEF"[r.solution[c]];
    EXPECT_EQ(placed.size(), r.solution.size());
    EXPECT_EQ(text.substr(text.rfind('\n', text.size() - 2) + 1), "solved: " + grid + "\n");
    const auto last = hint.rfind('\n', hint.size() - 2), before = hint.rfind('\n', last - 1) + 1;
    EXPECT_EQ(hint.substr(last + 1), "stopped at the first step of LEVEL-" + std::to_string(level) + " or above\n");
    EXPECT_EQ(text.substr(0, last + 1), hint.substr(0, last + 1));
    const std::string step = hint.substr(before, last - before), name = step.substr(step.find(' ') + 1, step.find(':') - step.find(' ') - 1);
    int t = 0;  // the technique of the last step shown
    while (t < kTechniqueCount && techniqueName(static_cast<Technique>(t)) != name) ++t;
    EXPECT_TRUE(t < kTechniqueCount && techniqueLevel(static_cast<Technique>(t)) >= level) << hint.substr(before);
}

// The bundled books: valid, each puzzle unique, within its book's levels and
// earning its own, in the cage shapes of that level; each rises in score,
// puzzle by puzzle; LEVEL-4 needs a median of six steps of its level and in
// three puzzles of five a technique besides innies/outies of 3+ units;
// explain holds on every twentieth puzzle; together the books use every
// technique; the seeds of scripts/make-books.sh make their puzzles.
TEST(BundledBooks, KeepTheirLevelsShapesAndSeeds) {
    std::array<long, kTechniqueCount> uses{};
    std::istringstream script(dataFile("../../scripts/make-books.sh"));
    int books = 0;
    for (std::string line, word, levels; std::getline(script, line);) {
        std::istringstream words(line);
        int side = 0, count = 0, low = 0, high = 0;
        std::uint64_t seed = 0;
        if (!(words >> word >> side >> levels >> seed >> count) || word != "book") continue;
        ++books;
        std::sscanf(levels.c_str(), "%d-%d", &low, &high);
        high = std::max(low, high);
        const std::string sides = std::to_string(side) + "x" + std::to_string(side);
        const std::string name = side == 9 ? "LEVEL-" + levels : sides + "-LEVELS-" + levels;
        const std::string path = std::string(SUMGRID_SOURCE_DIR) + "/puzzles/" + name + ".wobe";
        const ToolRun r = tool({"validate", path});
        EXPECT_TRUE(r.status == 0 && r.out.find(std::to_string(count) + " puzzles valid") != std::string::npos) << r.out << r.err;
        std::vector<std::uint8_t> bytes;
        std::string error;
        ASSERT_TRUE(readFileBytes(path, bytes, error)) << error;
        const BookContents book = readBook(bytes);
        ASSERT_EQ(book.count, count);
        int atRoot = 0, score = 0, varied = 0, n = 0;
        std::vector<int> own;
        for (const Record& record : book.records) {
            if (high <= 2) {
                Solver proof(killerOf(record));
                atRoot += proof.count(2) == 1 && proof.nodes() == 1;
            }
            const Grade g = grade(killerOf(record));
            EXPECT_TRUE(g.level >= low && g.level <= high && g.earned() && record.side == side) << name << " " << n;
            EXPECT_TRUE(shapeFits(killerOf(record), profileFor(g.level, side))) << name << " " << n;
            EXPECT_GE(scoreTenths(g), score) << name << " " << n;
            score = scoreTenths(g);
            own.push_back(g.steps());
            varied += std::accumulate(g.uses.begin() + 9, g.uses.begin() + 16, 0) > 0;
            if (n++ % 20 == 0) checkExplain(record, g.level);
            for (int t = 0; t < kTechniqueCount; ++t) uses[t] += g.uses[t];
        }
        std::nth_element(own.begin(), own.begin() + count / 2, own.end());
        EXPECT_TRUE(low != 4 || (own[count / 2] >= 6 && 5 * varied >= 3 * count)) << own[count / 2] << " " << varied;
        const Generated first = Generator(side, puzzleSeed(seed, 0)).generate(low);
        EXPECT_TRUE(std::any_of(book.records.begin(), book.records.end(), [&](const Record& r) {
            return r.cageOf == recordOf(first.killer, first.solution).cageOf;
        })) << name;
        if (high <= 2) {
            EXPECT_GE(10 * atRoot, 9 * count) << name << ": proved without a guess";
        }
    }
    EXPECT_EQ(books, 7);
    for (int t = 0; t < kTechniqueCount; ++t) EXPECT_GT(uses[t], 0) << techniqueName(static_cast<Technique>(t));
    const std::string beyond = explain(puzzleOf(dataLines("beyond-the-grader.txt")[0]).killer);
    EXPECT_NE(beyond.find("\nbeyond the grader, whose techniques stop here with 1 of 81 cells: "), std::string::npos);
    EXPECT_EQ(risingOrder({5, 3, 5, 1}), (std::vector<int>{3, 1, 0, 2}));
}
