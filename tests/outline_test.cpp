// The cage outline walk.
#include "model/puzzle.h"
#include "render/outline.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using Points = std::vector<std::pair<int, int>>;

// A 9 x 9 puzzle with every cell in cage 1 but the cells given, which form cage 0.
void setCage(const std::vector<int16_t>& cells) {
    gridSize = 9;
    cellCount = 81;
    cageOf.assign(82, 1);
    for (int16_t c : cells)
        cageOf[c] = 0;
}

Points trace(uint8_t cage, int16_t* n = nullptr) {
    OutlinePoints points;
    GridInfo info;
    const int16_t count = traceCageOutline(cage, points, info);
    if (n)
        *n = count;
    Points out;
    for (size_t i = 1; i < points.size(); ++i)
        out.emplace_back(points[i].x, points[i].y);
    return out;
}

TEST(CageOutline, WalksClockwiseFromTheFirstCellsInsetCorner) {
    int16_t n = 0;
    setCage({cellAt(2, 3)});
    EXPECT_EQ(trace(0, &n), (Points{{97, 143}, {133, 143}, {133, 179}, {97, 179}, {97, 143}}));
    EXPECT_EQ(n, 4);

    setCage({1, 2});
    EXPECT_EQ(trace(0, &n),
              (Points{{51, 51}, {87, 51}, {97, 51}, {133, 51}, {133, 87}, {97, 87}, {87, 87}, {51, 87}, {51, 51}}));
    EXPECT_EQ(n, 8);

    setCage({2, 10, 11});
    EXPECT_EQ(trace(0, &n), (Points{{97, 51}, {133, 51}, {133, 87}, {133, 97}, {133, 133}, {97, 133}, {87, 133},
                                    {51, 133}, {51, 97}, {87, 97}, {97, 97}, {97, 87}, {97, 51}}));
    EXPECT_EQ(n, 12);
}

TEST(CageOutline, RingOutlinesOnlyItsOuterBorder) {
    setCage({1, 2, 3, 10, 12, 19, 20, 21});
    cageOf[11] = 2;
    int16_t n = 0;
    const Points ring = trace(0, &n);
    EXPECT_EQ(n, 20);
    EXPECT_EQ(ring.front(), ring.back());
    for (const auto& [x, y] : ring) {
        EXPECT_TRUE(x == 51 || x == 87 || x == 97 || x == 133 || x == 143 || x == 179) << x;
        EXPECT_FALSE(x > 87 && x < 143 && y > 87 && y < 143) << "inner border at " << x << "," << y;
    }
    EXPECT_EQ(trace(2), (Points{{97, 97}, {133, 97}, {133, 133}, {97, 133}, {97, 97}}));
}

TEST(CageOutline, StaysInsideTheGridAndFollowsOnlyJoinedCells) {
    setCage({81});
    EXPECT_EQ(trace(0), (Points{{419, 419}, {455, 419}, {455, 455}, {419, 455}, {419, 419}}));

    // Cells 1 and 3 are not joined side to side: only cell 1 is outlined.
    setCage({1, 3});
    EXPECT_EQ(trace(0), (Points{{51, 51}, {87, 51}, {87, 87}, {51, 87}, {51, 51}}));

    // The whole grid as one cage: the walk goes round the edge only.
    gridSize = 9;
    cellCount = 81;
    cageOf.assign(82, 0);
    int16_t n = 0;
    const Points all = trace(0, &n);
    EXPECT_EQ(n, 4 * 9 + 4 * 8);
    EXPECT_EQ(all.front(), (std::pair{51, 51}));
}

TEST(CageOutline, HelpersAnswerAtTheGridsEdges) {
    setCage({1, 2});
    EXPECT_TRUE(isSameCage(2, 1, 1));
    EXPECT_FALSE(isSameCage(3, 1, 1));
    EXPECT_FALSE(isSameCage(0, 1, 1));
    EXPECT_FALSE(isSameCage(1, 10, 1));
    OutlinePoints points(3);
    points[1] = POINT{5, 6};
    points[2] = POINT{7, 8};
    EXPECT_TRUE(isPointInList(points, 2, POINT{7, 8}));
    EXPECT_FALSE(isPointInList(points, 1, POINT{7, 8}));
    EXPECT_FALSE(isPointInList(points, 0, POINT{5, 6}));
    EXPECT_FALSE(isPointInList(points, 2, POINT{8, 7}));
}

}  // namespace
