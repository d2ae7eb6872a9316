#include "platform/msgbox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <cstdio>

namespace {
MsgBoxAnswer answerer;
QPointer<QWidget> owner;
}  // namespace

void setMsgBoxAnswer(MsgBoxAnswer answer) { answerer = std::move(answer); }
void setMsgBoxOwner(QWidget* mainWindow) { owner = mainWindow; }

int MsgBox(const std::string& prompt, int buttons, const std::string& title) {
    if (answerer)
        return answerer(prompt, buttons, title);
    const bool yesNo = (buttons & 0xf) == vbYesNo;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        std::fprintf(stderr, "%s: %s\n", title.c_str(), prompt.c_str());
        return yesNo ? vbNo : vbOK;
    }
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title), QString::fromStdString(prompt),
                    yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, owner);
    box.setDefaultButton(yesNo ? QMessageBox::Yes : QMessageBox::Ok);
    const int pressed = box.exec();
    if (!yesNo)
        return vbOK;
    return pressed == QMessageBox::Yes ? vbYes : vbNo;
}
