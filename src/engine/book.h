// Puzzle books: the "WOBE" file that the player opens. Layout, all numbers
// little-endian: "WOBE", a signed 32-bit count N (1..32767), N signed 32-bit
// offsets from the start of the file, one per puzzle; at each offset a record:
// "PLIX", one byte grid side G, G*G bytes cage numbers, G*G bytes solution.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "killer.h"

namespace sumgrid::engine {

constexpr int kMaxBookPuzzles = 32767;
constexpr std::size_t kMaxBookBytes = 64u << 20;  // far above the largest valid book

// The bytes of a book holding the records in order, each right after the
// offset table. Throws std::invalid_argument for 0 or more than 32767 records
// or a record whose side is outside 1..15, as the reader refuses them. The
// largest book so made is under 16 MB, so every offset fits its four bytes.
std::vector<std::uint8_t> writeBook(const std::vector<Record>& records);

struct BookFault {
    int puzzle = 0;  // 1-based; 0 for the file as a whole
    std::string message;
};

struct BookContents {
    bool headerOk = false;           // magic, count and table readable
    std::int32_t count = 0;          // as stored
    std::vector<std::int32_t> offsets;
    std::vector<Record> records;     // one per table entry; side 0 if unreadable
    std::vector<BookFault> faults;   // what could not be read
};

// Takes a book apart without trusting any size or offset in it. Records are
// read as stored; checkRecord judges their contents.
BookContents readBook(const std::vector<std::uint8_t>& bytes);

// The whole file, of bounded size; false and a message on failure.
bool readFileBytes(const std::string& path, std::vector<std::uint8_t>& out, std::string& error,
                   std::size_t maxBytes = kMaxBookBytes);

}  // namespace sumgrid::engine
