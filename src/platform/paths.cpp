#include "platform/paths.h"

#include <climits>
#include <fcntl.h>
#include <unistd.h>

namespace {
constexpr int folderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
}

int openPath(const std::string& path, int flags) {
    if (path.size() < PATH_MAX)
        return ::open(path.c_str(), flags | O_CLOEXEC);
    int folder = ::open(path[0] == '/' ? "/" : ".", folderFlags);
    size_t start = path.find_first_not_of('/');
    for (size_t end; folder >= 0 && start != std::string::npos && (end = path.find('/', start)) != std::string::npos;
         start = path.find_first_not_of('/', end)) {
        const int next = ::openat(folder, path.substr(start, end - start).c_str(), folderFlags);
        ::close(folder);
        folder = next;
    }
    if (folder < 0)
        return -1;
    const int fd = ::openat(folder, start == std::string::npos ? "." : path.substr(start).c_str(), flags | O_CLOEXEC);
    ::close(folder);
    return fd;
}
