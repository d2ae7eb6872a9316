// The painted board, read back pixel by pixel.
#include "model/puzzle.h"
#include "platform/picturebox.h"
#include "render/cross.h"
#include "render/grid.h"
#include "render/resources.h"
#include "support/model_snapshot.h"
#include "support/test_book.h"

#include <gtest/gtest.h>

#include <QImage>

namespace {

const QRgb white = qRgb(255, 255, 255);
const QRgb thin = qRgb(25, 25, 25);
const QRgb thick = qRgb(20, 0, 0);
const QRgb green = qRgb(120, 255, 120);
const QRgb cageInk = qRgb(0, 0, 0);
const QRgb label = qRgb(40, 40, 40);
const QRgb penBlue = qRgb(20, 20, 240);
const QRgb pencilGrey = qRgb(150, 150, 150);
const QRgb red = qRgb(200, 20, 20);

class Board : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        initGdiObjects();
        box = new PictureBox;
        pbGrid = box;
        gridInfo.hDC = box->hDC();
        gridInfo.cellSize = 46;
    }
    static void TearDownTestSuite() { delete box; }

    // The sample puzzle: dominoes along each row, the ninth cell alone.
    void SetUp() override {
        const TestPuzzle p = samplePuzzle();
        gridSize = 9;
        cellCount = 81;
        cageOf = CellArray(1, 0);
        cageOf.insert(cageOf.end(), p.cages.begin(), p.cages.end());
        solution = CellArray(1, 0);
        solution.insert(solution.end(), p.digits.begin(), p.digits.end());
        computeCageSums();
        resizePBgrid();
    }

    QImage paint() {
        updateGrid();
        return box->image().copy();
    }

    // How many pixels of a colour lie in the rectangle (right and bottom exclusive).
    static int count(const QImage& img, QRgb colour, int left, int top, int right, int bottom) {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                n += img.pixel(x, y) == colour;
        return n;
    }

    // The middle of the pixels of a colour in the rectangle.
    static QPointF centreOf(const QImage& img, QRgb colour, int left, int top, int right, int bottom) {
        int minX = right, maxX = left, minY = bottom, maxY = top;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                if (img.pixel(x, y) == colour) {
                    minX = std::min(minX, x), maxX = std::max(maxX, x);
                    minY = std::min(minY, y), maxY = std::max(maxY, y);
                }
        return QPointF((minX + maxX) / 2.0, (minY + maxY) / 2.0);
    }

    static inline PictureBox* box = nullptr;
};

TEST_F(Board, FrameAndGridLines) {
    const QImage img = paint();
    ASSERT_EQ(img.size(), QSize(506, 506));
    for (int i = 0; i < 506; ++i) {
        EXPECT_EQ(img.pixel(0, i), thin);
        EXPECT_EQ(img.pixel(i, 0), thin);
        EXPECT_EQ(img.pixel(504, i), thin);
        EXPECT_EQ(img.pixel(505, i), thin);
        EXPECT_EQ(img.pixel(i, 504), thin);
        EXPECT_EQ(img.pixel(i, 505), thin);
    }
    EXPECT_EQ(img.pixel(1, 30), white);
    EXPECT_EQ(img.pixel(503, 30), white);

    // Lines 1, 4, 7 and 10 are three pixels wide, the others one; mid-cell so no outline is near.
    for (int line = 1; line <= 10; ++line) {
        const int at = line * 46;
        const bool wide = line % 3 == 1;
        for (int along : {70, 300}) {
            EXPECT_EQ(img.pixel(at, along), wide ? thick : thin) << "vertical " << at;
            EXPECT_EQ(img.pixel(along, at), wide ? thick : thin) << "horizontal " << at;
            EXPECT_EQ(img.pixel(at - 1, along), wide ? thick : white) << "vertical " << at;
            EXPECT_EQ(img.pixel(at + 1, along), wide ? thick : white) << "vertical " << at;
            EXPECT_EQ(img.pixel(along, at + 1), wide ? thick : white) << "horizontal " << at;
            EXPECT_EQ(img.pixel(at - 2, along), white);
            EXPECT_EQ(img.pixel(at + 2, along), white);
        }
    }
    // Nothing of the grid reaches into the margin.
    EXPECT_EQ(count(img, thin, 1, 1, 43, 503), 0);
    EXPECT_EQ(count(img, thin, 463, 1, 503, 503), 0);
}

TEST_F(Board, HighlightFillsExactlyTheInsetRectangleOfTheSelectedCell) {
    EXPECT_EQ(count(paint(), green, 0, 0, 506, 506), 0) << "no selection, no fill";
    selCol = 2;
    selRow = 0;
    EXPECT_EQ(count(paint(), green, 0, 0, 506, 506), 0) << "a row of 0 is no selection";

    selRow = 2;  // cell 11, the second cell of its cage: no sum there
    const QImage img = paint();
    const int X = 92, Y = 92;
    for (int k = 3; k <= 42; ++k) {
        for (int edge : {3, 4, 42}) {
            EXPECT_EQ(img.pixel(X + k, Y + edge), green) << k << "," << edge;
            if (k != 5 && k != 41) {  // the cage's outline runs across the left edge there
                EXPECT_EQ(img.pixel(X + edge, Y + k), green) << edge << "," << k;
            }
        }
        EXPECT_EQ(img.pixel(X + k, Y + 2), white);
        EXPECT_EQ(img.pixel(X + k, Y + 43), white);
        EXPECT_EQ(img.pixel(X + 43, Y + k), white);
        if (k != 5 && k != 41) {
            EXPECT_EQ(img.pixel(X + 2, Y + k), white);
        }
    }
    EXPECT_EQ(count(img, green, 0, 0, 506, 506), count(img, green, X + 3, Y + 3, X + 43, Y + 43));
}

