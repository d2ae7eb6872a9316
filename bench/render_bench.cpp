// The cost of a full repaint of the board, against a bare fill of the same image.
#include "model/puzzle.h"
#include "platform/picturebox.h"
#include "render/grid.h"
#include "render/resources.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace {

// A full 9 x 9 board: a valid grid in cages of two and three cells, every
// cell written (pen and pencil by turns), a selection and a column of marks.
void fillBoard() {
    gridSize = 9;
    cellCount = 81;
    cageOf.assign(82, 0);
    solution.assign(82, 0);
    for (int16_t i = 1; i <= 81; ++i) {
        const int r = (i - 1) / 9, c = (i - 1) % 9;
        solution[i] = uint8_t((r * 3 + r / 3 + c) % 9 + 1);
        cageOf[i] = uint8_t(r * 4 + (c < 2 ? 0 : c < 5 ? 1 : c < 7 ? 2 : 3));
    }
    computeCageSums();
    for (int16_t i = 1; i <= 81; ++i)
        (i % 2 ? penDigits : pencilDigits)[i] = solution[i];
    for (int16_t row = 1; row <= 9; ++row)
        errorMarks[cellAt(4, row)] = 1;
    selCol = 5;
    selRow = 5;
}

void BM_UpdateGridFullBoard(benchmark::State& state) {
    fillBoard();
    for (auto _ : state)
        updateGrid();
}
BENCHMARK(BM_UpdateGridFullBoard)->Unit(benchmark::kMicrosecond);

void BM_BareFillOfTheBoardImage(benchmark::State& state) {
    const int32_t side = boardSide(gridInfo);
    for (auto _ : state) {
        FillRect(gridInfo.hDC, RECT{0, 0, side, side}, hbrWhite);
        pbGrid->Refresh();
    }
}
BENCHMARK(BM_BareFillOfTheBoardImage)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    PictureBox box;
    pbGrid = &box;
    initGdiObjects();
    gridInfo.hDC = box.hDC();
    gridInfo.cellSize = 46;
    resizePBgrid();

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
