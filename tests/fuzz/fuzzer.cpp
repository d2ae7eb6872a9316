// The libFuzzer target of the check FUZZ_TARGET names, which stops on what broke; for the book, mutations that mostly
// keep a whole header and a table of 1 to 32767 offsets pointing at records, often well formed, now and then flawed.
#include "checks.h"
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    int accepted = 0;
    const std::string fails = fuzzchecks::FUZZ_TARGET(std::string_view(reinterpret_cast<const char*>(data), size), accepted);
    if (!fails.empty()) std::fputs(fails.c_str(), stderr), __builtin_trap();
    return 0;
}
#ifdef BOOK_MUTATOR
extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);
static std::minstd_rand rng;
static int64_t pick(int64_t n) { return int64_t(rng() % uint64_t(n)); }
static int64_t pickOf(const std::vector<int64_t>& choices) { return choices[size_t(pick(int64_t(choices.size())))]; }
static int64_t get32(std::string_view b, int64_t at) { int32_t v; return std::memcpy(&v, &b[size_t(at)], 4), v; }  // little-endian hosts
static void put32(std::string& b, int64_t at, int64_t v) { const auto u = uint32_t(v); std::memcpy(&b[size_t(at)], &u, 4); }
// Digits of a Latin square (boxed when the side is a square) or random, cages numbered from 0 in runs
// along the rows; one record in two has a flaw: a side, digit or cage number out of range, one cage, cut short.
static std::string record() {
    const int64_t side = 1 + pick(15), cells = side * side, box = int64_t(std::ceil(std::sqrt(side))), latin = pick(4);
    std::string r = "PLIX" + std::string(1, char(side)) + std::string(size_t(2 * cells), 0);
    for (int64_t i = 0, cage = 0; i < cells; ++i) {
        r[size_t(5 + i)] = char(cage += i > 0 && pick(3) == 0);
        r[size_t(5 + cells + i)] = char(1 + (latin ? (i / side * box + i / side / box + i % side) % side : pick(side)));
    }
    const int64_t flaw = pick(6);
    if (flaw == 0) r[size_t(pickOf({4, 5 + pick(cells), 5 + cells + pick(cells)}))] = char(pickOf({0, 16, 255, side + 1, cells, pick(cells)}));
    if (flaw == 1) r.replace(5, size_t(cells), size_t(cells), 0);
    if (flaw == 2) r.resize(size_t(pick(int64_t(r.size()))));
    return r;
}
// An input is the number to load, then the book; three times in four its records (from its first "PLIX" on) are kept.
extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize, unsigned seed) {
    rng.seed(seed);
    static std::string body, out;  // kept from input to input, so that a book of 150 kB is not allocated anew each time
    const std::string_view in(reinterpret_cast<char*>(data), size);
    const size_t first = in.find("PLIX", 12);
    body.assign(first == std::string::npos || pick(4) == 0 ? std::string_view() : in.substr(first));
    if (body.empty() || pick(3) == 0) body += record();
    std::vector<int64_t> starts{0};
    for (size_t at = body.find("PLIX", 1); at != std::string::npos; at = body.find("PLIX", at + 1)) starts.push_back(int64_t(at));
    const int64_t n = size >= 12 ? std::clamp<int64_t>(get32(in, 8), 1, 32767) : 1, few = 1 + pick(8), many = 1 + (pick(32767) >> pick(15));
    const int64_t room = (int64_t(maxSize) - 12 - int64_t(body.size())) / 4;
    const int64_t entries = std::min(room, pickOf({n, n, n + 1, few, few, few, few, many, 32767}));
    if (entries < 1 || pick(8) == 0) return LLVMFuzzerMutate(data, size, maxSize);
    out.assign(8, 0).replace(4, 4, "WOBE").append(size_t(4 + 4 * entries), 0).append(body);
    for (int64_t k = 0; k < entries; ++k) put32(out, 12 + 4 * k, 8 + 4 * entries + starts[size_t(pick(int64_t(starts.size())))]);
    put32(out, 8, entries);
    put32(out, 0, pickOf({size >= 4 ? get32(in, 0) : 1, 1 + pick(entries), 1 + pick(entries), entries, entries + 1, 0, -1,
                          INT32_MIN, INT32_MAX, 65537}));
    const int64_t flaw = pick(8), end = int64_t(out.size()) - 4;  // a count or an offset at an edge, or the file cut short
    if (flaw == 0)
        put32(out, pickOf({8, 12 + 4 * pick(entries)}), pickOf({0, -1, entries + 1, 32768, INT32_MIN, 8, end - 7, end - 6, end, INT32_MAX}));
    if (flaw == 1) out.resize(size_t(4 + pick(end)));
    return std::memcpy(data, out.data(), out.size()), out.size();
}
#endif
