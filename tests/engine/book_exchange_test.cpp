#include <gtest/gtest.h>

#include "book.h"
#include "engine_test_util.h"
#include "exchange.h"

using namespace sumgrid::engine;
using namespace sumgrid::engine::testing;

namespace {

Record sampleRecord(std::uint64_t seed, int level = 1) {
    Generator gen(9, seed);
    const Generated p = gen.generate(level, 2000);
    return recordOf(p.killer, p.solution);
}

std::int32_t read32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::int32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24);
}

void put32(std::vector<std::uint8_t>& b, std::size_t at, std::int32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * i));
}

bool hasFault(const BookContents& b, int puzzle, const std::string& words) {
    for (const auto& f : b.faults)
        if (f.puzzle == puzzle && f.message.find(words) != std::string::npos) return true;
    return false;
}

}  // namespace

TEST(Book, WriterLayoutIsTheReadersFormat) {
    const Record r = sampleRecord(1);
    const auto one = writeBook({r});
    ASSERT_EQ(one.size(), 179u);
    EXPECT_EQ(std::string(one.begin(), one.begin() + 4), "WOBE");
    EXPECT_EQ(read32(one, 4), 1);
    EXPECT_EQ(read32(one, 8), 12);
    EXPECT_EQ(std::string(one.begin() + 12, one.begin() + 16), "PLIX");
    EXPECT_EQ(one[16], 9);
    EXPECT_TRUE(std::equal(r.cageOf.begin(), r.cageOf.end(), one.begin() + 17));
    EXPECT_TRUE(std::equal(r.solution.begin(), r.solution.end(), one.begin() + 17 + 81));

    const Record r2 = sampleRecord(2), r3 = sampleRecord(3);
    const auto three = writeBook({r, r2, r3});
    EXPECT_EQ(three.size(), 20u + 3 * 167);
    EXPECT_EQ(read32(three, 8), 20);
    EXPECT_EQ(read32(three, 12), 20 + 167);
    EXPECT_EQ(read32(three, 16), 20 + 2 * 167);
    const BookContents back = readBook(three);
    ASSERT_TRUE(back.headerOk);
    EXPECT_TRUE(back.faults.empty());
    ASSERT_EQ(back.records.size(), 3u);
    EXPECT_EQ(back.records[1].cageOf, r2.cageOf);
    EXPECT_EQ(back.records[2].solution, r3.solution);

    EXPECT_THROW(writeBook({}), std::invalid_argument);
    EXPECT_THROW(writeBook(std::vector<Record>(32768, r)), std::invalid_argument);
}

TEST(Book, ReaderNamesEveryBrokenPart) {
    const auto good = writeBook({sampleRecord(1), sampleRecord(2)});
    auto broken = [&](auto change) {
        auto b = good;
        change(b);
        return readBook(b);
    };
    EXPECT_TRUE(hasFault(readBook({'W', 'O', 'B'}), 0, "shorter than a book header"));
    EXPECT_TRUE(hasFault(broken([](auto& b) { b[0] = 'w'; b[1] = 'o'; b[2] = 'b'; b[3] = 'e'; }), 0, "WOBE"));
    EXPECT_TRUE(hasFault(broken([](auto& b) { put32(b, 4, 0); }), 0, "outside 1..32767"));
    EXPECT_TRUE(hasFault(broken([](auto& b) { put32(b, 4, -3); }), 0, "outside 1..32767"));
    EXPECT_TRUE(hasFault(broken([](auto& b) { put32(b, 4, 40000); }), 0, "outside 1..32767"));
    EXPECT_TRUE(hasFault(broken([](auto& b) { put32(b, 4, 1000); }), 0, "past the end"));
    EXPECT_TRUE(hasFault(broken([](auto& b) { put32(b, 12, 1 << 30); }), 2, "outside the file"));
    EXPECT_TRUE(hasFault(broken([](auto& b) { put32(b, 12, -1); }), 2, "outside the file"));
    EXPECT_TRUE(hasFault(broken([](auto& b) { b[16] = 'Q'; }), 1, "PLIX"));
    EXPECT_TRUE(hasFault(broken([](auto& b) { b[20] = 0; }), 1, "grid side 0"));
    EXPECT_TRUE(hasFault(broken([](auto& b) { b[20] = 16; }), 1, "grid side 16"));
    EXPECT_TRUE(hasFault(broken([](auto& b) { b.resize(b.size() - 1); }), 2, "cut short"));
    // Two entries may share a record; both read the same puzzle.
    const BookContents shared = broken([](auto& b) { put32(b, 12, read32(b, 8)); });
    EXPECT_TRUE(shared.faults.empty());
    EXPECT_EQ(shared.records[0].cageOf, shared.records[1].cageOf);
}

