// Binary file reading as the puzzle books need it: open a file by path, read
// bytes in sequence, move to an absolute position, close. Bytes already in
// memory read the same way, as the file they would be; every byte read is
// counted.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

class BinaryFile {
public:
    BinaryFile() = default;
    explicit BinaryFile(std::string_view bytes)  // open on these bytes, which outlive it
        : bytes_(bytes.data()), length_(int64_t(bytes.size())) {}
    BinaryFile(const BinaryFile&) = delete;
    BinaryFile& operator=(const BinaryFile&) = delete;
    ~BinaryFile() { close(); }

    bool open(const std::string& path);  // false when the file cannot be opened for reading
    int64_t length() const { return length_; }
    bool seek(int64_t position);         // false outside 0..length
    bool read(void* buffer, size_t count);  // false when fewer than count bytes remain
    bool readInt32(int32_t& value);          // little-endian
    void close();

    // Bytes read by every file since the program started.
    static uint64_t totalBytesRead();

private:
    std::FILE* file_ = nullptr;
    const char* bytes_ = nullptr;  // the bytes read, when they are in memory
    int64_t length_ = 0;
    int64_t position_ = 0;
};

// A little-endian signed 32-bit number from four bytes.
inline int32_t int32At(const unsigned char* p) {
    return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}
