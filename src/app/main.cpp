#include "app/form1.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Sumgrid");
    QGuiApplication::setDesktopFileName("example.sumgrid.sumgrid");
    Form1 window;
    window.show();
    return app.exec();
}
