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
    if (!box || !box->isVisible())
        return;
    const QMessageBox::StandardButton defaultButton =
        box->defaultButton() ? box->standardButton(box->defaultButton()) : QMessageBox::NoButton;
    seen.push_back({box->text(), box->windowTitle(), box->standardButtons(), defaultButton,
                    box->icon() != QMessageBox::NoIcon});
    QMessageBox::StandardButton press = defaultButton;
    if (!presses_.empty()) {
        press = presses_.front();
        presses_.pop_front();
    }
    if (QAbstractButton* b = box->button(press))
        b->click();
    else
        box->done(0);
}
