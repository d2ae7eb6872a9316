#include "file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ostream>
#include <utility>

namespace sumgrid::tools {

namespace {

std::string notRegular(const std::string& path) { return path + " is not a regular file"; }

// Closes the descriptor it holds, unless it is standard input.
struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd > STDIN_FILENO) ::close(fd);
    }
    bool close() { return ::close(std::exchange(fd, -1)) == 0; }
};

// Opens without waiting: a FIFO opened for reading with no writer, or for
// writing with no reader, would otherwise block; fstat then tells what it is.
int openRegular(const std::string& path, int flags, std::string& error) {
    const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, 0666);
    struct stat st {};
    if (fd < 0 && errno == ENXIO) {  // a FIFO without a reader
        error = notRegular(path);
    } else if (fd < 0) {
        error = "cannot open " + path + ": " + std::strerror(errno);
    } else if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        error = notRegular(path);
        return -1;
    }
    return fd;
}

}  // namespace

bool readInput(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error,
               std::size_t maxBytes) {
    const Descriptor file{path == "-" ? STDIN_FILENO : openRegular(path, O_RDONLY, error)};
    if (file.fd < 0) return false;
    std::vector<std::uint8_t> data;
    std::uint8_t chunk[65536];
    for (;;) {
        const ssize_t got = ::read(file.fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            error = "cannot read " + path + ": " + std::strerror(errno);
            return false;
        }
        if (got == 0) break;
        if (data.size() + static_cast<std::size_t>(got) > maxBytes) {
            error = path + " is larger than " + std::to_string(maxBytes) + " bytes";
            return false;
        }
        data.insert(data.end(), chunk, chunk + got);
    }
    bytes = std::move(data);
    return true;
}

std::string outputRefusal(const std::string& path, const std::vector<std::string>& inputs) {
    struct stat target {};
    if (path == "-" || ::stat(path.c_str(), &target) != 0) return {};
    if (!S_ISREG(target.st_mode)) return notRegular(path);
    for (const std::string& input : inputs) {
        struct stat st {};
        if (input != "-" && ::stat(input.c_str(), &st) == 0 && st.st_dev == target.st_dev &&
            st.st_ino == target.st_ino)
            return "will not write over the input " + input + " (-o " + path + ")";
    }
    return {};
}

bool writeOutput(const std::string& path, const std::vector<std::uint8_t>& bytes, std::ostream& out,
                 std::string& error) {
    if (path == "-") {
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) error = "cannot write to standard output";
        return static_cast<bool>(out);
    }
    // Truncated only once it is known to be a regular file.
    Descriptor file{openRegular(path, O_WRONLY | O_CREAT, error)};
    if (file.fd < 0) return false;
    auto failed = [&] {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    };
    if (::ftruncate(file.fd, 0) != 0) return failed();
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t put = ::write(file.fd, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno != EINTR) return failed();
        if (put > 0) done += static_cast<std::size_t>(put);
    }
    if (!file.close()) return failed();
    return true;
}

}  // namespace sumgrid::tools
