#include "file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
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

namespace {

// A name for a temporary file in path's folder, as mkostemp takes it.
std::string temporaryBeside(const std::string& path) {
    const auto slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    return folder + "." + path.substr(slash == std::string::npos ? 0 : slash + 1) + ".XXXXXX";
}

std::string cannotWrite(const std::string& path) { return "cannot write " + path + ": " + std::strerror(errno); }

}  // namespace

std::string folderRefusal(const std::string& path) {
    std::string probe = temporaryBeside(path);
    const int fd = ::mkostemp(probe.data(), O_CLOEXEC);
    if (fd < 0) return cannotWrite(path);
    ::close(fd);
    ::unlink(probe.c_str());
    return {};
}

bool replaceFile(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error) {
    std::string target = path;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* named = ::realpath(path.c_str(), nullptr)) {
            target = named;
            std::free(named);
        }
    }
    mode_t mode = ::umask(0);  // the mask is read by setting it
    ::umask(mode);
    mode = ::stat(target.c_str(), &st) == 0 ? st.st_mode & 07777 : 0666 & ~mode;
    std::string temporary = temporaryBeside(target);
    Descriptor file{::mkostemp(temporary.data(), O_CLOEXEC)};
    if (file.fd < 0) {
        error = cannotWrite(path);
        return false;
    }
    bool written = ::fchmod(file.fd, mode) == 0;
    for (std::size_t done = 0; written && done < bytes.size();) {
        const ssize_t put = ::write(file.fd, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno != EINTR) written = false;
        if (put > 0) done += static_cast<std::size_t>(put);
    }
    written = written && ::fsync(file.fd) == 0;
    written = file.close() && written;
    if (written && ::rename(temporary.c_str(), target.c_str()) == 0) return true;
    error = cannotWrite(path);
    ::unlink(temporary.c_str());
    return false;
}

bool DescriptorOutput::drain() {
    const char* from = pbase();
    while (failure_ == 0 && from < pptr()) {
        const ssize_t put = ::write(fd_, from, static_cast<std::size_t>(pptr() - from));
        if (put < 0 && errno != EINTR) failure_ = errno;
        if (put > 0) from += put;
    }
    setp(buffer_, buffer_ + sizeof buffer_);
    return failure_ == 0;
}

DescriptorOutput::int_type DescriptorOutput::overflow(int_type c) {
    if (!drain()) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) sputc(traits_type::to_char_type(c));
    return traits_type::not_eof(c);
}

int DescriptorOutput::sync() { return drain() ? 0 : -1; }

bool DescriptorOutput::finish(std::string& error) {
    if (drain() && ::close(std::exchange(fd_, -1)) != 0) failure_ = errno;
    if (failure_) error = std::strerror(failure_);
    return failure_ == 0;
}

}  // namespace sumgrid::tools
