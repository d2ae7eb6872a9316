// The platform stand-ins: GDI's pixel rules, and the number rules.
#include "platform/gdi.h"
#include "platform/vb.h"

#include <gtest/gtest.h>

namespace {

const QRgb white = qRgb(255, 255, 255);
const QRgb ink = qRgb(10, 20, 30);

struct Canvas {
    QImage image{40, 40, QImage::Format_RGB32};
    DeviceContext dc;
    Canvas() {
        image.fill(white);
        dc.image = &image;
    }
    QRgb at(int x, int y) {
        endPainting(&dc);
        return image.pixel(x, y);
    }
    int inked() {
        endPainting(&dc);
        int n = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x)
                n += image.pixel(x, y) != white;
        return n;
    }
};

TEST(Gdi, LinesLeaveOutTheirEndPointAndWidePensCentreOnTheLine) {
    Canvas c;
    SelectObject(&c.dc, CreatePen(PS_SOLID, 1, RGB(10, 20, 30)));
    POINT previous;
    MoveToEx(&c.dc, 5, 5, nullptr);
    MoveToEx(&c.dc, 2, 3, &previous);
    EXPECT_EQ(previous.x, 5);
    LineTo(&c.dc, 12, 3);
    EXPECT_EQ(c.at(2, 3), ink);
    EXPECT_EQ(c.at(11, 3), ink);
    EXPECT_EQ(c.at(12, 3), white);
    EXPECT_EQ(c.inked(), 10);
    LineTo(&c.dc, 12, 10);  // from where the last line ended
    EXPECT_EQ(c.at(12, 3), ink);
    EXPECT_EQ(c.at(12, 10), white);
    EXPECT_EQ(c.inked(), 17);

    Canvas wide;
    SelectObject(&wide.dc, CreatePen(PS_SOLID, 3, RGB(10, 20, 30)));
    MoveToEx(&wide.dc, 20, 5, nullptr);
    LineTo(&wide.dc, 20, 30);
    for (int x : {19, 20, 21})
        EXPECT_EQ(wide.at(x, 15), ink);
    EXPECT_EQ(wide.at(18, 15), white);
    EXPECT_EQ(wide.at(22, 15), white);
}

TEST(Gdi, RectanglesAndFillsStopBeforeTheirRightAndBottomEdges) {
    Canvas c;
    FillRect(&c.dc, RECT{2, 3, 6, 8}, CreateBrushIndirect(LOGBRUSH{BS_SOLID, RGB(10, 20, 30), 0}));
    EXPECT_EQ(c.inked(), 4 * 5);
    EXPECT_EQ(c.at(5, 7), ink);
    EXPECT_EQ(c.at(6, 7), white);

    Canvas r;
    SelectObject(&r.dc, CreatePen(PS_SOLID, 1, RGB(10, 20, 30)));
    Rectangle(&r.dc, 10, 10, 20, 15);
    EXPECT_EQ(r.at(10, 10), ink);
    EXPECT_EQ(r.at(19, 14), ink);
    EXPECT_EQ(r.at(20, 14), white);
    EXPECT_EQ(r.at(15, 12), white) << "the interior is left as it was";
    EXPECT_EQ(r.inked(), 2 * 10 + 2 * 3);
}

TEST(Gdi, PolylineRunsThroughEveryPointButTheLast) {
    Canvas c;
    SelectObject(&c.dc, CreatePen(PS_SOLID, 1, RGB(10, 20, 30)));
    const POINT square[] = {{5, 5}, {15, 5}, {15, 15}, {5, 15}, {5, 8}};
    Polyline(&c.dc, square, 5);
    EXPECT_EQ(c.at(15, 5), ink);
    EXPECT_EQ(c.at(5, 9), ink);
    EXPECT_EQ(c.at(5, 8), white);
    EXPECT_EQ(c.inked(), 11 + 10 + 10 + 6);  // each corner once
}

TEST(Gdi, TextIsCentredAndAnUpsideDownBoxStillShowsIt) {
    Canvas c;
    c.dc.font.setStyleStrategy(QFont::NoAntialias);
    setFontSize(&c.dc, 12);
    SetTextColor(&c.dc, RGB(10, 20, 30));
    RECT box{0, 30, 40, 10};
    DrawTextA(&c.dc, "8", 1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    int top = 40, bottom = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            if (c.at(x, y) == ink)
                top = std::min(top, y), bottom = std::max(bottom, y);
    EXPECT_GT(c.inked(), 10);
    EXPECT_NEAR((top + bottom) / 2.0, 20.0, 2.0);

    Canvas clipped;
    setFontSize(&clipped.dc, 12);
    RECT tiny{0, 0, 40, 3};
    DrawTextA(&clipped.dc, "8", 1, &tiny, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    for (int x = 0; x < 40; ++x)
        EXPECT_EQ(clipped.at(x, 5), white) << "text is clipped to its box";
}

TEST(Numbers, RoundHalfEvenAndValReading) {
    EXPECT_EQ(roundHalfEven(0.5), 0);
    EXPECT_EQ(roundHalfEven(1.5), 2);
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(4.6), 5);
    EXPECT_EQ(roundHalfEven(13.8), 14);
    EXPECT_EQ(roundHalfEven(-2.5), -2);

    EXPECT_EQ(Val("3"), 3);
    EXPECT_EQ(Val("  12  "), 12);
    EXPECT_EQ(Val("2.5"), 2.5);
    EXPECT_EQ(Val(".5"), 0.5);
    EXPECT_EQ(Val("-7x"), -7);
    EXPECT_EQ(Val("+4"), 4);
    EXPECT_EQ(Val("1e2"), 100);
    EXPECT_EQ(Val("1e"), 1);
    EXPECT_EQ(Val("12abc"), 12);
    EXPECT_EQ(Val("abc"), 0);
    EXPECT_EQ(Val(""), 0);
    EXPECT_EQ(Val("."), 0);
    EXPECT_EQ(Val("-"), 0);
    EXPECT_EQ(Val("1e999"), 0) << "too large to read stays harmless";
}

}  // namespace
