// Answers the message boxes a command opens, as a player would: each box is
// read (text, title, buttons, owner, where it stands) and then closed with
// the button asked for, or its default one, so that no test hangs.
#pragma once

#include <QtWidgets>
#include <deque>
#include <vector>

struct SeenBox {
    QString text, title, owner;  // owner: the class of the window that owns it
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton;
    bool hasIcon;
    QPoint offCentre;  // from the middle of its owner
};

class BoxAnswerer {
public:
    BoxAnswerer() {
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start(5);
    }
    void answer(std::initializer_list<QMessageBox::StandardButton> presses) { presses_.insert(presses_.end(), presses); }
    std::vector<SeenBox> seen;

private:
    void poll() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible() || box == pending_)
            return;
        pending_ = box;
        const QWidget* owner = box->parentWidget();
        const auto defaultButton = box->defaultButton() ? box->standardButton(box->defaultButton()) : QMessageBox::NoButton;
        seen.push_back({box->text(), box->windowTitle(), owner ? owner->metaObject()->className() : "", box->standardButtons(),
                        defaultButton, box->icon() != QMessageBox::NoIcon,
                        owner ? box->geometry().center() - owner->geometry().center() : QPoint(9999, 9999)});
        QAbstractButton* press = box->button(presses_.empty() ? defaultButton : presses_.front());
        presses_.erase(presses_.begin(), presses_.begin() + !presses_.empty());
        // Pressed outside this slot, so that a box the press opens is answered too.
        QTimer::singleShot(0, box, [this, press] {
            pending_ = nullptr;
            press->click();
        });
    }

    std::deque<QMessageBox::StandardButton> presses_;
    QTimer timer_;
    QMessageBox* pending_ = nullptr;  // answered, its button not pressed yet
};
