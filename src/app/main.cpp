#include "app/form1.h"

#include <QApplication>
#include <cstdio>
#include <unistd.h>
#include <vector>

namespace {

// What Qt says while it connects to the display is held back: if no display
// can be opened, the player reads one line on what to do instead of Qt's
// advice to reinstall, and the program ends with status 1.
std::vector<QString> heldBack;

void holdBack(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type != QtFatalMsg) {
        heldBack.push_back(qFormatLogMessage(type, context, message));
        return;
    }
    std::fputs("sumgrid: no display could be opened; start it from a desktop session (DISPLAY or WAYLAND_DISPLAY "
               "set), or with QT_QPA_PLATFORM=offscreen to run without a screen\n",
               stderr);
    _exit(1);
}

}  // namespace

int main(int argc, char** argv) {
    qInstallMessageHandler(holdBack);
    QApplication app(argc, argv);
    qInstallMessageHandler(nullptr);
    for (const QString& message : heldBack)
        std::fprintf(stderr, "%s\n", qPrintable(message));

    QApplication::setApplicationName("Sumgrid");
    QGuiApplication::setDesktopFileName("example.sumgrid.sumgrid");
    Form1 window;
    window.show();
    return app.exec();
}
