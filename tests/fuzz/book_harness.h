// One run of the puzzle-book readers on arbitrary bytes, with every outcome
// checked: the fuzzer traps on a broken check, the regression test reports it.
//
// An input is one selector byte followed by the bytes of the book file. The
// selector picks the puzzle number to load, including numbers outside the
// book (see puzzleNumberFor).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace bookfuzz {

// The files one process works with: the fuzzed book, rewritten for every
// input, and a good book opened beforehand for the "replace a book" runs.
class Workspace {
public:
    Workspace();   // makes a private folder, writes the good book, installs the message counter
    ~Workspace();  // removes the folder and restores the real message boxes
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    // Runs the readers on one input: once with nothing open, once over the
    // good book with some player work on it. Returns every broken check, one
    // per line; empty when all held.
    std::string run(const uint8_t* data, size_t size);

    const std::string& fuzzPath() const { return fuzzPath_; }
    const std::string& goodPath() const { return goodPath_; }

private:
    std::string dir_, fuzzPath_, goodPath_, goodBytes_;
};

// The puzzle number a selector byte asks for; count is the count the header
// claims (0 when there is no header).
int32_t puzzleNumberFor(uint8_t selector, int32_t headerCount);

// The bytes of a good book of three 4 x 4 puzzles, the one opened before the
// "replace a book" runs.
std::string goodBookBytes();

}  // namespace bookfuzz
