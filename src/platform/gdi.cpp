#include "platform/gdi.h"

#include "platform/screen.h"

#include <cstdlib>
#include <deque>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

std::deque<GdiPen> pens;
std::deque<GdiBrush> brushes;

QPainter& painterOf(HDC dc) {
    if (!dc->painter) {
        dc->painter = std::make_unique<QPainter>(dc->image);
        dc->painter->setRenderHint(QPainter::Antialiasing, false);
    }
    return *dc->painter;
}

// One-pixel pens are drawn pixel by pixel, as GDI does: a line runs from its
// start up to, not including, its end point, and a styled pen's pattern of
// dashes and dots runs on from one line of a polyline into the next.
struct PixelPlotter {
    QImage& image;
    uchar* bits;
    qsizetype stride;
    int width, height;
    QRgb colour;
    const std::vector<int>* pattern;  // alternating on and off runs; none for a solid pen
    size_t run = 0;                   // where in the pattern the next pixel falls
    int left = 0;

    PixelPlotter(HDC dc, HPEN pen)
        : image((painterOf(dc), *dc->image)),  // the painter's own image from here on, never shared
          bits(image.bits()), stride(image.bytesPerLine()),
          width(image.width()), height(image.height()), colour(toQColor(pen->color).rgb()) {
        static const std::vector<int> dash{18, 6}, dot{3, 3}, dashDot{9, 6, 3, 6}, dashDotDot{9, 3, 3, 3, 3, 3};
        switch (pen->style) {
        case PS_DASH: pattern = &dash; break;
        case PS_DOT: pattern = &dot; break;
        case PS_DASHDOT: pattern = &dashDot; break;
        case PS_DASHDOTDOT: pattern = &dashDotDot; break;
        default: pattern = nullptr; break;
        }
        if (pattern)
            left = (*pattern)[0];
    }

    void plot(int x, int y) {
        bool on = true;
        if (pattern) {
            on = run % 2 == 0;
            if (--left == 0) {
                run = (run + 1) % pattern->size();
                left = (*pattern)[run];
            }
        }
        if (on && x >= 0 && y >= 0 && x < width && y < height)
            reinterpret_cast<QRgb*>(bits + y * stride)[x] = colour;
    }

    // Bresenham's walk from a to b, b left out.
    void line(POINT a, POINT b) {
        const int dx = std::abs(b.x - a.x), sx = a.x < b.x ? 1 : -1;
        const int dy = -std::abs(b.y - a.y), sy = a.y < b.y ? 1 : -1;
        int err = dx + dy;
        for (int x = a.x, y = a.y; x != b.x || y != b.y;) {
            plot(x, y);
            const int e2 = 2 * err;
            if (e2 >= dy) {
                err += dy;
                x += sx;
            }
            if (e2 <= dx) {
                err += dx;
                y += sy;
            }
        }
    }
};

// A wide pen along a row or a column is a filled band whose round ends
// reach half the width past both end points; a three-pixel pen covers the
// same 3 x 3 square at each end either way.
void wideLine(HDC dc, POINT a, POINT b, HPEN pen) {
    const int w = pen->width, before = w / 2, after = w - 1 - before;
    QPainter& p = painterOf(dc);
    if (a.x == b.x || a.y == b.y) {
        const int left = std::min(a.x, b.x) - before, right = std::max(a.x, b.x) + after;
        const int top = std::min(a.y, b.y) - before, bottom = std::max(a.y, b.y) + after;
        p.fillRect(QRect(QPoint(left, top), QPoint(right, bottom)), toQColor(pen->color));
        return;
    }
    QPen q(toQColor(pen->color), w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(q);
    p.drawLine(QPoint(a.x, a.y), QPoint(b.x, b.y));
}

// Text as the board writes it, unsmoothed: each string is laid out once per
// font size, and the pixels it sets are kept and stamped in the colour asked for.
struct TextStamp {
    QSize size;
    std::vector<QPoint> pixels;
};

const TextStamp& stampOf(const char* chars, int32_t length, const QFont& font) {
    static std::unordered_map<std::string, TextStamp> stamps;
    const std::string key = std::string(chars, size_t(length)) + '\0' + font.key().toStdString();
    if (auto found = stamps.find(key); found != stamps.end())
        return found->second;
    if (stamps.size() > 4096)
        stamps.clear();

    const QString text = QString::fromLatin1(chars, length);
    const QFontMetrics metrics(font);
    TextStamp stamp;
    stamp.size = QSize(metrics.horizontalAdvance(text), metrics.height());
    QImage mask(stamp.size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    mask.fill(Qt::white);
    {
        QPainter p(&mask);
        p.setFont(font);
        p.setPen(Qt::black);
        p.drawText(0, metrics.ascent(), text);
    }
    for (int y = 0; y < mask.height(); ++y)
        for (int x = 0; x < mask.width(); ++x)
            if (qGray(mask.pixel(x, y)) < 128)
                stamp.pixels.emplace_back(x, y);
    return stamps.emplace(key, std::move(stamp)).first->second;
}

}  // namespace

QColor toQColor(COLORREF color) {
    return QColor(int(color & 0xff), int(color >> 8 & 0xff), int(color >> 16 & 0xff));
}

HPEN CreatePen(int32_t style, int32_t width, COLORREF color) {
    pens.push_back(GdiPen{style, width < 1 ? 1 : width, color});
    return &pens.back();
}

HBRUSH CreateBrushIndirect(const LOGBRUSH& brush) {
    brushes.push_back(GdiBrush{brush.lbColor});
    return &brushes.back();
}

HPEN SelectObject(HDC dc, HPEN pen) {
    HPEN previous = dc->pen;
    dc->pen = pen;
    return previous;
}

HBRUSH SelectObject(HDC dc, HBRUSH brush) {
    HBRUSH previous = dc->brush;
    dc->brush = brush;
    return previous;
}

int FillRect(HDC dc, const RECT& r, HBRUSH brush) {
    if (!brush || r.right <= r.left || r.bottom <= r.top)
        return 0;
    painterOf(dc).fillRect(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top),
                           toQColor(brush->color));
    return 1;
}

