#include "platform/binfile.h"

#include "platform/paths.h"

#include <algorithm>
#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::atomic<uint64_t> bytesRead{0};
}

uint64_t BinaryFile::totalBytesRead() { return bytesRead; }

// Only a regular file opens: a folder or a pipe is no book, and a pipe is
// not even waited for.
bool BinaryFile::open(const std::string& path) {
    close();
    const int fd = openPath(path, O_RDONLY | O_NONBLOCK);
    struct stat info {};
    if (fd >= 0 && fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
        file_ = fdopen(fd, "rb");
    if (!file_) {
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    length_ = int64_t(info.st_size);
    return true;
}

bool BinaryFile::seek(int64_t position) {
    if ((!file_ && !bytes_) || position < 0 || position > length_)
        return false;
    if (file_ && std::fseek(file_, long(position), SEEK_SET) != 0)
        return false;
    position_ = position;
    return true;
}

bool BinaryFile::read(void* buffer, size_t count) {
    if ((!file_ && !bytes_) || int64_t(count) > length_ - position_)
        return false;
    const size_t got = file_ ? std::fread(buffer, 1, count, file_)
                             : (std::copy_n(bytes_ + position_, count, static_cast<char*>(buffer)), count);
    bytesRead += got;
    position_ += int64_t(got);
    return got == count;
}

bool BinaryFile::readInt32(int32_t& value) {
    unsigned char bytes[4];
    if (!read(bytes, sizeof bytes))
        return false;
    value = int32At(bytes);
    return true;
}

void BinaryFile::close() {
    if (file_)
        std::fclose(file_);
    file_ = nullptr;
    bytes_ = nullptr;
    length_ = 0;
    position_ = 0;
}
