#include "platform/picturebox.h"

#include "platform/keys.h"

#include <QKeyEvent>
#include <algorithm>
#include <QMouseEvent>
#include <QPainter>

namespace {

int16_t buttonCode(Qt::MouseButtons buttons) {
    int16_t code = 0;
    if (buttons & Qt::LeftButton)
        code |= 1;
    if (buttons & Qt::RightButton)
        code |= 2;
    if (buttons & Qt::MiddleButton)
        code |= 4;
    return code;
}

}  // namespace

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    dc_.font.setStyleStrategy(QFont::NoAntialias);
    dc_.image = &image_;
    setSize(QSize(0, 0));
}

void PictureBox::setFontSize(int points) {
    fontPoints_ = points;
    ::setFontSize(&dc_, points);
}

void PictureBox::Refresh() { repaint(); }

// Setting a new description tells assistive technology by itself.
void PictureBox::setDescription(const QString& text) {
    if (text != accessibleDescription())
        setAccessibleDescription(text);
    emit described();
}

void PictureBox::clickAt(QPointF at) {
    setFocus(Qt::MouseFocusReason);
    emit mouseDown(1, 0, float(at.x()), float(at.y()));
}

// The image holds a device pixel for each of the screen's: at its scale, it
// is shown pixel for pixel.
void PictureBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(QPoint(0, 0), image_);
}

// On a screen of another scale the image is made anew at that scale, blank,
// for the owner to draw again.
bool PictureBox::event(QEvent* event) {
    if (event->type() == QEvent::ScreenChangeInternal && devicePixelRatioF() != image_.devicePixelRatio()) {
        setSize(size());
        emit rescaled();
    }
    return QWidget::event(event);
}

void PictureBox::setHeight(int pixels) { setSize(QSize(width(), pixels)); }
void PictureBox::setWidth(int pixels) { setSize(QSize(std::max(pixels, leastWidth_), height())); }

// The picture is cleared to the new size: whoever resizes the box draws it again.
void PictureBox::setSize(QSize size) {
    const qreal ratio = devicePixelRatioF();
    image_ = QImage(size * ratio, QImage::Format_RGB32);
    image_.setDevicePixelRatio(ratio);
    image_.fill(palette().color(QPalette::Base));
    setFixedSize(size);
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    emit mouseDown(buttonCode(event->button()), shiftState(event->modifiers()), float(event->position().x()),
                   float(event->position().y()));
}

void PictureBox::mouseMoveEvent(QMouseEvent* event) {
    emit mouseMove(buttonCode(event->buttons()), shiftState(event->modifiers()), float(event->position().x()),
                   float(event->position().y()));
}

void PictureBox::keyPressEvent(QKeyEvent* event) {
    emit keyDown(virtualKeyCode(event->key(), event->modifiers()), shiftState(event->modifiers()));
}

// Tab reaches the box like any other key instead of moving the focus.
bool PictureBox::focusNextPrevChild(bool) { return false; }