// Outlines left..right-1 x top..bottom-1 with the selected pen. No brush is
// selected into the board's device context, so the interior keeps what it had.
bool Rectangle(HDC dc, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    if (!dc->pen)
        return false;
    if (right < left)
        std::swap(left, right);
    if (bottom < top)
        std::swap(top, bottom);
    const POINT corners[] = {{left, top}, {right - 1, top}, {right - 1, bottom - 1}, {left, bottom - 1}, {left, top}};
    if (dc->pen->width > 1) {
        for (int i = 0; i < 4; ++i)
            wideLine(dc, corners[i], corners[i + 1], dc->pen);
        return true;
    }
    PixelPlotter plotter(dc, dc->pen);
    for (int i = 0; i < 4; ++i)
        plotter.line(corners[i], corners[i + 1]);
    return true;
}

bool MoveToEx(HDC dc, int32_t x, int32_t y, POINT* previous) {
    if (previous)
        *previous = dc->current;
    dc->current = POINT{x, y};
    return true;
}

bool LineTo(HDC dc, int32_t x, int32_t y) {
    const POINT from = dc->current;
    const POINT to{x, y};
    dc->current = to;
    if (!dc->pen)
        return false;
    if (dc->pen->width > 1)
        wideLine(dc, from, to, dc->pen);
    else
        PixelPlotter(dc, dc->pen).line(from, to);
    return true;
}

// One stroke through all the points; like LineTo, the very last point is left out.
bool Polyline(HDC dc, const POINT* points, int32_t count) {
    if (!dc->pen || count < 2)
        return false;
    if (dc->pen->width > 1) {
        for (int32_t i = 1; i < count; ++i)
            wideLine(dc, points[i - 1], points[i], dc->pen);
        return true;
    }
    PixelPlotter plotter(dc, dc->pen);
    for (int32_t i = 1; i < count; ++i)
        plotter.line(points[i - 1], points[i]);
    return true;
}

int GetClipBox(HDC dc, RECT* rect) {
    *rect = RECT{0, 0, dc->image->width(), dc->image->height()};
    return 1;
}

COLORREF SetTextColor(HDC dc, COLORREF color) {
    COLORREF previous = dc->textColor;
    dc->textColor = color;
    return previous;
}

// Writes one line of text centred in the rectangle, clipped to it. A
// rectangle whose bottom lies above its top has no room to clip to: the text
// is then centred on the middle of its edges and drawn whole.
int DrawTextA(HDC dc, const char* text, int32_t length, RECT* rect, uint32_t format) {
    if (!text || !rect || length <= 0)
        return 0;
    const TextStamp& stamp = stampOf(text, length, dc->font);
    const bool upsideDown = rect->right < rect->left || rect->bottom < rect->top;
    const QRect box =
        QRect(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top).normalized();
    const int x = (format & DT_CENTER) ? box.left() + (box.width() - stamp.size.width()) / 2 : box.left();
    const int y = (format & DT_VCENTER) ? box.top() + (box.height() - stamp.size.height()) / 2 : box.top();
    const QRect visible = (format & DT_NOCLIP) || upsideDown ? dc->image->rect() : box & dc->image->rect();

    painterOf(dc);  // the image is the painter's own from here on, never shared
    uchar* bits = dc->image->bits();
    const qsizetype stride = dc->image->bytesPerLine();
    const QRgb colour = toQColor(dc->textColor).rgb();
    for (const QPoint& pixel : stamp.pixels) {
        const QPoint at = pixel + QPoint(x, y);
        if (visible.contains(at))
            reinterpret_cast<QRgb*>(bits + at.y() * stride)[at.x()] = colour;
    }
    return stamp.size.height();
}

void setFontSize(HDC dc, int points) {
    dc->font.setPixelSize(pointsToPixels(points));
}

void endPainting(HDC dc) {
    dc->painter.reset();
}
