#include "platform/gdi.h"

#include "platform/screen.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <deque>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

std::deque<GdiPen> pens;
std::deque<GdiBrush> brushes;

// Logical pixels onto the image's device pixels. A coordinate is scaled and
// rounded; a width becomes a whole number of device pixels, at least one, so
// that every line of one pen is as wide as every other.
struct Scale {
    double ratio;
    explicit Scale(HDC dc) : ratio(dc->image->devicePixelRatio()) {}
    int at(int32_t logical) const { return int(std::floor(logical * ratio + 0.5)); }
    int width(int32_t logical) const { return std::max(1, at(logical)); }
    QRect box(int32_t left, int32_t top, int32_t right, int32_t bottom) const {
        return QRect(at(left), at(top), at(right) - at(left), at(bottom) - at(top));
    }
};

// A rectangle of pixels, right and bottom edges left out, tested inline:
// a full repaint asks it hundreds of thousands of times.
struct Area {
    int left, top, right, bottom;
    explicit Area(const QRect& r) : left(r.left()), top(r.top()), right(r.right() + 1), bottom(r.bottom() + 1) {}
    bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

// The image's pixels, written directly; whatever falls outside is dropped.
struct Pixels {
    uchar* bits;
    qsizetype stride;
    QRect bounds;
    Area area;
    explicit Pixels(QImage& image)
        : bits(image.bits()), stride(image.bytesPerLine()), bounds(image.rect()), area(bounds) {}

    QRgb& at(int x, int y) { return reinterpret_cast<QRgb*>(bits + y * stride)[x]; }
    void set(int x, int y, QRgb colour) {
        if (area.contains(x, y))
            at(x, y) = colour;
    }
    void fill(const QRect& area, QRgb colour) {
        const QRect r = area & bounds;
        for (int y = r.top(); y <= r.bottom(); ++y)
            std::fill(&at(r.left(), y), &at(r.left(), y) + r.width(), colour);
    }
    // The colour laid over what is there, coverage from 0 (none) to 255 (all):
    // red and blue mixed side by side in one word, green in another.
    void blend(int x, int y, QRgb colour, uint coverage) {
        if (coverage == 255)
            return set(x, y, colour);
        if (!area.contains(x, y))
            return;
        const QRgb under = at(x, y);
        auto mix = [&](uint mask) {
            const uint sum = (under & mask) * (255 - coverage) + (colour & mask) * coverage;
            return (sum + (sum >> 8 & mask) + (mask & 0x800080)) >> 8 & mask;
        };
        at(x, y) = 0xff000000 | mix(0xff00ff) | mix(0x00ff00);
    }
};

// One stroke of a pen along one or more lines, as GDI draws them: each line
// runs from its start up to, not including, its end point; at every step a
// cross-section as wide as the pen is set, and where the stroke turns, a
// square as wide as the pen, so that a pen wider than a device pixel leaves
// no notch in the corner. A styled pen's dashes and dots run on from one line
// of a polyline into the next; each is as long as the pen is wide times its
// count, and its ends fall on the device pixels nearest where they belong.
struct Stroke {
    Pixels pixels;
    Scale scale;
    QRgb colour;
    int width;
    std::vector<int> pattern;  // alternating on and off runs in device pixels; none for a solid pen
    size_t run = 0;            // where in the pattern the next step falls
    int left = 0;
    bool turning = false;  // the next line starts where the stroke turns

    Stroke(HDC dc, HPEN pen)
        : pixels(*dc->image), scale(dc), colour(toQColor(pen->color).rgb()), width(scale.width(pen->width)) {
        if (pen->style != PS_DASHDOTDOT)
            return;
        int32_t end = 0;
        for (const int32_t count : {9, 3, 3, 3, 3, 3}) {
            pattern.push_back(scale.at(end + count * pen->width) - scale.at(end));
            end += count * pen->width;
        }
        left = pattern[0];
    }

    bool nextIsOn() {
        if (pattern.empty())
            return true;
        const bool on = run % 2 == 0;
        if (--left == 0) {
            run = (run + 1) % pattern.size();
            left = pattern[run];
        }
        return on;
    }

