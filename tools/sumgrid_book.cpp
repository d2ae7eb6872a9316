// sumgrid-book: generate, inspect, validate, import and export puzzle books.
#include <unistd.h>

#include <iostream>

#include "book_commands.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    // A progress line only on a terminal, and only for work of more than a second.
    const sumgrid::tools::ProgressSettings progress{isatty(STDERR_FILENO) != 0, std::chrono::seconds(1)};
    return sumgrid::tools::runBookTool(args, std::cout, std::cerr, progress);
}
