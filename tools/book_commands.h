// The commands of sumgrid-book, callable from tests: each writes its normal
// output to out, its complaints to err, and returns the process exit status
// (0 success, 1 a fault in a file or a failed step, 2 bad arguments). With
// showProgress, work that runs longer than progressAfter shows a progress
// line on err. A file named - is standard input, or out after -o.
#pragma once

#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace sumgrid::tools {

int runBookTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                bool showProgress = false, std::chrono::milliseconds progressAfter = std::chrono::seconds(1));

}  // namespace sumgrid::tools
