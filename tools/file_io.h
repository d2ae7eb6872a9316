// Where sumgrid-book reads and writes: a regular file named on the command
// line, or standard input and standard output for "-". Anything else (a FIFO,
// a device, a folder) is refused at once rather than waited on.
#pragma once

#include <cstdint>
#include <iosfwd>
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

// Writes bytes to the regular file at path (made if missing), or to out for "-".
bool writeOutput(const std::string& path, const std::vector<std::uint8_t>& bytes, std::ostream& out,
                 std::string& error);

}  // namespace sumgrid::tools
