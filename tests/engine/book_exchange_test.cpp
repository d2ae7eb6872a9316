#include "book.h"
#include "engine_test_util.h"

using namespace sumgrid::engine;
using namespace sumgrid::engine::testing;

namespace {

std::vector<Record> samples() {  // the puzzles of puzzles.txt as book records
    std::vector<std::string> errors;
    std::vector<Record> out;
    for (const TextPuzzle& p : parseExchange(dataFile("puzzles.txt"), errors)) out.push_back(recordOf(p.killer, p.solution));
    EXPECT_TRUE(errors.empty() && out.size() == 3u);
    return out;
}

std::int32_t read32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::int32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24);
}

}  // namespace

TEST(Book, WriterLayoutIsTheReadersFormat) {
    const std::vector<Record> r = samples();
    const auto one = writeBook({r[0]});
    ASSERT_EQ(one.size(), 179u);
    EXPECT_EQ(std::string(one.begin(), one.begin() + 4) + std::string(one.begin() + 12, one.begin() + 16), "WOBEPLIX");
    EXPECT_EQ(std::make_tuple(read32(one, 4), read32(one, 8), int{one[16]}), std::make_tuple(1, 12, 9));
    EXPECT_TRUE(std::equal(r[0].cageOf.begin(), r[0].cageOf.end(), one.begin() + 17));
    EXPECT_TRUE(std::equal(r[0].solution.begin(), r[0].solution.end(), one.begin() + 17 + 81));
    const auto three = writeBook(r);
    ASSERT_EQ(three.size(), 20u + 3 * 167);
    EXPECT_EQ(std::make_tuple(read32(three, 8), read32(three, 12), read32(three, 16)), std::make_tuple(20, 187, 354));
    const BookContents back = readBook(three);
    EXPECT_TRUE(back.headerOk && back.faults.empty());
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(back.records[i].cageOf == r[i].cageOf && back.records[i].solution == r[i].solution);
    EXPECT_THROW(writeBook({}), std::invalid_argument);
    EXPECT_THROW(writeBook(std::vector<Record>(32768, r[0])), std::invalid_argument);
    auto shared = writeBook({r[0], r[1]});  // two entries may share a record
    shared[12] = 16;
    EXPECT_TRUE(readBook(shared).faults.empty() && readBook(shared).records[1].cageOf == r[0].cageOf);
}

TEST(Book, ReaderNamesEveryBrokenPart) {
    const auto good = writeBook({samples()[0], samples()[1]});
    std::istringstream cases(dataFile("broken-books.txt"));
    for (std::string line; std::getline(cases, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream change(line.substr(0, line.find(" | ")));
        std::string how, hex;
        std::size_t at = 0;
        auto bytes = good;
        change >> how >> at >> hex;
        if (how == "size") bytes.resize(at);
        for (std::size_t i = 0; i < hex.size() / 2; ++i) bytes[at + i] = static_cast<std::uint8_t>(std::stoi(hex.substr(2 * i, 2), nullptr, 16));
        const int puzzle = std::stoi(line.substr(line.find(" | ") + 3));
        const std::string words = line.substr(line.rfind(" | ") + 3);
        const auto faults = readBook(bytes).faults;
        EXPECT_TRUE(std::any_of(faults.begin(), faults.end(), [&](const BookFault& f) {
            return f.puzzle == puzzle && f.message.find(words) != std::string::npos;
        })) << line;
    }
}

// The records of broken-records.txt, each with its fault (or none).
TEST(Record, CheckFindsEveryStructuralFault) {
    for (const std::string& line : dataLines("broken-records.txt")) {
        std::istringstream in(line);
        std::string cages, digits;
        Record r;
        in >> r.side >> cages >> digits;
        std::istringstream numbers(cages);
        for (std::string n; std::getline(numbers, n, ',');) r.cageOf.push_back(static_cast<std::uint8_t>(std::stoi(n)));
        for (char d : digits) r.solution.push_back(static_cast<std::uint8_t>(std::string("0123456789ABCDEF").find(d)));
        std::string all;
        for (const auto& f : checkRecord(r)) all += f + "\n";
        const std::string words = line.substr(line.find("| ") + 2);
        EXPECT_TRUE(words.empty() ? all.empty() : all.find(words) != std::string::npos) << words << ":\n" << all;
    }
}

TEST(Exchange, RoundTripsAndNamesEachBadLine) {
    std::istringstream lines(dataFile("puzzles.txt"));
    std::string line;
    for (const Record& r : samples()) {
        while (std::getline(lines, line) && line[0] == '#') {
        }
        std::string error;
        const Killer k = killerOf(r);
        const std::string made = formatExchange(k, std::vector<int>(r.solution.begin(), r.solution.end()), error);
        EXPECT_EQ(made, line) << error;
        for (int c = 0; c < 81; ++c)  // a label comes back only for cages apart
            for (int n : geometryFor(9)->neighbours(c)) EXPECT_EQ(made[c] == made[n], k.cageOf[c] == k.cageOf[n]);
    }
    const TextPuzzle p = puzzleOf("AABBABBAccddccdd 6,10,4,10,10");
    EXPECT_EQ(p.killer.cageOf, (std::vector<int>{0, 0, 1, 1, 0, 1, 1, 2, 3, 3, 4, 4, 3, 3, 4, 4}));
    EXPECT_EQ(p.killer.sums, (std::vector<int>{6, 10, 4, 10, 10}));
    std::vector<std::string> errors;
    const auto ok = parseExchange("# comment\n\n" + dataFile("bad-exchange.txt"), errors);
    ASSERT_EQ(ok.size(), 1u);  // side 2 parses; checkKiller refuses it
    EXPECT_FALSE(checkKiller(ok[0].killer).empty());
    EXPECT_EQ(ok[0].line, 3);
    ASSERT_EQ(errors.size(), 9u);
    for (std::size_t i = 0; i < errors.size(); ++i) EXPECT_EQ(errors[i].rfind("line " + std::to_string(i + 4) + ":", 0), 0u) << errors[i];
}
