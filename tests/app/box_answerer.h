// Answers the message boxes a command opens, as a player would: each box is
// read (text, title, buttons, owner) and then closed with the button asked for.
#pragma once

#include <QMessageBox>
#include <QTimer>
#include <deque>
#include <vector>

struct SeenBox {
    QString text, title;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton;
    bool hasIcon;
    QString owner;      // the class of the window that owns it
    QPoint offCentre;  // from the middle of its owner
};

class BoxAnswerer : public QObject {
    Q_OBJECT

public:
    BoxAnswerer();
    // The buttons to press, in order, for the boxes to come; a box beyond
    // them is answered with its default button so that no test hangs.
    void answer(std::initializer_list<QMessageBox::StandardButton> presses);
    std::vector<SeenBox> seen;

private:
    void poll();
    std::deque<QMessageBox::StandardButton> presses_;
    QTimer timer_;
    QMessageBox* pending_ = nullptr;  // answered, its button not pressed yet
};
