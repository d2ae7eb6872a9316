#include "platform/app_info.h"

#include <QCoreApplication>
#include <QFile>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace App {

namespace {

#ifdef __linux__
// The executable as the system names it, byte for byte: the link
// /proc/self/exe, or, where the name is too long for the link to give, the
// program's first argument taken from the folder it was started in.
std::string executable() {
    for (std::string path(256, '\0');; path.resize(path.size() * 2)) {
        const ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
        if (n < 0)
            break;
        if (size_t(n) < path.size())
            return path.substr(0, size_t(n));
    }
    std::string first;
    std::getline(std::ifstream("/proc/self/cmdline", std::ios::binary), first, '\0');
    std::error_code noFolder;
    const std::filesystem::path started = std::filesystem::absolute(first, noFolder);
    return noFolder ? first : started.string();
}
#endif

}  // namespace

std::string Path() {
#ifdef __linux__
    const std::string exe = executable();
    return exe.substr(0, exe.rfind('/'));
#else
    return QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
#endif
}

std::string Title() { return "Sumgrid"; }
int Major() { return SUMGRID_VERSION_MAJOR; }
int Minor() { return SUMGRID_VERSION_MINOR; }
int Revision() { return SUMGRID_VERSION_PATCH; }

}  // namespace App
