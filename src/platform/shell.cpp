#include "platform/shell.h"

#include "platform/paths.h"

#include <QDesktopServices>
#include <QUrl>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The first program of that name on the PATH; empty when there is none.
std::string onPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    for (std::string folders = path ? path : ""; !folders.empty();) {
        const size_t colon = folders.find(':');
        const std::string candidate = folders.substr(0, colon) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
        folders = colon == std::string::npos ? "" : folders.substr(colon + 1);
    }
    return "";
}

}  // namespace

HWND GetDesktopWindow() { return 0; }

// The desktop's opener runs in the folder asked for, in a process of its own
// that the program never waits for. A file inside that folder whose full
// name is too long for the system is handed on by its name within the folder.
intptr_t ShellExecuteA(HWND, const std::string&, const std::string& file, const std::string&,
                       const std::string& directory, int) {
#ifdef __linux__
    const std::string opener = onPath("xdg-open");
    if (opener.empty())
        return 2;
    const bool inFolder = file.size() >= PATH_MAX && file.rfind(directory + "/", 0) == 0;
    const std::string target = inFolder ? file.substr(directory.size() + 1) : file;
    const int folder = openPath(directory, O_RDONLY | O_DIRECTORY);
    const pid_t child = fork();
    if (child == 0) {
        if (fork() == 0 && (folder < 0 || fchdir(folder) == 0))
            execl(opener.c_str(), opener.c_str(), target.c_str(), static_cast<char*>(nullptr));
        _exit(0);
    }
    if (folder >= 0)
        close(folder);
    if (child > 0)
        waitpid(child, nullptr, 0);
    return child > 0 ? 33 : 2;
#else
    const QString target = QString::fromStdString(file);
    const bool web = file.rfind("http://", 0) == 0 || file.rfind("https://", 0) == 0;
    return QDesktopServices::openUrl(web ? QUrl(target) : QUrl::fromLocalFile(target)) ? 33 : 2;
#endif
}
