#include "box_answerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>

BoxAnswerer::BoxAnswerer() {
    connect(&timer_, &QTimer::timeout, this, &BoxAnswerer::poll);
    timer_.start(5);
}

void BoxAnswerer::answer(std::initializer_list<QMessageBox::StandardButton> presses) {
    presses_.insert(presses_.end(), presses.begin(), presses.end());
}

void BoxAnswerer::poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible() || box == pending_)
        return;
    pending_ = box;
    const QMessageBox::StandardButton defaultButton =
        box->defaultButton() ? box->standardButton(box->defaultButton()) : QMessageBox::NoButton;
    const QWidget* owner = box->parentWidget();
    seen.push_back({box->text(), box->windowTitle(), box->standardButtons(), defaultButton,
                    box->icon() != QMessageBox::NoIcon, owner ? owner->metaObject()->className() : "",
                    owner ? box->geometry().center() - owner->geometry().center() : QPoint(9999, 9999)});
    QMessageBox::StandardButton press = defaultButton;
    if (!presses_.empty()) {
        press = presses_.front();
        presses_.pop_front();
    }
    // Pressed outside this slot, so that a box the press opens is answered too.
    QAbstractButton* b = box->button(press);
    QTimer::singleShot(0, box, [this, b] {
        pending_ = nullptr;
        b->click();
    });
}
