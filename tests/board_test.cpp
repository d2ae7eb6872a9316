// The painted board, compared whole with its reference pictures; the outline
// walk point by point; the canvas rules that no board shows.
#include "model/puzzle.h"
#include "platform/picturebox.h"
#include "render/grid.h"
#include "render/outline.h"
#include "render/resources.h"
#include "support/golden.h"
#include "support/model_snapshot.h"
#include "support/test_book.h"

#include <gtest/gtest.h>

namespace {

class Board : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        initGdiObjects();
        box = new PictureBox;
        box->setLeastWidth(352);  // as the main window's toolbar does
        pbGrid = box;
        gridInfo = GridInfo{box->hDC(), 46};
    }
    static void TearDownTestSuite() {
        pbGrid = nullptr;
        delete box;
    }
    void SetUp() override { clearModel(); }

    QImage paint() {
        resizePBgrid();
        updateGrid();
        return box->image().copy();
    }

    static inline PictureBox* box = nullptr;
    ScratchDir dir;
};

// The pictures are kept for screens of one and two device pixels to a pixel.
TEST_F(Board, EveryBoardMatchesItsReferencePicture) {
    const qreal ratio = box->devicePixelRatioF();
    if (ratio != 1 && ratio != 2)
        GTEST_SKIP() << "no reference pictures at " << ratio << " device pixels to a pixel";
    const std::vector<BoardScenario> boards = boardScenarios();
    ASSERT_GE(boards.size(), 9u);
    for (const BoardScenario& board : boards) {
        loadScenario(board, dir);
        const QImage picture = paint();
        EXPECT_EQ(picture.deviceIndependentSize(), QSizeF(box->size()));
        EXPECT_EQ(goldenMismatch(picture, board.name + (ratio == 2 ? "@2x" : "")), "");
        EXPECT_EQ(box->fontSize(), 12) << "digits are the last text written";
        updateGrid();
        EXPECT_TRUE(box->image() == picture) << board.name << ": a second repaint changes nothing";
    }
}

// At any scale every thin grid line is as wide as every other, every thick
// one too, each centred within a device pixel on where it belongs, and none
// is missing: along a row through the middle of the grid, then down a column.
TEST_F(Board, GridLinesKeepOneWidthAtAnyScale) {
    loadScenario(boardScenario("dominoes"), dir);
    const QImage picture = paint();
    const qreal ratio = picture.devicePixelRatio();
    const QRgb thin = qRgb(25, 25, 25), thick = qRgb(20, 0, 0);
    for (const bool alongARow : {true, false}) {
        std::vector<std::tuple<QRgb, int, int>> lines;  // colour, first device pixel, width
        for (int d = int(40 * ratio); d < int(466 * ratio); ++d) {
            const QRgb pixel = alongARow ? picture.pixel(d, int(253 * ratio)) : picture.pixel(int(253 * ratio), d);
            if (pixel != thin && pixel != thick)
                continue;
            if (lines.empty() || std::get<0>(lines.back()) != pixel || std::get<1>(lines.back()) + std::get<2>(lines.back()) != d)
                lines.emplace_back(pixel, d, 0);
            ++std::get<2>(lines.back());
        }
        ASSERT_EQ(lines.size(), 10u) << "ratio " << ratio;
        for (int i = 1; i <= 10; ++i) {
            const auto [colour, first, width] = lines[size_t(i - 1)];
            EXPECT_EQ(colour, i % 3 == 1 ? thick : thin) << "line " << i;
            EXPECT_EQ(width, std::get<2>(lines[i % 3 == 1 ? 0 : 1])) << "line " << i << " at ratio " << ratio;
            EXPECT_LE(std::abs(first + width / 2.0 - (46 * i + 0.5) * ratio), 1.0) << "line " << i << " at ratio " << ratio;
        }
        EXPECT_GT(std::get<2>(lines[0]), std::get<2>(lines[1]));
    }
}

// Points of the outline of cage 0, the given cells, in a 9 x 9 grid of cage 1.
std::vector<std::pair<int, int>> outline(const std::vector<int16_t>& cells, int16_t* n) {
    cellCount = 81;
    cageOf.assign(82, 1);
    for (int16_t c : cells)
        cageOf[c] = 0;
    OutlinePoints points;
    *n = traceCageOutline(0, points, GridInfo{nullptr, 46});
    std::vector<std::pair<int, int>> xy;
    for (size_t i = 1; i < points.size(); ++i)
        xy.emplace_back(points[i].x, points[i].y);
    return xy;
}

TEST_F(Board, OutlinesWalkClockwiseFromTheFirstCellsInsetCorner) {
    using Points = std::vector<std::pair<int, int>>;
    const std::tuple<const char*, std::vector<int16_t>, int16_t, Points> cases[] = {
        {"one cell", {20}, 4, {{97, 143}, {133, 143}, {133, 179}, {97, 179}, {97, 143}}},
        {"two cells", {1, 2}, 8, {{51, 51}, {87, 51}, {97, 51}, {133, 51}, {133, 87}, {97, 87}, {87, 87}, {51, 87}, {51, 51}}},
        {"L", {2, 10, 11}, 12, {{97, 51}, {133, 51}, {133, 87}, {133, 97}, {133, 133}, {97, 133}, {87, 133}, {51, 133},
                                {51, 97}, {87, 97}, {97, 97}, {97, 87}, {97, 51}}},
        {"corner", {81}, 4, {{419, 419}, {455, 419}, {455, 455}, {419, 455}, {419, 419}}},
        {"not joined", {1, 3}, 4, {{51, 51}, {87, 51}, {87, 87}, {51, 87}, {51, 51}}},
        {"ring", {1, 2, 3, 10, 12, 19, 20, 21}, 20,
         {{51, 51}, {87, 51}, {97, 51}, {133, 51}, {143, 51}, {179, 51}, {179, 87}, {179, 97}, {179, 133}, {179, 143},
          {179, 179}, {143, 179}, {133, 179}, {97, 179}, {87, 179}, {51, 179}, {51, 143}, {51, 133}, {51, 97}, {51, 87},
          {51, 51}}},
    };
    for (const auto& [what, cells, count, points] : cases) {
        int16_t n = 0;
        EXPECT_EQ(outline(cells, &n), points) << what;
        EXPECT_EQ(n, count) << what;
    }
    cageOf.assign(82, 0);  // the whole grid: round the edge only
    OutlinePoints all;
    EXPECT_EQ(traceCageOutline(0, all, gridInfo), 4 * 9 + 4 * 8);
}

TEST_F(Board, TextIsClippedToItsBox) {
    QImage image(40, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    DeviceContext dc;
    dc.image = &image;
    setFontSize(&dc, 12);
    RECT low{0, 0, 40, 3};
    DrawTextA(&dc, "8", 1, &low, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    QImage blank(40, 37, QImage::Format_RGB32);
    blank.fill(Qt::white);
    EXPECT_EQ(image.copy(0, 3, 40, 37), blank) << "nothing below the box";
    EXPECT_NE(image.copy(0, 0, 40, 3), blank.copy(0, 0, 40, 3)) << "what lies inside the box is written";
}

}  // namespace