TEST_F(Board, OutlineStaysOpenWhereTheSumIsWritten) {
    const QImage img = paint();
    // Cage 0 is cells 1 and 2; its outline starts at (65, 51) and ends at (51, 65).
    EXPECT_EQ(count(img, cageInk, 52, 51, 65, 52), 0) << "gap along the top";
    EXPECT_EQ(count(img, cageInk, 51, 52, 52, 65), 0) << "gap down the left";
    EXPECT_EQ(img.pixel(65, 51), cageInk) << "the line starts right after the gap";
    EXPECT_GT(count(img, cageInk, 65, 51, 134, 52), 30) << "dash-dot-dot along the rest of the top";
    EXPECT_LT(count(img, cageInk, 65, 51, 134, 52), 134 - 65) << "the line is broken into dashes";
    EXPECT_GT(count(img, cageInk, 51, 65, 52, 88), 8) << "the left side below the gap";
    EXPECT_GT(count(img, cageInk, 133, 51, 134, 88), 15) << "the right side";
    // The sum of cage 0 sits in the 18-pixel box at the cell's corner.
    EXPECT_GT(count(img, label, 46, 46, 64, 64), 5);
    EXPECT_EQ(count(img, label, 92, 46, 138, 92), 0) << "cell 2 carries no sum";
}

TEST_F(Board, DigitsMarksAndCredit) {
    const int16_t pen = cellAt(5, 5), pencil = cellAt(6, 5), marked = cellAt(5, 6);
    penDigits[pen] = 5;
    pencilDigits[pen] = 3;  // pen wins when both are set
    pencilDigits[pencil] = 3;
    errorMarks[marked] = 1;
    penDigits[marked] = 7;
    const QImage img = paint();
    EXPECT_EQ(pbGrid->fontSize(), 12);

    const int X = 230, Y = 230;
    EXPECT_GT(count(img, penBlue, X + 3, Y + 3, X + 43, Y + 43), 10);
    EXPECT_EQ(count(img, pencilGrey, X + 3, Y + 3, X + 43, Y + 43), 0);
    EXPECT_GT(count(img, pencilGrey, X + 49, Y + 3, X + 89, Y + 43), 10);
    EXPECT_EQ(count(img, penBlue, X + 49, Y + 3, X + 89, Y + 43), 0);
    const QPointF middle(X + 22.5, Y + 22.5);
    const QPointF penCentre = centreOf(img, penBlue, X + 3, Y + 3, X + 43, Y + 43);
    const QPointF pencilCentre = centreOf(img, pencilGrey, X + 49, Y + 3, X + 89, Y + 43) - QPointF(46, 0);
    EXPECT_LE((penCentre - middle).manhattanLength(), 3.0);
    EXPECT_LE((pencilCentre - middle).manhattanLength(), 3.0);

    // The mark: a small red x in the marked cell's top-right corner, and nowhere else.
    EXPECT_GT(count(img, red, X + 32, Y + 46, X + 46, Y + 60), 3);
    EXPECT_EQ(count(img, red, 0, 0, 506, 506), count(img, red, X + 32, Y + 46, X + 46, Y + 60));

    // The credit line in the band below the grid, whole.
    EXPECT_GT(count(img, label, 46, 462, 460, 483), 50);
    EXPECT_EQ(count(img, label, 0, 483, 506, 506), 0);

    EXPECT_EQ(paint(), img) << "an unchanged model paints the same picture";
}

TEST_F(Board, CrossSpansThirtyEightPixelsInsideTheCell) {
    paint();
    drawCross(gridInfo, 3, 3, hpenMistake);
    const QImage img = box->image();
    const int X = 138, Y = 138;
    for (int k = 0; k < 38; ++k) {
        EXPECT_EQ(img.pixel(X + 4 + k, Y + 4 + k), red) << k;
        EXPECT_EQ(img.pixel(X + 42 - k, Y + 4 + k), red) << k;
    }
    EXPECT_NE(img.pixel(X + 42, Y + 42), red) << "LineTo leaves out its end point";
    EXPECT_NE(img.pixel(X + 4, Y + 42), red);
    EXPECT_EQ(count(img, red, 0, 0, 506, 506), 2 * 38 - 1) << "the diagonals share their middle pixel";
}

TEST_F(Board, NoPuzzleShowsOnlyFrameGridAndSelection) {
    clearModel();
    selCol = selRow = 3;
    const QImage img = paint();
    EXPECT_EQ(count(img, cageInk, 0, 0, 506, 506), 0);
    EXPECT_EQ(img.pixel(46, 100), thick);
    EXPECT_EQ(count(img, green, 0, 0, 506, 506), 40 * 40);
}

}  // namespace
