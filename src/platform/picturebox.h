// A picture box: a widget that shows a persistent image. Painting goes into
// the image through its device context and appears on the screen only when
// Refresh is called; mouse and key input on the box is passed on as events.
#pragma once

#include "platform/gdi.h"

#include <QImage>
#include <QWidget>
#include <cstdint>

class PictureBox : public QWidget {
    Q_OBJECT

public:
    explicit PictureBox(QWidget* parent = nullptr);

    HDC hDC() { return &dc_; }
    // Height and Width: the image takes the new size at once, keeping what
    // was drawn and blank in the window colour where it grows.
    void setHeight(int pixels);
    void setWidth(int pixels);
    // The box is never narrower than this, whatever width it is given:
    // room for a toolbar that lies across its top.
    void setLeastWidth(int pixels) { leastWidth_ = pixels; }
    void setFontSize(int points);  // Font.Size
    int fontSize() const { return fontPoints_; }

    // Shows the image as it is now, at once.
    void Refresh();
    // What assistive technology reads of the picture; then described().
    void setDescription(const QString& text);
    // A left click at a point of the box, as the mouse gives it: the keyboard
    // focus, then the press.
    void clickAt(QPointF at);
    // The image as drawn so far, at the screen's device pixel ratio.
    const QImage& image() const { return image_; }

signals:
    // Button: 1 left, 2 right, 4 middle; Shift: 1 Shift, 2 Ctrl, 4 Alt.
    void mouseDown(int16_t button, int16_t shift, float x, float y);
    void mouseMove(int16_t button, int16_t shift, float x, float y);
    void keyDown(int16_t keyCode, int16_t shift);
    // The image was made anew for a screen of another scale, blank.
    void rescaled();
    // The picture was described anew, changed or not: the moment to tell
    // assistive technology what else changed with it.
    void described();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void setSize(QSize size);

    QImage image_;
    DeviceContext dc_;
    int fontPoints_{};  // none until the owner sets one
    int leastWidth_ = 0;
};
