#include "platform/shell.h"

#include <QDesktopServices>
#include <QUrl>

namespace {
ShellOpener opener;

bool isWebAddress(const std::string& target) {
    return target.rfind("http://", 0) == 0 || target.rfind("https://", 0) == 0;
}
}  // namespace

void setShellOpener(ShellOpener o) { opener = std::move(o); }

HWND GetDesktopWindow() { return 0; }

intptr_t ShellExecuteA(HWND, const std::string& operation, const std::string& file, const std::string&,
                       const std::string& directory, int) {
    if (opener) {
        opener(operation, file, directory);
        return 33;
    }
    const QString target = QString::fromStdString(file);
    const QUrl url = isWebAddress(file) ? QUrl(target) : QUrl::fromLocalFile(target);
    return QDesktopServices::openUrl(url) ? 33 : 2;
}
