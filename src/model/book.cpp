#include "model/book.h"

#include "model/puzzle.h"
#include "platform/binfile.h"
#include "platform/msgbox.h"

#include <cstring>

std::string bookPath;
int32_t puzzleCount = 0;
std::vector<int32_t> bookTable;
int16_t puzzleNumber = 1;

const char* const fileErrorMessage = " Error Opening the files. File corrupted. Open only PLIX files";

namespace {

constexpr int32_t maxPuzzles = 32767;  // puzzle numbers are signed 16-bit
constexpr int maxSide = 15;
constexpr int32_t recordHeaderSize = 5;  // magic and side
constexpr int32_t smallestRecord = recordHeaderSize + 2;  // a 1 x 1 puzzle

void showFileError() { MsgBox(fileErrorMessage); }

bool readMagic(BinaryFile& file, const char* magic) {
    char bytes[4];
    return file.read(bytes, sizeof bytes) && std::memcmp(bytes, magic, sizeof bytes) == 0;
}

// A puzzle record as read, before anything of it reaches the model.
struct Record {
    uint8_t side = 0;
    CellArray cages;
    CellArray digits;
};

// Every solution digit lies in 1..side, every cage number names a cell, and
// every cage's sum fits the byte it is kept in.
bool isWithinModel(const Record& r) {
    const int cells = r.side * r.side;
    std::vector<int> sums(size_t(cells), 0);
    for (int i = 1; i <= cells; ++i) {
        if (r.digits[i] < 1 || r.digits[i] > r.side || r.cages[i] >= cells)
            return false;
        if ((sums[r.cages[i]] += r.digits[i]) > 255)
            return false;
    }
    return true;
}

bool readRecord(BinaryFile& file, int32_t offset, Record& r) {
    if (!file.seek(offset) || !readMagic(file, "PLIX") || !file.read(&r.side, 1))
        return false;
    if (r.side < 1 || r.side > maxSide)
        return false;
    const size_t cells = size_t(r.side) * r.side;
    r.cages.assign(cells + 1, 0);
    r.digits.assign(cells + 1, 0);
    return file.read(&r.cages[1], cells) && file.read(&r.digits[1], cells) && isWithinModel(r);
}

}  // namespace

void openBook(const std::string& path) {
    BinaryFile file;
    file.open(path);
    openBook(path, file);
}

void openBook(const std::string& path, BinaryFile& file) {
    int32_t count = 0;
    if (!file.seek(0) || !readMagic(file, "WOBE") || !file.readInt32(count) || count < 1 ||
        count > maxPuzzles) {
        showFileError();
        return;
    }
    std::vector<unsigned char> raw(size_t(count) * 4);
    if (!file.read(raw.data(), raw.size())) {
        showFileError();
        return;
    }
    // Each offset must leave room for at least the smallest record.
    const int64_t lastStart = file.length() - smallestRecord;
    std::vector<int32_t> table(size_t(count) + 1, 0);
    for (int32_t k = 1; k <= count; ++k) {
        table[k] = int32At(&raw[size_t(k - 1) * 4]);
        if (table[k] < 0 || table[k] > lastStart) {
            showFileError();
            return;
        }
    }
    bookPath = path;
    puzzleCount = count;
    bookTable = std::move(table);
}

void loadPuzzle(const std::string& path, int32_t n) {
    BinaryFile file;
    file.open(path);
    loadPuzzle(path, n, file);
}

void loadPuzzle(const std::string& path, int32_t n, BinaryFile& file) {
    if (path.empty())
        return;
    Record r;
    if (n < 1 || n > puzzleCount || !readRecord(file, bookTable[n], r)) {
        showFileError();
        return;
    }
    bookPath = path;
    gridSize = r.side;
    cellCount = int16_t(r.side * r.side);
    cageOf = std::move(r.cages);
    solution = std::move(r.digits);
    computeCageSums();
}
