// Where sumgrid-book reads and writes: a regular file named on the command
// line, or standard input and standard output for "-". Anything else (a FIFO,
// a device, a folder) is refused at once rather than waited on. A file is
// written whole beside its target and then renamed over it, so that a failed
// write leaves what was there; standard output remembers why a write failed.
#pragma once

#include <cstdint>
#include <streambuf>
#include <string>
#include <vector>

namespace sumgrid::tools {

// The whole of the file at path, or of standard input for "-", up to maxBytes.
// False and a message naming the file on failure.
bool readInput(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error,
               std::size_t maxBytes);

// Why path may not be written: it exists and is not a regular file, or it is
// one of the inputs, however either is spelt. Empty when it may be written.
std::string outputRefusal(const std::string& path, const std::vector<std::string>& inputs);

// Why no file can be made in path's folder (it is missing, or takes no new
// file), found by making one there and removing it. Empty when one can.
std::string folderRefusal(const std::string& path);

// Writes bytes to a new file beside path, then renames it to path (through a
// symbolic link, to the file it names). The file keeps the mode of the one it
// replaces. False and a message with the system's reason on failure, path as
// it was.
bool replaceFile(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error);

// An output stream buffer over a file descriptor (standard output) that keeps
// the reason of its first failed write and writes nothing after it.
class DescriptorOutput : public std::streambuf {
public:
    explicit DescriptorOutput(int fd) : fd_(fd) { setp(buffer_, buffer_ + sizeof buffer_); }
    // Flushes and closes the descriptor. False and the system's reason when
    // this or any write before it failed.
    bool finish(std::string& error);

protected:
    int_type overflow(int_type c) override;
    int sync() override;

private:
    bool drain();
    int fd_;
    int failure_ = 0;  // errno of the first failed write
    char buffer_[1 << 16];
};

}  // namespace sumgrid::tools