    void corner(int x, int y) { pixels.fill(QRect(x, y, width, width), colour); }

    // Bresenham's walk from a to b in device pixels, b left out. A solid
    // line along a row or a column is one band.
    void line(POINT from, POINT to) {
        const QPoint a(scale.at(from.x), scale.at(from.y)), b(scale.at(to.x), scale.at(to.y));
        const int dx = std::abs(b.x() - a.x()), sx = a.x() < b.x() ? 1 : -1;
        const int dy = -std::abs(b.y() - a.y()), sy = a.y() < b.y() ? 1 : -1;
        const bool alongX = dx >= -dy;
        if (pattern.empty() && (dx == 0 || dy == 0) && a != b) {
            const QPoint last = b - QPoint(sx * (dx != 0), sy * (dy != 0));
            const QPoint first(std::min(a.x(), last.x()), std::min(a.y(), last.y()));
            const QPoint end(std::max(a.x(), last.x()) + (alongX ? 0 : width - 1),
                             std::max(a.y(), last.y()) + (alongX ? width - 1 : 0));
            pixels.fill(QRect(first, end), colour);
            if (turning)
                corner(a.x(), a.y());
            return;
        }
        int err = dx + dy;
        for (int x = a.x(), y = a.y(); x != b.x() || y != b.y();) {
            if (nextIsOn()) {
                if (turning && x == a.x() && y == a.y())
                    corner(x, y);
                else
                    for (int k = 0; k < width; ++k)
                        pixels.set(alongX ? x : x + k, alongX ? y + k : y, colour);
            }
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

// A wide pen along a row or a column is a band whose ends reach half the
// pen's width past both end points; a three-pixel pen covers the same 3 x 3
// square at each end whichever way it runs. Across the line the band is as
// wide as the pen, rounded down to whole device pixels, so that it reaches no
// further into a cell than at one device pixel to a pixel; along it, its ends
// are scaled like any coordinate.
void wideLine(HDC dc, POINT a, POINT b, HPEN pen) {
    if (a.x != b.x && a.y != b.y) {
        Stroke(dc, pen).line(a, b);
        return;
    }
    const Scale scale(dc);
    const int32_t before = pen->width / 2, after = pen->width - 1 - before;
    auto span = [&](int32_t p, int32_t q) {
        const int start = scale.at(std::min(p, q) - before);
        const int across = std::max(1, int(pen->width * scale.ratio));
        return std::make_pair(start, p == q ? start + across : scale.at(std::max(p, q) + after + 1));
    };
    const auto [left, right] = span(a.x, b.x);
    const auto [top, bottom] = span(a.y, b.y);
    Pixels(*dc->image).fill(QRect(left, top, right - left, bottom - top), toQColor(pen->color).rgb());
}

// Text as the board writes it: each string is laid out once per font, and
// how much of each pixel it covers is kept and stamped in the colour asked
// for. One logical pixel to a device pixel, the text is unsmoothed; with more,
// it is smoothed at the device's resolution.
struct TextStamp {
    QSize size;
    std::vector<std::pair<QPoint, uint>> coverage;
    int inkLeft = 0, inkRight = 0;  // the columns that hold ink, right one left out
};

const TextStamp& stampOf(const char* chars, int32_t length, const QFont& font) {
    static std::unordered_map<std::string, TextStamp> stamps;
    const std::string key = std::string(chars, size_t(length)) + '\0' + std::to_string(font.pixelSize()) +
                            char('0' + int(font.styleStrategy() == QFont::NoAntialias)) + font.family().toStdString();
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
    const bool smooth = font.styleStrategy() != QFont::NoAntialias;
    for (int y = 0; y < mask.height(); ++y)
        for (int x = 0; x < mask.width(); ++x) {
            const uint ink = uint(255 - qGray(mask.pixel(x, y)));
            if (smooth ? ink > 0 : ink > 127)
                stamp.coverage.emplace_back(QPoint(x, y), smooth ? ink : 255u);
        }
    stamp.inkLeft = stamp.size.width();
    for (const auto& [at, coverage] : stamp.coverage)
        stamp.inkLeft = std::min(stamp.inkLeft, at.x()), stamp.inkRight = std::max(stamp.inkRight, at.x() + 1);
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

int FillRect(HDC dc, const RECT& r, HBRUSH brush) {
    if (!brush || r.right <= r.left || r.bottom <= r.top)
        return 0;
    Pixels(*dc->image).fill(Scale(dc).box(r.left, r.top, r.right, r.bottom), toQColor(brush->color).rgb());
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
    return Polyline(dc, corners, 5);
}

bool MoveToEx(HDC dc, int32_t x, int32_t y, POINT* previous) {
    if (previous)
        *previous = dc->current;
    dc->current = POINT{x, y};
    return true;
}

bool LineTo(HDC dc, int32_t x, int32_t y) {
    const POINT from = dc->current;
    dc->current = POINT{x, y};
    const POINT line[] = {from, dc->current};
    return Polyline(dc, line, 2);
}

// One stroke through all the points; like LineTo, the very last point is left out.
bool Polyline(HDC dc, const POINT* points, int32_t count) {
    if (!dc->pen || count < 2)
        return false;
    Stroke stroke(dc, dc->pen);
    const auto heading = [&](int32_t i) {
        return QPoint((points[i].x > points[i - 1].x) - (points[i].x < points[i - 1].x),
                      (points[i].y > points[i - 1].y) - (points[i].y < points[i - 1].y));
    };
    for (int32_t i = 1; i < count; ++i) {
        stroke.turning = i > 1 && heading(i) != heading(i - 1);
        if (dc->pen->width > 1)
            wideLine(dc, points[i - 1], points[i], dc->pen);
        else
            stroke.line(points[i - 1], points[i]);
    }
    return true;
}

COLORREF SetTextColor(HDC dc, COLORREF color) {
    COLORREF previous = dc->textColor;
    dc->textColor = color;
    return previous;
}

int GetClipBox(HDC dc, RECT* rect) {
    const QSizeF logical = dc->image->deviceIndependentSize();
    *rect = RECT{0, 0, int32_t(std::lround(logical.width())), int32_t(std::lround(logical.height()))};
    return 1;
}

// Writes one line of text centred in the rectangle, clipped to it. A
// rectangle whose bottom lies above its top has no room to clip to: the text
// is then centred on the middle of its edges and drawn whole.
int DrawTextA(HDC dc, const char* text, int32_t length, RECT* rect, uint32_t format) {
    if (!text || !rect || length <= 0)
        return 0;
    const Scale scale(dc);
    QFont font = dc->font;
    if (scale.ratio != 1) {
        font.setPixelSize(int(dc->font.pixelSize() * scale.ratio));
        font.setStyleStrategy(QFont::PreferAntialias);
    }
    const TextStamp& stamp = stampOf(text, length, font);
    const bool upsideDown = rect->right < rect->left || rect->bottom < rect->top;
    const QRect box = scale.box(rect->left, rect->top, rect->right, rect->bottom).normalized();
    // Unsmoothed text is centred by its advance, as GDI does; smoothed text, by its ink.
    const int x = !(format & DT_CENTER) ? box.left()
                  : scale.ratio == 1    ? box.left() + (box.width() - stamp.size.width()) / 2
                                        : box.left() + (box.width() - (stamp.inkRight - stamp.inkLeft) + 1) / 2 - stamp.inkLeft;
    const int y = (format & DT_VCENTER) ? box.top() + (box.height() - stamp.size.height()) / 2 : box.top();
    Pixels pixels(*dc->image);
    const Area visible(upsideDown ? pixels.bounds : box & pixels.bounds);
    const QRgb colour = toQColor(dc->textColor).rgb();
    for (const auto& [at, coverage] : stamp.coverage)
        if (visible.contains(at.x() + x, at.y() + y))
            pixels.blend(at.x() + x, at.y() + y, colour, coverage);
    return int(std::lround(stamp.size.height() / scale.ratio));
}

void setFontSize(HDC dc, int points) {
    dc->font.setPixelSize(pointsToPixels(points));
}
