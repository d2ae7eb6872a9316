// Helpers of the engine tests: data files, puzzles as text, sumgrid-book in process.
#pragma once

#include <gtest/gtest.h>
#include <fstream>
#include <sstream>
#include "book_commands.h"
#include "exchange.h"
#include "geometry.h"

namespace sumgrid::engine::testing {

inline std::string slurp(const std::string& path) {  // a file, whole
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
inline std::string dataFile(const std::string& name) { return slurp(std::string(SUMGRID_SOURCE_DIR) + "/tests/engine/" + name); }

inline std::vector<std::string> dataLines(const std::string& name) {  // less blank and # lines
    std::istringstream text(dataFile(name));
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);)
        if (!line.empty() && line[0] != '#') lines.push_back(line);
    return lines;
}

inline TextPuzzle puzzleOf(const std::string& line) {  // the puzzle of one exchange line
    std::vector<std::string> errors;
    const auto parsed = parseExchange(line, errors);
    EXPECT_TRUE(errors.empty() && parsed.size() == 1) << line;
    return parsed.empty() ? TextPuzzle{} : parsed[0];
}

inline Mask maskOf(const std::string& digits) {  // "159" as a mask, "." for every digit 1..9
    Mask m = digits == "." ? 0x1FF : 0;
    for (char d : digits) m |= d >= '1' && d <= '9' ? digitBit(d - '0') : 0;
    return m;
}

struct ToolRun {
    int status;
    std::string out, err;
};
// sumgrid-book in this process; with progress shown, standard error stands for a terminal.
inline ToolRun tool(const std::vector<std::string>& args, sumgrid::tools::ProgressSettings progress = {}) {
    std::ostringstream out, err;
    const int status = sumgrid::tools::runBookTool(args, out, err, progress);
    return {status, out.str(), err.str()};
}

}  // namespace sumgrid::engine::testing
