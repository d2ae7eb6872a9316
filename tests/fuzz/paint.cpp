// The outline walk and the painters on any cage layout of any side: every outline closes, and nothing is
// drawn outside the board's image. Input bytes: the side (1 + b % 15), how many cage numbers (1 + b % cells),
// the selected column and row (b % (side + 1)); per cell its cage, its digit (1 + b % side), the player's work.
#include "checks.h"
#include "model/puzzle.h"
#include "render/board.h"
#include "render/digits.h"
#include "render/outline.h"
#include "render/resources.h"
#include <QGuiApplication>
std::string fuzzchecks::paint(std::string_view input, int& accepted) {
    static int argc = 1; static char name[] = "paint", *argv[] = {name, nullptr};  // fonts need an application:
    if (!QCoreApplication::instance())  // the replay test runs its own
        qputenv("QT_QPA_PLATFORM", "offscreen"), new QGuiApplication(argc, argv);
    if (!hpenCage) initGdiObjects();
    const auto at = [&](size_t i) { return i < input.size() ? uint8_t(input[i]) : uint8_t(0); };
    gridSize = uint8_t(1 + at(0) % 15), cellCount = int16_t(gridSize * gridSize);
    cageOf.assign(size_t(cellCount) + 1, 0), solution = cageOf;
    for (size_t i = 1; i <= size_t(cellCount); ++i)
        cageOf[i] = uint8_t(at(3 * i + 1) % (1 + at(1) % cellCount)), solution[i] = uint8_t(1 + at(3 * i + 2) % gridSize);
    computeCageSums();
    for (size_t i = 1; i <= size_t(cellCount); ++i) {  // a pen or a pencil digit or none; a mark from 128
        const uint8_t work = at(3 * i + 3);
        (work % 3 == 1 ? penDigits : pencilDigits)[i] = uint8_t(work % 3 ? work / 3 % 10 : 0), errorMarks[i] = work > 127;
    }
    selCol = int16_t(at(2) % (gridSize + 1)), selRow = selCol ? int16_t(at(3) % (gridSize + 1)) : 0, selCol = selRow ? selCol : 0;
    std::string fails;  // the outlines drawBoard draws, of the cages numbered from 0 up to the first number unused
    GridInfo info{nullptr, 46};
    OutlinePoints points;
    for (int c = 0; c < cellCount && firstCellOfCage(uint8_t(c)) != -1; ++c, ++accepted) {
        const int16_t n = traceCageOutline(uint8_t(c), points, info);
        FUZZ_CHECK(fails, n >= 4 && n <= 4 * std::count(cageOf.begin() + 1, cageOf.end(), c) && points.size() == size_t(n) + 2 &&
                              points[1].x == points.back().x && points[1].y == points.back().y,
                   "cage " + std::to_string(c) + "'s outline does not close in 4 points a cell");
    }
    // The paint of updateGrid, on an image of the board's size inside a guard border, in pixels laid out for the
    // largest board and kept from input to input, all of one colour before each.
    const int side = boardSide(info), guard = 16, stride = (15 + 2) * info.cellSize + 2 * guard;
    static const std::vector<QRgb> clean(size_t(stride * stride), qRgb(1, 2, 3));
    static std::vector<QRgb> pixels = clean;
    QImage image(reinterpret_cast<uchar*>(&pixels[size_t(guard * stride + guard)]), side, side, stride * 4, QImage::Format_RGB32);
    DeviceContext dc;
    dc.image = &image, dc.font.setStyleStrategy(QFont::NoAntialias), info.hDC = &dc;  // as the picture box has it
    setFontSize(&dc, 8), drawBoard(info), setFontSize(&dc, 12), drawDigits(info);
    const bool drawn = image.pixel(0, 0) != qRgb(1, 2, 3);
    image.fill(qRgb(1, 2, 3));  // then only what lies outside the image can differ, compared in runs between its rows
    bool outsideClean = true;
    for (size_t from = 0, row = guard; outsideClean && from < pixels.size(); ++row) {
        const size_t to = row < size_t(guard + side) ? row * stride + guard : pixels.size();
        outsideClean = std::equal(pixels.begin() + long(from), pixels.begin() + long(to), clean.begin() + long(from));
        from = to + size_t(side);
    }
    const auto changed = outsideClean ? 0 : pixels.size() - size_t(std::count(pixels.begin(), pixels.end(), qRgb(1, 2, 3)));
    if (!FUZZ_CHECK(fails, changed == 0 && drawn, std::to_string(changed) + " pixels drawn outside the board's image, or none on it"))
        pixels = clean;
    return fails;
}
