#include "platform/app_info.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace App {

std::string Path() {
    QString exe = QCoreApplication::instance() ? QCoreApplication::applicationFilePath()
                                               : QFileInfo("/proc/self/exe").symLinkTarget();
    const QString resolved = QFileInfo(exe).canonicalFilePath();
    if (!resolved.isEmpty())
        exe = resolved;
    return QDir::toNativeSeparators(QFileInfo(exe).absolutePath()).toStdString();
}

std::string Title() { return "Sumgrid"; }
int Major() { return SUMGRID_VERSION_MAJOR; }
int Minor() { return SUMGRID_VERSION_MINOR; }
int Revision() { return SUMGRID_VERSION_PATCH; }

}  // namespace App
