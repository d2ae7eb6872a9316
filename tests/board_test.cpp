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

TEST_F(Board, EveryBoardMatchesItsReferencePicture) {
    const std::vector<BoardScenario> boards = boardScenarios();
    ASSERT_GE(boards.size(), 8u);
    for (const BoardScenario& board : boards) {
        loadScenario(board, dir);
        const QImage picture = paint();
        EXPECT_EQ(goldenMismatch(picture, board.name), "");
        EXPECT_EQ(box->fontSize(), 12) << "digits are the last text written";
        updateGrid();
        EXPECT_TRUE(box->image() == picture) << board.name << ": a second repaint changes nothing";
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
    endPainting(&dc);
    QImage blank(40, 37, QImage::Format_RGB32);
    blank.fill(Qt::white);
    EXPECT_EQ(image.copy(0, 3, 40, 37), blank) << "nothing below the box";
    EXPECT_NE(image.copy(0, 0, 40, 3), blank.copy(0, 0, 40, 3)) << "what lies inside the box is written";
}

}  // namespace
