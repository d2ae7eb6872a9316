// Puzzle books: a header ("WOBE", the count, a table of offsets) and puzzle
// records ("PLIX", the side, the cage of each cell, the solution of each
// cell), little-endian. A book is opened in name only: each reader opens the
// file, reads what it needs and closes it again.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class BinaryFile;

extern std::string bookPath;          // the book last opened; empty until one opens
extern int32_t puzzleCount;           // puzzles in that book
extern std::vector<int32_t> bookTable;  // offset of each record, 1..puzzleCount (entry 0 unused)
extern int16_t puzzleNumber;          // the current puzzle, 1..puzzleCount

extern const char* const fileErrorMessage;

// Reads the header and the table of a book. A book that cannot be read shows
// the file error message and leaves the open book as it was.
void openBook(const std::string& path);

// Reads puzzle n of the book at path into the model and clears the player's
// work. A record that cannot be read shows the file error message and leaves
// the model as it was. With no book open there is nothing to read.
void loadPuzzle(const std::string& path, int32_t n);

// The same readers on a file already open, or on bytes in memory, that path
// names: the two above open the file at path and read it through these.
void openBook(const std::string& path, BinaryFile& file);
void loadPuzzle(const std::string& path, int32_t n, BinaryFile& file);