TEST(Record, CheckFindsEveryStructuralFault) {
    const Record good = sampleRecord(7);
    ASSERT_TRUE(checkRecord(good).empty());
    auto faultsAfter = [&](auto change) {
        Record r = good;
        change(r);
        std::string all;
        for (const auto& f : checkRecord(r)) all += f + "\n";
        return all;
    };
    EXPECT_NE(faultsAfter([](Record& r) { r.side = 7; }).find("no box shape"), std::string::npos);
    EXPECT_NE(faultsAfter([](Record& r) { r.cageOf[5] = 81; }).find("not below 81"), std::string::npos);
    EXPECT_NE(faultsAfter([](Record& r) { r.solution[0] = 0; }).find("outside 1..9"), std::string::npos);
    // Swapping two digits of a row breaks the columns.
    EXPECT_NE(faultsAfter([](Record& r) { std::swap(r.solution[0], r.solution[1]); }).find("repeats a digit in column"),
              std::string::npos);
    // A gap: renumber the last cage upwards.
    EXPECT_NE(faultsAfter([](Record& r) {
                  const int last = *std::max_element(r.cageOf.begin(), r.cageOf.end());
                  for (auto& c : r.cageOf)
                      if (c == last) c = static_cast<std::uint8_t>(last + 1);
              }).find("skip"),
              std::string::npos);
    // Give cell 80 the cage of cell 0: far apart, so that cage falls apart.
    EXPECT_NE(faultsAfter([](Record& r) { r.cageOf[80] = r.cageOf[0]; }).find("not connected"), std::string::npos);
    // A whole column as one cage is fine until a digit repeats in it.
    Record twin = good;
    std::vector<int> col(81);
    for (int c = 0; c < 81; ++c) col[c] = c % 9 == 0 ? 0 : 1 + c;
    for (int c = 0; c < 81; ++c) twin.cageOf[c] = static_cast<std::uint8_t>(canonicalNumbers(col)[c]);
    EXPECT_TRUE(checkRecord(twin).empty());
    twin.solution[9] = twin.solution[0];
    std::string twinFaults;
    for (const auto& f : checkRecord(twin)) twinFaults += f + "\n";
    EXPECT_NE(twinFaults.find("in cage 0"), std::string::npos);
    // One cage over a whole 15x15 grid: too many cells and a sum over 255.
    Record huge;
    huge.side = 15;
    huge.cageOf.assign(225, 0);
    for (int c = 0; c < 225; ++c) huge.solution.push_back(static_cast<std::uint8_t>((c % 15 + 5 * (c / 15) + c / 45) % 15 + 1));
    std::string hugeFaults;
    for (const auto& f : checkRecord(huge)) hugeFaults += f + "\n";
    EXPECT_NE(hugeFaults.find("more than 255"), std::string::npos);
    EXPECT_NE(hugeFaults.find("more than the 15 distinct digits"), std::string::npos);
}

TEST(Exchange, RoundTripsAndReusesLabelsOnlyApart) {
    for (int level = 1; level <= 4; ++level) {
        Generator gen(9, 60 + level);
        const Generated p = gen.generate(level, 2000);
        std::string error;
        const std::string line = formatExchange(p.killer, p.solution, error);
        ASSERT_FALSE(line.empty()) << error;
        std::vector<std::string> errors;
        const auto parsed = parseExchange("# comment\n\n" + line + "\r\n", errors);
        ASSERT_TRUE(errors.empty()) << errors.front();
        ASSERT_EQ(parsed.size(), 1u);
        EXPECT_EQ(parsed[0].line, 3);
        EXPECT_EQ(parsed[0].killer.cageOf, canonicalNumbers(p.killer.cageOf));
        EXPECT_EQ(parsed[0].killer.sums.size(), p.killer.sums.size());
        EXPECT_EQ(parsed[0].solution, p.solution);
        // Same label, different cages: never side by side.
        const std::string cells = line.substr(0, 81);
        const Geometry& g = *geometryFor(9);
        const auto cageOf = canonicalNumbers(p.killer.cageOf);
        for (int c = 0; c < 81; ++c)
            for (int n : g.neighbours(c))
                if (cageOf[c] != cageOf[n]) {
                    EXPECT_NE(cells[c], cells[n]);
                }
    }
    // A solution is optional; the labels of a 4x4 with reused letters.
    std::vector<std::string> errors;
    const auto p = parseExchange("AABBABBAccddccdd 6,10,4,10,10\n", errors);
    ASSERT_TRUE(errors.empty());
    ASSERT_EQ(p.size(), 1u);
    EXPECT_EQ(p[0].killer.side, 4);
    EXPECT_EQ(p[0].killer.cageCount(), 5);
    EXPECT_EQ(p[0].killer.cageOf[4], 0);
    EXPECT_EQ(p[0].killer.cageOf[7], 2);  // the second 'A' area is a cage of its own
    EXPECT_EQ(p[0].killer.sums, (std::vector<int>{6, 10, 4, 10, 10}));
    EXPECT_TRUE(p[0].solution.empty());
}

TEST(Exchange, BadLinesGiveOneErrorEach) {
    const std::string text =
        "AAAA 10\n"                       // side 2 works as text, refused later by checkKiller
        "AAAAA 5\n"                       // not a square
        "AABB\n"                          // one field
        "AA-BAABBCCDDCCDD 1,2,3,4\n"      // bad label
        "AABBAABBCCDDCCDD 10,10,10\n"     // 4 cages, 3 sums
        "AABBAABBCCDDCCDD 10,x,10,10\n"   // bad sum
        "AABBAABBCCDDCCDD 10,10,10,10,\n" // trailing comma
        "AABBAABBCCDDCCDD 10,10,10,10 12341234123412\n"    // short solution
        "AABBAABBCCDDCCDD 10,10,10,10 1234123412341235\n"  // digit 5 on a 4x4
        "AABBAABBCCDDCCDD 10,10,10,10 1 2\n";              // four fields
    std::vector<std::string> errors;
    const auto ok = parseExchange(text, errors);
    EXPECT_EQ(ok.size(), 1u);
    ASSERT_EQ(errors.size(), 9u);
    for (std::size_t i = 0; i < errors.size(); ++i)
        EXPECT_EQ(errors[i].rfind("line " + std::to_string(i + 2) + ":", 0), 0u) << errors[i];
    EXPECT_FALSE(checkKiller(ok[0].killer).empty());
}
