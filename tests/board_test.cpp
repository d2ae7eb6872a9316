// The painted board, compared whole with its reference pictures; the grid
// lines at any scale; the outline walk point by point.
#include "model/puzzle.h"
#include "platform/picturebox.h"
#include "render/grid.h"
#include "render/outline.h"
#include "render/resources.h"
#include "support/golden.h"
#include "support/model_snapshot.h"
#include "support/test_book.h"
#include <gtest/gtest.h>
#include <fstream>
#include <sstream>

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

// A picture is kept for each scale the suite runs at: name@1.5x at 1.5.
TEST_F(Board, EveryBoardMatchesItsReferencePicture) {
    const qreal ratio = box->devicePixelRatioF();
    const std::string scale = ratio == 1 ? "" : "@" + QString::number(ratio).toStdString() + "x";
    const std::vector<BoardScenario> boards = boardScenarios();
    ASSERT_GE(boards.size(), 9u);
    for (const BoardScenario& board : boards) {
        loadScenario(board, dir);
        const QImage picture = paint();
        EXPECT_EQ(picture.size(), (QSizeF(box->size()) * ratio).toSize());
        EXPECT_EQ(goldenMismatch(picture, board.name + scale), "");
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

    // The frame has no notch where its lines turn: the bands along its four sides are thin all through.
    const auto device = [&](double logical) { return int(std::floor(logical * ratio + 0.5)); };
    const int end = std::min(picture.height(), device(504) + 2 * device(1));
    int notches = 0;
    for (int y = 0; y < end; ++y)
        for (int x = 0; x < end; ++x)
            notches += std::min(x, y) < device(1) || std::max(x, y) >= device(504) ? picture.pixel(x, y) != thin : 0;
    EXPECT_EQ(notches, 0) << "ratio " << ratio;
}

// Every cage sum stands a device pixel clear of every line (found on the board painted without sums); but
// at one device pixel to a pixel the board is drawn as it always was, where sums of forty-odd touch their line.
TEST_F(Board, SumsStandClearOfTheLines) {
    for (const std::string name : {"dominoes", "shapes", "side15"}) {
        if (name == "side15" && box->devicePixelRatioF() == 1)
            continue;
        loadScenario(boardScenario(name), dir);
        const QImage withSums = paint();
        std::fill(cageSumAt.begin(), cageSumAt.end(), 0);
        const QImage lines = paint();
        int touching = 0;
        for (int y = 1; y + 1 < lines.height(); ++y)
            for (int x = 1; x + 1 < lines.width(); ++x)
                for (int near = 0; near < 9 && withSums.pixel(x, y) != lines.pixel(x, y); ++near)
                    touching += QList<QRgb>{qRgb(25, 25, 25), qRgb(20, 0, 0), qRgb(0, 0, 0)}.contains(lines.pixel(x + near % 3 - 1, y + near / 3 - 1));
        EXPECT_EQ(touching, 0) << name << " at ratio " << lines.devicePixelRatio();
    }
}

TEST_F(Board, OutlinesWalkClockwiseFromTheFirstCellsInsetCorner) {
    std::ifstream table(SUMGRID_GOLDEN_DIR "/outlines.txt");
    int cases = 0;
    for (std::string line; std::getline(table, line);) {
        if (line[0] == '#')
            continue;
        ++cases;
        std::istringstream cells(line.substr(line.find('|') + 1, line.rfind('|') - line.find('|') - 1));
        cellCount = 81;
        cageOf.assign(82, 1);
        for (int c; cells >> c;)
            cageOf[size_t(c)] = 0;
        OutlinePoints points;
        const int16_t n = traceCageOutline(0, points, GridInfo{nullptr, 46});
        std::string walked;
        for (size_t i = 1; i < points.size(); ++i)
            walked += " " + std::to_string(points[i].x) + "," + std::to_string(points[i].y);
        EXPECT_EQ(walked, line.substr(line.rfind('|') + 1)) << line.substr(0, line.find('|'));
        EXPECT_EQ(size_t(n), points.size() - 2);
    }
    EXPECT_EQ(cases, 6);
    cageOf.assign(82, 0);  // the whole grid: round the edge only
    OutlinePoints all;
    EXPECT_EQ(traceCageOutline(0, all, gridInfo), 4 * 9 + 4 * 8);
}

}  // namespace
