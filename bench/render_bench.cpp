// The cost of a full repaint of the board, on a screen of one and of two
// device pixels to a pixel, against a bare fill of the same image.
#include "model/puzzle.h"
#include "platform/screen.h"
#include "render/board.h"
#include "render/digits.h"
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

// The board's image at the ratio given in tenths (10 or 20), as the picture box keeps it.
struct Canvas {
    QImage image;
    DeviceContext dc;
    explicit Canvas(const benchmark::State& state) {
        const qreal ratio = state.range(0) / 10.0;
        image = QImage(QSize(506, 506) * ratio, QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        dc.image = &image;
        dc.font.setStyleStrategy(QFont::NoAntialias);
        gridInfo = GridInfo{&dc, 46};
    }
};

// What updateGrid draws: the board in 8 points, the digits in 12.
void BM_FullRepaint(benchmark::State& state) {
    fillBoard();
    Canvas canvas(state);
    for (auto _ : state) {
        setFontSize(&canvas.dc, 8);
        drawBoard(gridInfo);
        setFontSize(&canvas.dc, 12);
        drawDigits(gridInfo);
    }
}
BENCHMARK(BM_FullRepaint)->Arg(10)->Arg(20)->Unit(benchmark::kMicrosecond);

void BM_BareFill(benchmark::State& state) {
    Canvas canvas(state);
    for (auto _ : state)
        FillRect(gridInfo.hDC, RECT{0, 0, 506, 506}, hbrWhite);
}
BENCHMARK(BM_BareFill)->Arg(10)->Arg(20)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    initGdiObjects();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
