// A toolbar of buttons told apart by their 1-based index: plain buttons,
// buttons of one group of which at most one is pressed, separators, and
// placeholders that hold a gap for another control.
#pragma once

#include <QPixmap>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <vector>

class QAbstractButton;
class QButtonGroup;

enum ButtonStyle { tbrDefault, tbrButtonGroup, tbrSeparator, tbrPlaceholder };

class Toolbar : public QWidget {
    Q_OBJECT

public:
    Toolbar(QWidget* parent, int height, QSize buttonSize);

    // Adds the next button; width is for separators and placeholders.
    void addButton(ButtonStyle style, const QString& caption = QString(), const QPixmap& image = QPixmap(),
                   int width = 8);
    // Where button index lies within the toolbar.
    QRect buttonRect(int16_t index) const;
    // Value: 1 when the button is pressed, 0 when raised.
    int Value(int16_t index) const;
    void setValue(int16_t index, int value);
    QAbstractButton* button(int16_t index) const;

signals:
    void ButtonClick(int16_t index);
    void MouseMove();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    struct Slot {
        QRect rect;
        QAbstractButton* button = nullptr;
    };
    std::vector<Slot> slots_;
    QButtonGroup* group_;
    QSize buttonSize_;
    int nextLeft_ = 4;
};
