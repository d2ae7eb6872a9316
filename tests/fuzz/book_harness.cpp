#include "book_harness.h"

#include "model/book.h"
#include "model/puzzle.h"
#include "platform/msgbox.h"
#include "support/model_invariants.h"
#include "support/model_snapshot.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <sstream>
#include <unistd.h>

namespace bookfuzz {

namespace {

// What the message boxes were asked to show during one reader call.
int messagesShown = 0;
int foreignMessages = 0;  // anything but the file error message

int countMessage(const std::string& prompt, int, const std::string&) {
    if (prompt == fileErrorMessage)
        ++messagesShown;
    else
        ++foreignMessages;
    return vbOK;
}

int32_t le32At(const std::string& b, size_t at) {
    uint32_t u = 0;
    for (size_t k = 0; k < 4; ++k)
        u |= uint32_t(uint8_t(b[at + k])) << (8 * k);
    return int32_t(u);
}

// A file as the checks see it: its bytes, read independently of the readers.
struct Header {
    bool valid = false;  // the header and table are whole and every offset can hold a record
    int32_t count = 0;
    std::vector<int32_t> table;  // entry k - 1 is the offset of puzzle k
};

constexpr int64_t smallestRecord = 7;  // "PLIX", the side, one cage, one digit

Header parseHeader(const std::string& b) {
    Header h;
    if (b.size() < 8 || b.compare(0, 4, "WOBE") != 0)
        return h;
    h.count = le32At(b, 4);
    if (h.count < 1 || h.count > 32767 || b.size() < 8 + 4 * size_t(h.count))
        return h;
    for (int32_t k = 0; k < h.count; ++k) {
        const int32_t offset = le32At(b, 8 + 4 * size_t(k));
        if (offset < 0 || int64_t(offset) + smallestRecord > int64_t(b.size()))
            return h;
        h.table.push_back(offset);
    }
    h.valid = true;
    return h;
}

struct Record {
    bool valid = false;
    int side = 0;
    std::vector<uint8_t> cages, digits;  // cell 1 first
};

// A record is whole, its side is 1..15, its digits lie in 1..side, its cage
// numbers name cells, and no cage adds up to more than a byte holds.
Record parseRecord(const std::string& b, int64_t offset) {
    Record r;
    if (offset < 0 || offset + 5 > int64_t(b.size()) || b.compare(size_t(offset), 4, "PLIX") != 0)
        return r;
    r.side = uint8_t(b[size_t(offset) + 4]);
    if (r.side < 1 || r.side > 15)
        return r;
    const size_t cells = size_t(r.side * r.side);
    const size_t start = size_t(offset) + 5;
    if (start + 2 * cells > b.size())
        return r;
    r.cages.assign(b.begin() + long(start), b.begin() + long(start + cells));
    r.digits.assign(b.begin() + long(start + cells), b.begin() + long(start + 2 * cells));
    std::vector<int> sums(cells, 0);
    for (size_t i = 0; i < cells; ++i) {
        if (r.digits[i] < 1 || r.digits[i] > r.side || r.cages[i] >= cells)
            return r;
        if ((sums[r.cages[i]] += r.digits[i]) > 255)
            return r;
    }
    r.valid = true;
    return r;
}

void restore(const ModelSnapshot& s) {
    bookPath = s.path;
    puzzleCount = s.count;
    bookTable = s.table;
    puzzleNumber = s.number;
    gridSize = s.side;
    cellCount = s.cells;
    cageOf = s.cages;
    solution = s.digits;
    cageSumAt = s.sums;
    penDigits = s.pen;
    pencilDigits = s.pencil;
    errorMarks = s.marks;
    selCol = s.col;
    selRow = s.row;
}

bool samePuzzle(const ModelSnapshot& a, const ModelSnapshot& b) {
    return a.side == b.side && a.cells == b.cells && a.cages == b.cages && a.digits == b.digits &&
           a.sums == b.sums && a.pen == b.pen && a.pencil == b.pencil && a.marks == b.marks &&
           a.col == b.col && a.row == b.row;
}

// Holds when cond holds; otherwise reports what, which is built only then.
#define CHECK_THAT(rep, cond, what) ((cond) ? true : ((rep).fail(what), false))

// Collects broken checks, each with the step it was found in.
class Report {
public:
    explicit Report(std::string& out) : out_(out) {}
    void step(std::string name) { step_ = std::move(name); }
    void fail(const std::string& what) { out_ += step_ + ": " + what + "\n"; }

private:
    std::string& out_;
    std::string step_;
};

// The book fields describe a book that is open and whole.
void checkOpenBook(Report& rep, const std::string& bytes) {
    if (!CHECK_THAT(rep, puzzleCount >= 1 && puzzleCount <= 32767, "puzzleCount " + std::to_string(puzzleCount)))
        return;
    if (!CHECK_THAT(rep, bookTable.size() == size_t(puzzleCount) + 1,
                    "bookTable has " + std::to_string(bookTable.size()) + " entries for " +
                        std::to_string(puzzleCount) + " puzzles"))
        return;
    for (int32_t k = 1; k <= puzzleCount; ++k)
        if (!CHECK_THAT(rep, bookTable[k] >= 0 && int64_t(bookTable[k]) < int64_t(bytes.size()),
                        "offset " + std::to_string(bookTable[k]) + " of puzzle " + std::to_string(k) +
                            " lies outside a file of " + std::to_string(bytes.size()) + " bytes"))
            return;
}

// The puzzle fields describe a whole puzzle with no player work on it.
void checkLoadedPuzzle(Report& rep) {
    const std::string broken = modelInvariantViolation();
    if (!CHECK_THAT(rep, broken.empty(), broken) || !CHECK_THAT(rep, cellCount > 0, "no puzzle loaded"))
        return;
    for (int i = 1; i <= cellCount; ++i)
        CHECK_THAT(rep, penDigits[i] == 0 && pencilDigits[i] == 0 && errorMarks[i] == 0,
                   "player work left at cell " + std::to_string(i));
    CHECK_THAT(rep, selCol == 0 && selRow == 0,
               "selection left at " + std::to_string(selCol) + "," + std::to_string(selRow));
}

// Exactly one file error message, or none; nothing else.
bool checkMessages(Report& rep) {
    CHECK_THAT(rep, foreignMessages == 0, std::to_string(foreignMessages) + " messages other than the file error");
    return CHECK_THAT(rep, messagesShown <= 1, std::to_string(messagesShown) + " file error messages");
}

void callOpenBook(Report& rep, const std::string& path, const std::string& bytes) {
    const ModelSnapshot before;
    messagesShown = foreignMessages = 0;
    openBook(path);
    const ModelSnapshot after;
    if (!checkMessages(rep))
        return;
    const Header h = parseHeader(bytes);
    if (messagesShown == 1) {
        CHECK_THAT(rep, !h.valid, "a book with a whole header was refused");
        CHECK_THAT(rep, after == before, "the model changed although the book was refused");
        return;
    }
    if (!CHECK_THAT(rep, h.valid, "a book with a broken header was opened"))
        return;
    CHECK_THAT(rep, bookPath == path, "bookPath is \"" + bookPath + "\"");
    CHECK_THAT(rep, puzzleCount == h.count, "puzzleCount " + std::to_string(puzzleCount) + " but the header says " +
                                           std::to_string(h.count));
    checkOpenBook(rep, bytes);
    if (bookTable.size() == h.table.size() + 1)
        CHECK_THAT(rep, std::equal(h.table.begin(), h.table.end(), bookTable.begin() + 1),
                   "bookTable differs from the file's table");
    CHECK_THAT(rep, after.number == before.number && samePuzzle(after, before), "opening a book changed the puzzle");
}

void callLoadPuzzle(Report& rep, int32_t n, const std::string& fuzzPath, const std::string& fuzzBytes,
                    const std::string& goodPath, const std::string& goodBytes) {
    const ModelSnapshot before;
    const std::string path = bookPath;
    messagesShown = foreignMessages = 0;
    loadPuzzle(path, n);
    const ModelSnapshot after;
    if (!checkMessages(rep))
        return;
    if (path.empty()) {
        CHECK_THAT(rep, messagesShown == 0 && after == before, "loading with no book open did something");
        return;
    }
    if (!CHECK_THAT(rep, path == fuzzPath || path == goodPath, "bookPath names a file never opened: " + path))
        return;
    const std::string& bytes = path == fuzzPath ? fuzzBytes : goodBytes;
    Record r;
    if (n >= 1 && n <= before.count && before.table.size() > size_t(n))
        r = parseRecord(bytes, before.table[size_t(n)]);
    if (messagesShown == 1) {
        CHECK_THAT(rep, !r.valid, "a whole record was refused");
        CHECK_THAT(rep, after == before, "the model changed although the record was refused");
        return;
    }
    if (!CHECK_THAT(rep, r.valid, "a broken record was loaded"))
        return;
    CHECK_THAT(rep, bookPath == path && puzzleCount == before.count && bookTable == before.table &&
                   puzzleNumber == before.number,
               "loading a puzzle changed the book");
    checkLoadedPuzzle(rep);
    if (!CHECK_THAT(rep, gridSize == r.side, "gridSize " + std::to_string(gridSize) + " but the record says " +
                                            std::to_string(r.side)))
        return;
    if (cageOf.size() == r.cages.size() + 1 && solution.size() == r.digits.size() + 1)
        CHECK_THAT(rep, std::equal(r.cages.begin(), r.cages.end(), cageOf.begin() + 1) &&
                       std::equal(r.digits.begin(), r.digits.end(), solution.begin() + 1),
                   "the cages or digits differ from the record");
}

bool writeFile(const std::string& path, const void* data, size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

// Appends a record: the side, then the cages, then the digits.
std::string record(int side, const std::vector<uint8_t>& cages, const std::vector<uint8_t>& digits) {
    std::string b = "PLIX";
    b += char(side);
    b.append(cages.begin(), cages.end());
    b.append(digits.begin(), digits.end());
    return b;
}

std::string le32(int32_t v) {
    const uint32_t u = uint32_t(v);
    return {char(u & 0xff), char(u >> 8 & 0xff), char(u >> 16 & 0xff), char(u >> 24 & 0xff)};
}

// The state the "replace a book" runs start from, taken once.
ModelSnapshot goodState;

}  // namespace

int32_t puzzleNumberFor(uint8_t selector, int32_t headerCount) {
    const auto wrap = [](int64_t v) { return int32_t(uint32_t(uint64_t(v))); };
    switch (selector) {
    case 0xF0: return std::numeric_limits<int32_t>::min();
    case 0xF1: return std::numeric_limits<int32_t>::max();
    case 0xF2: return 32767;
    case 0xF3: return 32768;
    case 0xF4: return 65537;  // 1 once cut to 16 bits
    case 0xF5: return -1;
    case 0xF6: return headerCount;
    case 0xF7: return wrap(int64_t(headerCount) + 1);
    case 0xF8: return wrap(int64_t(headerCount) - 1);
    default: return selector;  // 0, the puzzles of a small book, and numbers past its end
    }
}

std::string goodBookBytes() {
    // A 9 x 9, a 4 x 4 and a 1 x 1 puzzle, cut into cages of two cells along each row.
    std::vector<std::string> records;
    for (const int side : {9, 4, 1}) {
        int box = 1;
        while (box * box < side)
            ++box;
        std::vector<uint8_t> cages, digits;
        const int perRow = (side + 1) / 2;
        for (int r = 0; r < side; ++r)
            for (int c = 0; c < side; ++c) {
                cages.push_back(uint8_t(r * perRow + c / 2));
                digits.push_back(uint8_t((r * box + r / box + c) % side + 1));
            }
        records.push_back(record(side, cages, digits));
    }
    std::string table, rest;
    for (const std::string& r : records) {
        table += le32(int32_t(8 + 4 * records.size() + rest.size()));
        rest += r;
    }
    return "WOBE" + le32(int32_t(records.size())) + table + rest;
}

Workspace::Workspace() {
    namespace fs = std::filesystem;
    std::error_code error;
    // Memory-backed when there is such a folder: the readers open the file many times per input.
    const fs::path base = fs::is_directory("/dev/shm", error) ? fs::path("/dev/shm") : fs::temp_directory_path();
    dir_ = (base / ("sumgrid-fuzz-" + std::to_string(getpid()))).string();
    fs::create_directories(dir_);
    fuzzPath_ = dir_ + "/fuzzed.wobe";
    goodPath_ = dir_ + "/good.wobe";
    goodBytes_ = goodBookBytes();
    if (!writeFile(goodPath_, goodBytes_.data(), goodBytes_.size()) || !writeFile(fuzzPath_, "", 0)) {
        std::fprintf(stderr, "cannot write the scratch books in %s\n", dir_.c_str());
        std::abort();
    }
    setMsgBoxAnswer(countMessage);

    // The good book open at its 9 x 9 puzzle, with the player's work on it.
    clearModel();
    messagesShown = foreignMessages = 0;
    openBook(goodPath_);
    loadPuzzle(bookPath, 1);
    if (bookPath != goodPath_ || cellCount != 81 || messagesShown + foreignMessages != 0) {
        std::fprintf(stderr, "the good book does not load\n");
        std::abort();
    }
    puzzleNumber = 1;
    penDigits[1] = 5;
    penDigits[81] = 9;
    pencilDigits[40] = 0x1f;
    errorMarks[81] = 1;
    selCol = 4;
    selRow = 5;
    goodState = ModelSnapshot();
}

Workspace::~Workspace() {
    setMsgBoxAnswer(nullptr);
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

std::string Workspace::run(const uint8_t* data, size_t size) {
    std::string failures;
    Report rep(failures);
    if (size == 0)
        return failures;
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (!writeFile(fuzzPath_, bytes.data(), bytes.size())) {
        rep.fail("cannot write " + fuzzPath_);
        return failures;
    }
    const int32_t claimed = bytes.size() >= 8 ? le32At(bytes, 4) : 0;
    const int32_t n = puzzleNumberFor(data[0], claimed);
    const std::string which = " (puzzle " + std::to_string(n) + ")";

    // First open: nothing read yet.
    clearModel();
    rep.step("first open: openBook");
    callOpenBook(rep, fuzzPath_, bytes);
    rep.step("first open: loadPuzzle" + which);
    callLoadPuzzle(rep, n, fuzzPath_, bytes, goodPath_, goodBytes_);
    if (!bookPath.empty() && puzzleCount >= 1) {
        rep.step("first open: loadPuzzle of the last puzzle");
        callLoadPuzzle(rep, puzzleCount, fuzzPath_, bytes, goodPath_, goodBytes_);
    }

    // Replacing a book that is open, with a puzzle half played.
    restore(goodState);
    rep.step("over the good book: openBook");
    callOpenBook(rep, fuzzPath_, bytes);
    rep.step("over the good book: loadPuzzle" + which);
    callLoadPuzzle(rep, n, fuzzPath_, bytes, goodPath_, goodBytes_);
    return failures;
}

}  // namespace bookfuzz
