// Board geometry for a grid of any supported side: the cell numbering, the
// rows, columns and boxes, and the candidate bit masks shared by the engine.
#pragma once

#include <cstdint>
#include <vector>

namespace sumgrid::engine {

// One bit per digit: digit d is bit d - 1. Sides up to 15 fit in 16 bits.
using Mask = std::uint16_t;

constexpr int kMaxSide = 15;
constexpr int kMaxCells = kMaxSide * kMaxSide;

inline Mask digitBit(int d) { return static_cast<Mask>(1u << (d - 1)); }
inline int popcount(unsigned m) {
    m = m - ((m >> 1) & 0x55555555u);
    m = (m & 0x33333333u) + ((m >> 2) & 0x33333333u);
    return static_cast<int>((((m + (m >> 4)) & 0x0F0F0F0Fu) * 0x01010101u) >> 24);
}
// The same for a digit mask, by table: candidates are counted everywhere.
struct ByteBits {
    std::uint8_t n[256];
};
constexpr ByteBits makeByteBits() {
    ByteBits t{};
    for (int i = 1; i < 256; ++i) t.n[i] = static_cast<std::uint8_t>((i & 1) + t.n[i / 2]);
    return t;
}
inline constexpr ByteBits kByteBits = makeByteBits();
inline int popcount(Mask m) { return kByteBits.n[m & 0xFF] + kByteBits.n[m >> 8]; }
inline int popcount64(std::uint64_t m) { return popcount(static_cast<unsigned>(m)) + popcount(static_cast<unsigned>(m >> 32)); }
inline bool singleBit(unsigned m) { return m != 0 && (m & (m - 1)) == 0; }
// Digit of a single-bit mask.
inline int digitOf(unsigned m) { return __builtin_ctz(m) + 1; }
// The mask if it holds one digit, else 0, without a branch on which.
inline Mask ifSingle(Mask m) { return static_cast<Mask>(m & -static_cast<Mask>((m & (m - 1)) == 0)); }

// Candidates packed four cells to a word, 16 bits a lane. Digits use bits
// 0..14, so a lane with bit 15 set can drop 1 without borrowing from the next.
constexpr std::uint64_t kLaneLow = 0x0001000100010001ull, kLaneHigh = 0x8000800080008000ull;
// Not 0 when some lane of v is 0 (the word holds a cell without a candidate).
inline std::uint64_t zeroLanes(std::uint64_t v) { return (v - kLaneLow) & ~v & kLaneHigh; }
// Not 0 when some lane of the first words of packed holds none of combo's
// digits: a combination must meet every cell of a group.
inline std::uint64_t lanesWithout(const std::uint64_t* packed, int words, Mask combo) {
    const std::uint64_t spread = combo * kLaneLow;
    std::uint64_t zero = 0;
    for (int w = 0; w < words; ++w) zero |= zeroLanes(packed[w] & spread);
    return zero;
}

struct Geometry {
    int side = 0;
    int boxRows = 0;  // rows per box
    int boxCols = 0;  // columns per box
    int cells = 0;
    Mask all = 0;     // every digit 1..side
    int unitTotal = 0;  // sum of the digits 1..side

    // Units 0..side-1 are rows, side..2side-1 columns, 2side..3side-1 boxes.
    std::vector<std::vector<int>> units;
    std::vector<std::vector<int>> unitsOfCell;  // three units per cell
    std::vector<std::vector<int>> peers;        // cells sharing a unit, without the cell
    // Runs of adjacent units that the rule of 45 applies to, as unit lists:
    // each unit alone, runs of adjacent rows or columns short of the whole
    // grid, runs of adjacent boxes within a band or stack short of all of it.
    std::vector<std::vector<int>> regions;
    // Where each unit meets the units that cross it: a row or column meets
    // boxes, a box meets rows and columns. Per unit, the crossing unit and the
    // cells the two share, crossing units ascending.
    struct Crossing {
        int unit;
        std::vector<int> cells;
    };
    std::vector<std::vector<Crossing>> crossings;

    std::vector<std::uint8_t> rowOf, colOf, boxOf;  // per cell
    // Per cell: bit row, bit 16 + column and bit 32 + box, to find with one OR
    // which rows, columns and boxes a set of cells touches.
    std::vector<std::uint64_t> unitBits;

    int row(int cell) const { return rowOf[cell]; }
    int col(int cell) const { return colOf[cell]; }
    int box(int cell) const { return boxOf[cell]; }
    bool sees(int a, int b) const {
        return a != b && (rowOf[a] == rowOf[b] || colOf[a] == colOf[b] || boxOf[a] == boxOf[b]);
    }
    std::vector<std::vector<int>> adjacent;     // orthogonal neighbours per cell

    const std::vector<int>& neighbours(int cell) const { return adjacent[cell]; }
};

// The box shape used for a side: the most square split into rows x columns
// with at least two rows. Returns false for sides that have none (primes, 1..3)
// or lie outside 4..kMaxSide.
bool boxShape(int side, int& boxRows, int& boxCols);

// Shared, immutable geometry for a side, or nullptr when the side is unsupported.
const Geometry* geometryFor(int side);

}  // namespace sumgrid::engine
