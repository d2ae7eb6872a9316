// Each benchmark works through many puzzles, one per iteration, and reports
// besides the mean time the median over those puzzles (counter median_us),
// taken from the thread's CPU clock so that other work on the machine does
// not inflate it.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

#include "book.h"
#include "generator.h"
#include "grader.h"
#include "solver.h"

using namespace sumgrid::engine;

namespace {

std::vector<Killer> bundledBook(int level) {
    const std::string path = std::string(SUMGRID_SOURCE_DIR) + "/puzzles/LEVEL-" + std::to_string(level) + ".wobe";
    std::vector<std::uint8_t> bytes;
    std::string error;
    std::vector<Killer> out;
    if (!readFileBytes(path, bytes, error)) return out;
    for (const Record& r : readBook(bytes).records)
        if (r.side != 0 && checkRecord(r).empty()) out.push_back(killerOf(r));
    return out;
}

double threadMicros() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
}

// Runs step(i) once per iteration and reports the median of the single times.
template <class Step>
void timeEach(benchmark::State& state, Step step) {
    std::vector<double> micros;
    std::size_t i = 0;
    for (auto _ : state) {
        const double start = threadMicros();
        step(i++);
        micros.push_back(threadMicros() - start);
    }
    if (micros.empty()) return;
    std::nth_element(micros.begin(), micros.begin() + micros.size() / 2, micros.end());
    state.counters["median_us"] = micros[micros.size() / 2];
}

void ProveUnique(benchmark::State& state) {
    const auto book = bundledBook(static_cast<int>(state.range(0)));
    if (book.empty()) {
        state.SkipWithError("bundled book missing");
        return;
    }
    timeEach(state, [&](std::size_t i) {
        Solver solver(book[i % book.size()]);
        const int n = solver.count(2);
        benchmark::DoNotOptimize(n);
        if (n != 1) state.SkipWithError("puzzle not unique");
    });
}
BENCHMARK(ProveUnique)->DenseRange(1, kLevels)->Unit(benchmark::kMicrosecond)->Iterations(2000);

void GradeBook(benchmark::State& state) {
    const auto book = bundledBook(static_cast<int>(state.range(0)));
    if (book.empty()) {
        state.SkipWithError("bundled book missing");
        return;
    }
    timeEach(state, [&](std::size_t i) {
        const Grade g = grade(book[i % book.size()]);
        benchmark::DoNotOptimize(g.level);
    });
}
BENCHMARK(GradeBook)->DenseRange(1, kLevels)->Unit(benchmark::kMicrosecond)->Iterations(1000);

void GeneratePuzzle(benchmark::State& state) {
    const int level = static_cast<int>(state.range(0));
    timeEach(state, [&](std::size_t i) {
        Generator gen(9, puzzleSeed(0xBE7C4, static_cast<int>(i)));
        const Generated p = gen.generate(level);
        benchmark::DoNotOptimize(p.attempts);
        if (p.attempts == 0) state.SkipWithError("generation failed");
    });
}
BENCHMARK(GeneratePuzzle)->DenseRange(1, 4)->Unit(benchmark::kMicrosecond)->Iterations(200);
BENCHMARK(GeneratePuzzle)->Arg(5)->Unit(benchmark::kMicrosecond)->Iterations(50);

// The big grids, a few puzzles each: side, then level. The counter attempts
// is the mean number of cage layouts a puzzle took.
void GenerateBig(benchmark::State& state) {
    const int side = static_cast<int>(state.range(0)), level = static_cast<int>(state.range(1));
    long attempts = 0;
    timeEach(state, [&](std::size_t i) {
        Generator gen(side, puzzleSeed(0xB16, static_cast<int>(i)));
        const Generated p = gen.generate(level);
        benchmark::DoNotOptimize(p.attempts);
        attempts += p.attempts;
        if (p.attempts == 0) state.SkipWithError("generation failed");
    });
    state.counters["attempts"] = static_cast<double>(attempts) / static_cast<double>(state.iterations());
}
BENCHMARK(GenerateBig)->ArgsProduct({{12, 14, 15}, {2, 3, 4, 5}})->Unit(benchmark::kMillisecond)->Iterations(15);

}  // namespace
