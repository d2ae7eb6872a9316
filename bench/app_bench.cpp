// What the player waits for: start-up to the first painted board, opening a
// book of the largest size, and loading one puzzle from it.
#include "app/form1.h"
#include "model/book.h"
#include "model/puzzle.h"
#include "platform/app_info.h"
#include "platform/binfile.h"
#include "platform/msgbox.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string le32(int32_t v) {
    const uint32_t u = uint32_t(v);
    return std::string{char(u & 0xff), char(u >> 8 & 0xff), char(u >> 16 & 0xff), char(u >> 24 & 0xff)};
}

// A book of 32767 puzzles, the most a book may hold: the bundled puzzles over and over.
std::string largestBook(const std::string& bundled) {
    const std::string source = readFile(bundled);
    const int32_t have = int32At(reinterpret_cast<const unsigned char*>(source.data()) + 4);
    std::string table, records;
    const int32_t count = 32767;
    const int32_t first = 8 + 4 * count;
    for (int32_t k = 0; k < count; ++k) {
        const int32_t from = int32At(reinterpret_cast<const unsigned char*>(source.data()) + 8 + 4 * (k % have));
        table += le32(first + int32_t(records.size()));
        records += source.substr(size_t(from), 167);
    }
    return "WOBE" + le32(count) + table + records;
}

std::string bigBookPath;

void BM_StartUpToFirstPaintedBoard(benchmark::State& state) {
    for (auto _ : state) {
        Form1 window;  // builds the controls, runs Form_Load and paints puzzle 1
        benchmark::DoNotOptimize(cellCount);
        state.PauseTiming();
        window.close();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartUpToFirstPaintedBoard)->Unit(benchmark::kMillisecond);

void BM_OpenLargestBook(benchmark::State& state) {
    for (auto _ : state)
        openBook(bigBookPath);
    state.counters["puzzles"] = puzzleCount;
}
BENCHMARK(BM_OpenLargestBook)->Unit(benchmark::kMicrosecond);

void BM_LoadPuzzleFromLargestBook(benchmark::State& state) {
    openBook(bigBookPath);
    int32_t n = 1;
    const uint64_t before = BinaryFile::totalBytesRead();
    for (auto _ : state) {
        loadPuzzle(bookPath, n);
        n = (n + 7918) % puzzleCount + 1;  // hop about the file
    }
    state.counters["bytes_per_load"] =
        double(BinaryFile::totalBytesRead() - before) / double(state.iterations());
}
BENCHMARK(BM_LoadPuzzleFromLargestBook)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Every book here is sound: a message would be a fault, not something to wait on.
    setMsgBoxAnswer([](const std::string& prompt, int, const std::string&) -> int {
        std::fprintf(stderr, "unexpected message: %s\n", prompt.c_str());
        std::abort();
    });

    // The benchmark's own program folder gets the bundled default book.
    const std::string bundled = SUMGRID_SOURCE_DIR "/puzzles/LEVEL-1.wobe";
    std::filesystem::create_directories(App::Path() + "/puzzles");
    std::filesystem::copy_file(bundled, App::Path() + "/puzzles/LEVEL-1.wobe",
                               std::filesystem::copy_options::overwrite_existing);
    bigBookPath = App::Path() + "/largest.wobe";
    std::ofstream(bigBookPath, std::ios::binary) << largestBook(bundled);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove(bigBookPath);
    return 0;
}
