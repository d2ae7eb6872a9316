// The fuzz targets' checks, run by the fuzzers and the replay test. Each takes one input and returns what broke,
// a line each, or nothing; accepted counts what got through: books opened, puzzles imported, cages outlined.
#pragma once
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>
namespace fuzzchecks {
std::string book(std::string_view input, int& accepted);    // the number to load (int32, little-endian), then a book
std::string import(std::string_view input, int& accepted);  // text in the exchange format
std::string paint(std::string_view input, int& accepted);   // a side, cages, digits and the player's work (paint.cpp)
}  // namespace fuzzchecks
// Adds what broke to fails, built only when cond does not hold; yields cond.
#define FUZZ_CHECK(fails, cond, what) ((cond) || ((fails) += std::string(what) + "\n", false))
