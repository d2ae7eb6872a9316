#include "app/icons.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QtMath>

namespace {

const QColor blue(30, 80, 200);
const QColor wood(235, 180, 60);
const QColor lead(60, 60, 60);

// A 32 x 32 picture with as many device pixels as the sharpest screen shows:
// drawn in its 32 x 32 logical pixels, it is as crisp there as the text beside it.
QPixmap blank(const QColor& background = Qt::transparent) {
    const qreal ratio = qApp->devicePixelRatio();
    QPixmap pixmap(QSize(32, 32) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(background);
    return pixmap;
}

void triangle(QPainter& p, bool pointingLeft) {
    const QPolygonF shape = pointingLeft ? QPolygonF({{24, 5}, {24, 27}, {6, 16}}) : QPolygonF({{8, 5}, {8, 27}, {26, 16}});
    p.setPen(QPen(blue.darker(140), 1.5));
    p.setBrush(blue);
    p.drawPolygon(shape);
}

void uTurn(QPainter& p) {
    QPainterPath path;
    path.moveTo(24, 26);
    path.lineTo(24, 14);
    path.arcTo(QRectF(8, 6, 16, 16), 0, 180);
    path.lineTo(8, 20);
    p.setPen(QPen(blue, 4, Qt::SolidLine, Qt::FlatCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    p.setPen(Qt::NoPen);
    p.setBrush(blue);
    p.drawPolygon(QPolygonF({{2, 18}, {14, 18}, {8, 27}}));
}

// A writing tool lying along the x axis with its tip at the origin, pointing
// left; the caller turns and places it.
void tool(QPainter& p, qreal length, qreal width, bool pen) {
    const qreal h = width / 2;
    const qreal cone = width * 1.4;
    p.setPen(QPen(lead, 1));
    p.setBrush(pen ? QColor(40, 40, 140) : wood);
    p.drawRect(QRectF(cone, -h, length - cone, width));
    p.setBrush(pen ? QColor(190, 190, 200) : QColor(245, 215, 170));
    p.drawPolygon(QPolygonF({{0, 0}, {cone, -h}, {cone, h}}));
    p.setBrush(pen ? QColor(20, 20, 60) : lead);
    p.drawPolygon(QPolygonF({{0, 0}, {cone * 0.4, -h * 0.4}, {cone * 0.4, h * 0.4}}));
    if (!pen) {
        p.setBrush(QColor(230, 120, 140));
        p.drawRect(QRectF(length - width * 0.9, -h, width * 0.9, width));
    }
}

// tip: where the tool's tip lies; angle: the direction from the tip to the tool's end.
QPixmap toolImage(QPointF tip, qreal angle, qreal length, qreal width, bool pen) {
    QPixmap pixmap = blank();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(tip);
    p.rotate(angle);
    tool(p, length, width, pen);
    return pixmap;
}

void checkMark(QPainter& p) {
    p.setPen(QPen(QColor(20, 160, 40), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({{5, 17}, {13, 25}, {27, 7}}));
}

}  // namespace

QPixmap tbImgPicture(int index) {
    switch (index) {
    case 5: return toolImage({3, 3}, 45, 37, 8, false);     // pencil, tip at the upper left
    case 6: return toolImage({3, 29}, -45, 37, 8, true);    // pen, tip at the lower left
    case 13: return toolImage({16, 16}, 45, 20, 5, false);  // small pencil, tip at the centre
    case 14: return toolImage({16, 16}, -45, 20, 5, true);  // small pen, tip at the centre
    default: break;
    }
    QPixmap pixmap = blank();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (index) {
    case 1: triangle(p, true); break;
    case 2: triangle(p, false); break;
    case 3: uTurn(p); break;
    case 7: checkMark(p); break;
    default: break;
    }
    return pixmap;
}

// A corner of a board: grid, a dashed cage and its sum, a blue digit. The
// frame is drawn over the grid's lines, so that they end inside it at any scale.
QPixmap programIcon() {
    QPixmap pixmap = blank(Qt::white);
    QPainter p(&pixmap);
    p.setPen(QPen(QColor(25, 25, 25), 1));
    for (int at : {11, 21}) {
        p.drawLine(at, 1, at, 31);
        p.drawLine(1, at, 31, at);
    }
    p.setPen(QPen(QColor(20, 0, 0), 2));
    p.drawRect(QRect(1, 1, 30, 30));
    p.setPen(QPen(Qt::black, 1, Qt::DotLine));
    p.drawRect(QRect(3, 3, 16, 6));
    p.setPen(QColor(20, 20, 240));
    QFont font;
    font.setPixelSize(10);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRect(21, 21, 10, 10), Qt::AlignCenter, "7");
    return pixmap;
}
