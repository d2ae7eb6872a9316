// generate: a book of new puzzles, made on every core. Puzzle k comes from
// its own seed, so the book is the same for any number of threads; the
// finished book is put in order of rising score, equal scores as made.
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <ostream>
#include <stdexcept>
#include <thread>

#include "commands.h"
#include "figures.h"
#include "generator.h"
#include "geometry.h"

namespace sumgrid::tools {

using namespace sumgrid::engine;

namespace {

struct Options {
    std::string level, count, output, seed = "1", side = "9", jobs;
};

// Why a level cannot be made on a grid side, or nothing when it can.
std::string outOfReach(int level, int side) {
    if (level <= maxLevelFor(side)) return "";
    const std::string grid = std::to_string(side) + "x" + std::to_string(side);
    return levelName(level) + " is out of reach on a " + grid +
           " grid, which gives its techniques too little to work on (up to " + levelName(maxLevelFor(side)) + " there)";
}

struct Made {
    std::vector<Record> records;
    std::vector<int> scores;  // in tenths
    int failed = -1;  // the first puzzle that could not be made
};

// Makes the puzzles on jobs threads, which take them in order, while this
// thread counts the finished ones on the progress line.
Made makePuzzles(int side, int low, int high, std::uint64_t seed, int count, int jobs, Progress& progress) {
    Made made;
    made.records.resize(count);
    made.scores.resize(count);
    std::vector<char> failed(count, 0);
    std::atomic<int> next{0};
    std::atomic<bool> stop{false};
    std::mutex lock;
    std::condition_variable changed;
    int finished = 0, running = std::min(jobs, count);
    std::exception_ptr error;
    auto work = [&] {
        for (int i; !stop && (i = next++) < count;) {
            try {
                const Generated p = Generator(side, puzzleSeed(seed, i)).generate(bookLevel(low, high, i, count));
                if (p.attempts == 0) failed[i] = 1;
                else made.records[i] = recordOf(p.killer, p.solution);
                if (p.attempts != 0) made.scores[i] = scoreTenths(grade(p.killer));
            } catch (...) {
                const std::lock_guard<std::mutex> guard(lock);
                if (!error) error = std::current_exception();
                failed[i] = 1;
            }
            if (failed[i]) stop = true;
            const std::lock_guard<std::mutex> guard(lock);
            ++finished;
            changed.notify_one();
        }
        const std::lock_guard<std::mutex> guard(lock);
        --running;
        changed.notify_one();
    };
    std::vector<std::thread> threads;
    try {
        for (int t = running; t > 0; --t) threads.emplace_back(work);
    } catch (...) {  // no more threads: the others stop, and the book is not made
        stop = true;
        for (std::thread& t : threads) t.join();
        throw;
    }
    std::unique_lock<std::mutex> guard(lock);
    for (int shown = 0; running > 0 || shown < finished;) {
        changed.wait(guard, [&] { return shown < finished || running == 0; });
        for (; shown < finished; ++shown) progress.step();
    }
    guard.unlock();
    for (std::thread& t : threads) t.join();
    if (error) std::rethrow_exception(error);
    made.failed = static_cast<int>(std::find(failed.begin(), failed.end(), 1) - failed.begin());
    if (made.failed == count) made.failed = -1;
    return made;
}

int generate(const Options& o, const Streams& s) {
    // One level, or the first and last of a span: "2-5".
    const auto dash = o.level.find('-', 1);
    const int low = static_cast<int>(parseNumber(o.level.substr(0, dash), 1, kLevels, "--level"));
    const int high = dash == std::string::npos ? low : static_cast<int>(parseNumber(o.level.substr(dash + 1), low, kLevels, "the last level of --level"));
    const std::string levels = levelName(low) + (high > low ? " to " + levelName(high) : "");
    const int count = static_cast<int>(parseNumber(o.count, 1, kMaxBookPuzzles, "--count"));
    const std::uint64_t seed = parseSeed(o.seed);
    const int side = static_cast<int>(parseNumber(o.side, 4, kMaxSide, "--side"));
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const int jobs = o.jobs.empty() ? cores : static_cast<int>(parseNumber(o.jobs, 1, 256, "--jobs"));
    if (!geometryFor(side)) throw UsageError{"--side " + std::to_string(side) + " has no box shape"};
    if (!outOfReach(high, side).empty()) throw std::runtime_error(outOfReach(high, side));
    checkOutput(o.output, {}, true, s);

    Progress progress(s.err, s.progress, "generating " + levels, count);
    const Made made = makePuzzles(side, low, high, seed, count, jobs, progress);
    progress.clear();
    if (made.failed >= 0) {
        s.err << "sumgrid-book: could not make puzzle " << made.failed + 1 << " at " << levelName(bookLevel(low, high, made.failed, count))
              << " on a " << side << "x" << side << " grid\n";
        return 1;
    }
    std::vector<Record> rising;
    for (int i : risingOrder(made.scores)) rising.push_back(made.records[i]);
    if (!save(o.output, writeBook(rising), s)) return 1;
    if (o.output != "-")
        s.out << "wrote " << plural(count, levels + " puzzle") << " to " << o.output << " (seed " << seed
              << ")\n";
    return 0;
}

}  // namespace

Command addGenerate(CLI::App& tool) {
    CLI::App* app = tool.add_subcommand("generate", "writes a book of new puzzles of one level or a span of levels, in rising score");
    auto o = std::make_shared<Options>();
    app->add_option("--level", o->level, "the level: 1 (easiest) to 5 (expert), or a span such as 2-5, equal runs of each")
        ->type_name("N")
        ->required();
    app->add_option("--count", o->count, "the number of puzzles: 1 to 32767")->type_name("K")->required();
    addOutput(*app, o->output, "the book to write, - for standard output")->required();
    app->add_option("--seed", o->seed, "decimal or 0x hex, 1 by default: a seed always gives the same book")
        ->type_name("S");
    app->add_option("--side", o->side, "the grid side: 4, 6, 8, 9 (the default), 10, 12, 14 or 15")
        ->type_name("G");
    app->add_option("--jobs", o->jobs, "puzzles made at once, by default as many as the cores")->type_name("J");
    return {app, [o](const Streams& s) { return generate(*o, s); }};
}

}  // namespace sumgrid::tools
