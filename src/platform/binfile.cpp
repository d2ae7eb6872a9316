#include "platform/binfile.h"

#include <atomic>
#include <filesystem>

namespace {
std::atomic<uint64_t> bytesRead{0};
}

uint64_t BinaryFile::totalBytesRead() { return bytesRead; }

bool BinaryFile::open(const std::string& path) {
    close();
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return false;
    const auto size = std::filesystem::file_size(path, error);
    if (error)
        return false;
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_)
        return false;
    std::setvbuf(file_, nullptr, _IONBF, 0);
    length_ = int64_t(size);
    position_ = 0;
    return true;
}

bool BinaryFile::seek(int64_t position) {
    if (!file_ || position < 0 || position > length_)
        return false;
    if (std::fseek(file_, long(position), SEEK_SET) != 0)
        return false;
    position_ = position;
    return true;
}

bool BinaryFile::read(void* buffer, size_t count) {
    if (!file_ || int64_t(count) > length_ - position_)
        return false;
    const size_t got = std::fread(buffer, 1, count, file_);
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
    length_ = 0;
    position_ = 0;
}
