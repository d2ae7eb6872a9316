// sumgrid-book: generate, inspect, validate, import and export puzzle books.
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <iostream>

#include "book_commands.h"
#include "file_io.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    // A progress line only on a terminal that can erase it.
    const char* term = std::getenv("TERM");
    const bool progress = isatty(STDERR_FILENO) && !(term && std::strcmp(term, "dumb") == 0);
    sumgrid::tools::DescriptorOutput output(STDOUT_FILENO);
    std::ostream out(&output);
    // On a terminal output shows at once, in order with the messages on standard error.
    const bool terminal = isatty(STDOUT_FILENO);
    if (terminal) out.setf(std::ios::unitbuf);
    const int status = sumgrid::tools::runBookTool(args, out, std::cerr, {progress}, terminal);
    std::string error;
    if (output.finish(error)) return status;
    std::cerr << "sumgrid-book: write error: " << error << '\n';
    return 1;
}
