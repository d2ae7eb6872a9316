// The book readers on any bytes: a read that fails shows the file error once and changes
// nothing; one that succeeds matches the bytes as read here.
#include "checks.h"
#include "platform/binfile.h"
#include "platform/msgbox.h"
#include "support/model_invariants.h"
#include "support/model_snapshot.h"
#include "support/test_book.h"
#include <cstring>
static int errorsShown = 0, otherMessages = 0;
static int32_t le32At(std::string_view b, size_t at) { int32_t v; return std::memcpy(&v, &b[at], 4), v; }  // little-endian hosts
// The number of offsets in the table the bytes hold; 0 unless the header is whole and every offset leaves room
// for a record (7 bytes).
static int32_t tableCount(std::string_view b) {
    const int32_t count = b.size() >= 8 && b.compare(0, 4, "WOBE") == 0 ? le32At(b, 4) : 0;
    if (count < 1 || count > 32767 || b.size() < 8 + 4 * size_t(count)) return 0;
    for (size_t k = 0; k < size_t(count); ++k)
        if (const int32_t at = le32At(b, 8 + 4 * k); at < 0 || at + int64_t(7) > int64_t(b.size())) return 0;
    return count;
}
// The model's table is the one of the book open, entry 0 unused, or empty with none. A table holds up to 32767
// offsets: it is compared in place and kept out of the snapshots, whose copies of it took most of the time.
static bool tableAsRead(std::string_view b) {
    if (bookPath.empty() || bookTable.empty()) return bookPath.empty() && bookTable.empty();
    if (bookTable[0] != 0 || b.size() < 4 + 4 * bookTable.size() || bookTable.size() != size_t(le32At(b, 4)) + 1) return false;
    for (size_t k = 1; k < bookTable.size(); ++k)
        if (bookTable[k] != le32At(b, 4 + 4 * k)) return false;
    return true;
}
// The model as a snapshot takes it, all but the table, which stays empty.
static ModelSnapshot snapshotBesidesTable() {
    std::vector<int32_t> table;
    table.swap(bookTable);
    const ModelSnapshot s;
    return table.swap(bookTable), s;
}
// The side, cages and digits of the record at an offset; none unless it is whole, its side 1..15,
// its digits 1..side, its cage numbers below the cell count and no cage sum above 255.
static std::string_view recordAt(std::string_view b, int64_t at) {
    const size_t side = at >= 0 && at + 5 <= int64_t(b.size()) && b.compare(size_t(at), 4, "PLIX") == 0 ? uint8_t(b[size_t(at) + 4]) : 0,
                 cells = side * side, start = size_t(at) + 5;
    if (side < 1 || side > 15 || start + 2 * cells > b.size()) return "";
    std::vector<size_t> sums(cells);
    for (size_t i = 0; i < cells; ++i)
        if (const size_t cage = uint8_t(b[start + i]), digit = uint8_t(b[start + cells + i]);
            digit < 1 || digit > side || cage >= cells || (sums[cage] += digit) > 255) return "";
    return b.substr(start - 1, 1 + 2 * cells);
}
std::string fuzzchecks::book(std::string_view input, int& accepted) {
    // The fuzzed book and a good book of three puzzles, read from memory as the files of these names.
    static const std::string fuzz = "fuzzed.wobe", good = "good.wobe",
                             goodBytes = bookBytes({recordBytes(samplePuzzle(0)), recordBytes(samplePuzzle(1)), recordBytes(samplePuzzle(2))});
    [[maybe_unused]] static const int ready = (setMsgBoxAnswer([](const std::string& prompt, int, const std::string&) {
        return ++(prompt == fileErrorMessage ? errorsShown : otherMessages), vbOK;
    }), 0);
    const std::string_view bytes = input.substr(std::min<size_t>(input.size(), 4));
    const auto bytesOf = [&](const std::string& path) { return path == fuzz ? bytes : std::string_view(goodBytes); };
    const auto openAt = [&](const std::string& path) { BinaryFile file(bytesOf(path)); openBook(path, file); };
    const auto loadAt = [&](const std::string& path, int32_t n) { BinaryFile file(bytesOf(path)); loadPuzzle(path, n, file); };
    std::string fails, step;
    // One reader call: whole bytes are read without a message; others show the file error (with a book open), change nothing.
    const auto reads = [&](const ModelSnapshot& before, auto read, bool whole, int errorsWhenBroken) {
        errorsShown = otherMessages = 0, read();
        FUZZ_CHECK(fails, otherMessages == 0 && errorsShown == (whole ? 0 : errorsWhenBroken),
                   step + std::to_string(errorsShown) + " file errors and " + std::to_string(otherMessages) + " other messages");
        FUZZ_CHECK(fails, whole || (snapshotBesidesTable() == before && tableAsRead(bytesOf(bookPath))),
                   step + "the model changed although nothing was read");
        return whole && errorsShown == 0;
    };
    const auto open = [&] {
        ModelSnapshot expected = snapshotBesidesTable();
        const int32_t count = tableCount(bytes);
        if (!reads(expected, [&] { openAt(fuzz); }, count > 0, 1)) return;
        expected.path = fuzz, expected.count = count, ++accepted;
        FUZZ_CHECK(fails, snapshotBesidesTable() == expected && tableAsRead(bytes),
                   step + "the book differs from the file's header, or the puzzle changed");
    };
    const auto cells = [](const CellArray& a) { return std::string(a.begin() + 1, a.end()); };
    const auto load = [&](int32_t n) {
        const ModelSnapshot before = snapshotBesidesTable();
        const bool inBook = !bookPath.empty() && n >= 1 && n <= puzzleCount && size_t(n) < bookTable.size();
        const std::string_view record = inBook ? recordAt(bytesOf(bookPath), bookTable[size_t(n)]) : "";
        step += "puzzle " + std::to_string(n) + ": ";
        if (!reads(before, [&] { loadAt(bookPath, n); }, !record.empty(), bookPath.empty() ? 0 : 1)) return;
        FUZZ_CHECK(fails, modelInvariantViolation().empty() && char(gridSize) + cells(cageOf) + cells(solution) == record,
                   step + "the puzzle differs from the record " + modelInvariantViolation());
        FUZZ_CHECK(fails, bookPath == before.path && puzzleCount == before.count && tableAsRead(bytesOf(bookPath)) &&
                              puzzleNumber == before.number && selCol == 0 &&
                              cells(penDigits) + cells(pencilDigits) + cells(errorMarks) == std::string(3 * size_t(cellCount), 0),
                   step + "loading changed the book or kept the player's work");
    };
    const int32_t number = input.size() >= 4 ? le32At(input, 0) : 0;
    clearModel(), step = "first open: ", open(), load(number);
    if (!bookPath.empty()) step = "first open: ", load(puzzleCount);
    clearModel(), openAt(good), loadAt(good, 1);  // then over a good book, with a puzzle half played
    penDigits[1] = 5, pencilDigits[40] = 3, errorMarks[81] = 1, selCol = 4, selRow = 5;
    step = "over the good book: ", open(), load(number);
    return fails;
}
