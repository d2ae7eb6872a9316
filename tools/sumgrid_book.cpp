// sumgrid-book: generate, inspect, validate, import and export puzzle books.
#include <unistd.h>

#include <iostream>

#include "book_commands.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    // A progress line only on a terminal.
    return sumgrid::tools::runBookTool(args, std::cout, std::cerr, {isatty(STDERR_FILENO) != 0});
}
