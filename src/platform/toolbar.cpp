#include "platform/toolbar.h"

#include <QButtonGroup>
#include <QEvent>
#include <QFrame>
#include <QMouseEvent>
#include <QToolButton>

Toolbar::Toolbar(QWidget* parent, int height, QSize buttonSize)
    : QWidget(parent), group_(new QButtonGroup(this)), buttonSize_(buttonSize) {
    setFixedHeight(height);
    setMouseTracking(true);
    setAutoFillBackground(true);
    group_->setExclusive(true);
}

void Toolbar::addButton(ButtonStyle style, const QString& caption, const QPixmap& image, int width) {
    const int16_t index = int16_t(slots_.size() + 1);
    Slot slot;
    if (style == tbrSeparator || style == tbrPlaceholder) {
        slot.rect = QRect(nextLeft_, (height() - buttonSize_.height()) / 2, width, buttonSize_.height());
        if (style == tbrSeparator) {
            auto* line = new QFrame(this);
            line->setFrameShape(QFrame::VLine);
            line->setFrameShadow(QFrame::Sunken);
            line->setAttribute(Qt::WA_TransparentForMouseEvents);  // the toolbar sees the pointer over it
            line->setGeometry(slot.rect.adjusted(width / 2 - 1, 2, -(width - width / 2 - 1), -2));
        }
    } else {
        auto* b = new QToolButton(this);
        b->setText(caption);
        b->setAccessibleName(caption);
        b->setIcon(QIcon(image));
        b->setIconSize(QSize(16, 16));
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setMouseTracking(true);
        QFont captionFont = b->font();
        captionFont.setPixelSize(10);
        b->setFont(captionFont);
        b->setStyleSheet("QToolButton { padding: 0px; }");
        b->installEventFilter(this);
        slot.rect = QRect(QPoint(nextLeft_, (height() - buttonSize_.height()) / 2), buttonSize_);
        b->setGeometry(slot.rect);
        if (style == tbrButtonGroup) {
            b->setCheckable(true);
            group_->addButton(b);
        }
        connect(b, &QToolButton::clicked, this, [this, index] { emit ButtonClick(index); });
        slot.button = b;
    }
    nextLeft_ = slot.rect.right() + 1;
    slots_.push_back(slot);
}

QRect Toolbar::buttonRect(int16_t index) const {
    return index >= 1 && size_t(index) <= slots_.size() ? slots_[size_t(index) - 1].rect : QRect();
}

QAbstractButton* Toolbar::button(int16_t index) const {
    return index >= 1 && size_t(index) <= slots_.size() ? slots_[size_t(index) - 1].button : nullptr;
}

int Toolbar::Value(int16_t index) const {
    const QAbstractButton* b = button(index);
    return b && b->isChecked() ? 1 : 0;
}

void Toolbar::setValue(int16_t index, int value) {
    if (QAbstractButton* b = button(index); b && b->isCheckable())
        b->setChecked(value != 0);
}

// Movements over the buttons are movements over the toolbar.
bool Toolbar::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove)
        emit MouseMove();
    return QWidget::eventFilter(watched, event);
}

// The toolbar keeps its movements: the board beneath it does not see them.
void Toolbar::mouseMoveEvent(QMouseEvent* event) {
    emit MouseMove();
    event->accept();
}
