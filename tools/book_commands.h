// The commands of sumgrid-book, callable from tests: each writes its normal
// output to out, its complaints to err, and returns the process exit status
// (0 success, 1 a fault in a file or a failed step, 2 bad arguments). Long
// work shows a progress line on err as progress says; a binary book is not
// written to out when out is a terminal. A file named - is standard input, or
// out after -o.
#pragma once

#include "progress.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace sumgrid::tools {

int runBookTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                ProgressSettings progress, bool outIsTerminal = false);

}  // namespace sumgrid::tools
